#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Satellite.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uSkyData.h"
#include "../TempDirTest.h"

namespace fs = std::filesystem;

namespace {

// Appends the modulo-10 checksum to the first 68 columns of an element line.
std::string Tle(const std::string& first68) {
    EXPECT_EQ(first68.size(), 68u) << first68;
    int sum = 0;
    for (char c : first68) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-');
    return first68 + static_cast<char>('0' + sum % 10);
}

const std::string kIss1 = Tle("1 25544U 98067A   08264.51782528 -.00002182  00000-0 -11606-4 0  292");
const std::string kIss2 = Tle("2 25544  51.6416 247.4627 0006703 130.5360 325.0288 15.7212539156353");
const std::string kGeo1 = Tle("1 28626U 05004A   18001.50000000 -.00000050  00000-0  00000+0 0  999");
const std::string kGeo2 = Tle("2 28626   0.0300 100.0000 0002000 200.0000 150.0000  1.00270000 4700");
const std::string kMol1 = Tle("1 40296U 14069A   18010.25000000  .00000010  00000-0  10000-3 0  999");
const std::string kMol2 = Tle("2 40296  62.8000 300.0000 7000000 270.0000  10.0000  2.00600000 2000");

class TempDir : public TempDirTest {
protected:
    static std::string ReadAll(const std::string& path) {
        std::string s;
        ReadFileBytes(path, 1 << 28, s);
        return s;
    }
};

TSatRec Made(const std::string& l1, const std::string& l2, const char* name) {
    TSatRec s;
    std::memset(&s, 0, sizeof s);
    EXPECT_TRUE(MakeSatelliteRecord(s, name, std::string_view(l1).substr(2, 5), 3.5, l1, l2));
    return s;
}

std::string Bytes(const std::vector<TSatRec>& list) {
    std::string b(list.size() * sizeof(TSatRec), '\0');
    if (!list.empty()) std::memcpy(b.data(), list.data(), b.size());
    return b;
}

using Catalogue = TempDir;
using ElementFile = TempDir;

TEST_F(Catalogue, RecordsRoundTripByteForByteAndStillPropagate) {
    std::vector<TSatRec> list = {Made(kIss1, kIss2, "ISS (ZARYA)"), Made(kGeo1, kGeo2, "GEO"),
                                 Made(kMol1, kMol2, "MOLNIYA")};
    list[1].selected = 1;
    list[2].pad[0] = 0x5A;  // padding is written as found
    EXPECT_EQ(list[0].deepSpace, 0);
    EXPECT_NE(list[1].deepSpace, 0);
    ASSERT_TRUE(SaveCatalogue(list, Path("MainSat.bin")));
    std::string file = ReadAll(Path("MainSat.bin"));
    ASSERT_EQ(file.size(), 3 * 1112u);
    EXPECT_TRUE(file == Bytes(list));

    std::vector<TSatRec> back;
    ASSERT_TRUE(LoadCatalogue(back, Path("MainSat.bin")));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_TRUE(Bytes(back) == Bytes(list));
    for (TSatRec s : back) {  // a copy: propagation may keep state in the record
        EXPECT_NE(s.decayed, kDecayedRejected) << s.name.str();
        TVector p{}, v{};
        EXPECT_TRUE(s.deepSpace ? SDP4(&s, &p, &v, 1440.0) : SGP4(&s, &p, &v, 1440.0));
    }
    EXPECT_EQ(back[0].name.str(), "ISS (ZARYA)");
    EXPECT_EQ(back[0].catNo.str(), "25544");
    EXPECT_DOUBLE_EQ(back[0].stdMag, 3.5);
    // Saving the loaded list reproduces the file.
    ASSERT_TRUE(SaveCatalogue(back, Path("again.bin")));
    EXPECT_TRUE(ReadAll(Path("again.bin")) == file);
}

TEST_F(Catalogue, RecordCountIsSizeOver1112) {
    std::string one = Bytes({Made(kIss1, kIss2, "ISS")});
    std::vector<TSatRec> list(5);
    Write("a.bin", one + one.substr(0, 1111));  // 2,223 bytes
    EXPECT_TRUE(LoadCatalogue(list, Path("a.bin")));
    EXPECT_EQ(list.size(), 1u);
    Write("b.bin", one.substr(0, 1111));
    EXPECT_FALSE(LoadCatalogue(list, Path("b.bin")));
    EXPECT_TRUE(list.empty());
    Write("c.bin", "");
    list.resize(3);
    EXPECT_FALSE(LoadCatalogue(list, Path("c.bin")));
    EXPECT_TRUE(list.empty());
    list.resize(3);
    EXPECT_FALSE(LoadCatalogue(list, Path("missing.bin")));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(LoadCatalogue(list, dir_.string()));  // a folder, not a file
}

TEST_F(Catalogue, UntrustedRecordsAreRejectedNotPropagated) {
    TSatRec good = Made(kIss1, kIss2, "ISS");
    std::vector<TSatRec> list(6, good);
    list[1].ecc = std::nan("");
    list[2].period *= 3.0;      // no longer matches the mean motion
    std::memset(list[3].priv0, 0xFF, sizeof list[3].priv0);  // element values the model is built from
    list[4].epoch = 1e300;
    std::mt19937 rng(7);
    for (auto& b : reinterpret_cast<unsigned char(&)[1112]>(list[5])) b = static_cast<unsigned char>(rng());
    ASSERT_TRUE(SaveCatalogue(list, Path("bad.bin")));

    std::vector<TSatRec> back;
    ASSERT_TRUE(LoadCatalogue(back, Path("bad.bin")));
    ASSERT_EQ(back.size(), 6u);
    EXPECT_EQ(back[0].decayed, 0);
    for (std::size_t k = 1; k < back.size(); ++k) EXPECT_EQ(back[k].decayed, kDecayedRejected) << k;
    EXPECT_TRUE(std::isfinite(back[5].stdMag));

    // A record wrongly marked in a file gets its chance again.
    good.decayed = kDecayedRejected;
    ASSERT_TRUE(SaveCatalogue({good}, Path("marked.bin")));
    ASSERT_TRUE(LoadCatalogue(back, Path("marked.bin")));
    EXPECT_EQ(back[0].decayed, 0);
}

TEST_F(Catalogue, ModelIsRebuiltFromTheElementFieldsAtLoad) {
    const std::vector<TSatRec> fresh = {Made(kIss1, kIss2, "ISS"), Made(kGeo1, kGeo2, "GEO"),
                                        Made(kMol1, kMol2, "MOLNIYA")};
    // What each record gives at a few times, with its model as made.
    auto track = [](TSatRec s) {
        std::vector<double> out;
        for (double t : {-2880.0, 0.0, 90.0, 10000.0}) {
            TVector p{}, v{};
            EXPECT_TRUE(s.deepSpace ? SDP4(&s, &p, &v, t) : SGP4(&s, &p, &v, t));
            out.insert(out.end(), {p.x, p.y, p.z, v.x, v.y, v.z});
        }
        return out;
    };
    // Garbage in every work area, an SDP4 integrator moved on by use, and
    // one record that is not a satellite at all.
    std::vector<TSatRec> stored = fresh;
    std::mt19937 rng(3);
    for (TSatRec& s : stored)
        for (auto& b : s.work) b = static_cast<unsigned char>(rng());
    TSatRec used = fresh[2];
    TVector p{}, v{};
    ASSERT_TRUE(SDP4(&used, &p, &v, 20000.0));
    ASSERT_NE(std::memcmp(&used, &fresh[2], sizeof used), 0);
    stored.push_back(used);
    TSatRec bad = fresh[0];
    bad.ecc = 1.5;
    stored.push_back(bad);
    ASSERT_TRUE(SaveCatalogue(stored, Path("MainSat.bin")));

    std::vector<TSatRec> back;
    std::string warning;
    const TStatus loaded = LoadCatalogueForSearch(back, Path("MainSat.bin"), &warning);
    ASSERT_TRUE(loaded) << loaded.message;
    ASSERT_EQ(back.size(), 5u);
    for (std::size_t k = 0; k < 4; ++k) {
        const TSatRec& made = fresh[std::min<std::size_t>(k, 2)];
        EXPECT_EQ(back[k].decayed, 0) << k;
        EXPECT_EQ(track(back[k]), track(made)) << k;
        EXPECT_EQ(std::memcmp(&back[k], &made, sizeof(TSatRec)), 0) << k;
    }
    EXPECT_EQ(back[4].decayed, kDecayedRejected);
    EXPECT_EQ(warning, Path("MainSat.bin") + ": 1 of 5 records are unusable and left out");
    // The refused record is saved back as it was found, marked.
    ASSERT_TRUE(SaveCatalogue(back, Path("again.bin")));
    bad.decayed = kDecayedRejected;
    EXPECT_TRUE(ReadAll(Path("again.bin")).substr(4 * 1112) == Bytes({bad}));

    // Only invalid element fields: refused as a whole.
    bad.decayed = 0;
    ASSERT_TRUE(SaveCatalogue({bad, bad}, Path("bad.bin")));
    const TStatus refused = LoadCatalogueForSearch(back, Path("bad.bin"));
    EXPECT_EQ(refused.kind, TStatusKind::invalid);
    EXPECT_EQ(refused.message, "every one of the 2 records of " + Path("bad.bin") +
                                   " is unusable: it is not a catalogue of this program");
}

TEST_F(Catalogue, GarbageAndOversizedFilesStayBounded) {
    std::mt19937 rng(11);
    std::string junk(50 * 1112 + 17, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    Write("junk.bin", junk);
    std::vector<TSatRec> list;
    EXPECT_TRUE(LoadCatalogue(list, Path("junk.bin")));
    EXPECT_EQ(list.size(), 50u);
    for (const TSatRec& s : list) EXPECT_EQ(s.decayed, kDecayedRejected);

    // Beyond the savable size only the first records are read (a sparse file).
    {
        std::ofstream f(Path("huge.bin"), std::ios::binary);
        f.seekp(static_cast<std::streamoff>((kMaxCatalogueRecords + 3) * 1112 - 1));
        f.put('\0');
    }
    EXPECT_TRUE(LoadCatalogue(list, Path("huge.bin")));
    EXPECT_EQ(list.size(), kMaxCatalogueRecords);
    EXPECT_TRUE(SaveCatalogue(list, Path("max.bin")));
    list.emplace_back();
    const TStatus tooMany = SaveCatalogue(list, Path("toomany.bin"));
    EXPECT_EQ(tooMany.kind, TStatusKind::invalid);
    EXPECT_EQ(tooMany.message,
              "cannot write " + Path("toomany.bin") + ": more than " + std::to_string(kMaxCatalogueRecords) + " records");
    EXPECT_FALSE(fs::exists(Path("toomany.bin")));
}

TEST_F(Catalogue, SaveReplacesWholeFileAndReportsFailure) {
    Write("MainSat.bin", std::string(5000, 'x'));
    ASSERT_TRUE(SaveCatalogue({}, Path("MainSat.bin")));
    EXPECT_EQ(fs::file_size(Path("MainSat.bin")), 0u);
    EXPECT_FALSE(SaveCatalogue({Made(kIss1, kIss2, "ISS")}, Path("no/such/folder/MainSat.bin")));
    int files = 0;
    for (auto& e : fs::directory_iterator(dir_)) files += e.is_regular_file();
    EXPECT_EQ(files, 1);  // no temporary left behind
}

TEST_F(ElementFile, NameRules) {
    std::string name22 = "ABCDEFGHIJKLMNOPQRSTUV";
    std::string name25 = "ABCDEFGHIJKLMNOPQRSTUVW Y";  // cut to 24, then trimmed
    std::string name26 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    Write("three.tle", "ISS (ZARYA)\n" + kIss1 + "\n" + kIss2 + "\n" +
                           std::string(30, 'N') + "\n" + kGeo1 + "\n" + kGeo2 + "\n" +
                           "  " + name22 + "   \r\n" + kMol1 + "\r\n" + kMol2 + "\r\n" +
                           name25 + "\r" + kIss1 + "\r" + kIss2 + "\r" +
                           name26 + "\n" + kGeo1 + "\n" + kGeo2);
    std::vector<TElementEntry> e;
    ASSERT_TRUE(ReadElementFile(e, Path("three.tle")));
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].name.str(), "ISS (ZARYA)");
    EXPECT_EQ(e[1].name.str(), "28626");
    EXPECT_EQ(e[2].name.str(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(e[3].name.str(), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(e[4].name.str(), "28626");
    EXPECT_EQ(e[0].catNo.str(), "25544");
    EXPECT_EQ(e[0].line1.str(), kIss1);
    EXPECT_EQ(e[2].line2.str(), kMol2);
    EXPECT_DOUBLE_EQ(e[0].stdMag, 8.0);
    EXPECT_DOUBLE_EQ(e[0].meanMotion, 15.72125391);
    EXPECT_DOUBLE_EQ(e[1].meanMotion, 1.0027);

    // A 25-character name is still a name.
    std::vector<TElementEntry> one;
    ReadElementText(one, "ABCDEFGHIJKLMNOPQRSTUVWXY\n" + kIss1 + "\n" + kIss2 + "\n");
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name.str(), "ABCDEFGHIJKLMNOPQRST");
}

TEST_F(ElementFile, TwoLineSetsAndSkippedSets) {
    std::vector<TElementEntry> e;
    ReadElementText(e, kIss1 + "\n" + kIss2 + "\n" + kGeo1 + "\n" + kGeo2 + "\n" + kMol1 + "\n" + kMol2 + "\n");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].name.str(), "");
    EXPECT_EQ(e[1].name.str(), "28626");
    EXPECT_EQ(e[2].name.str(), "40296");

    TElementReadReport report;
    ReadElementText(e, kIss1 + "\n" + kIss2 + "\n" + kGeo1 + "\n" + kGeo2 + "\n", &report);
    EXPECT_EQ(report.strayLines, 0u);

    // A set with a bad checksum is skipped; its lines still move through.
    std::string bad2 = kGeo2;
    bad2.back() = bad2.back() == '9' ? '0' : static_cast<char>(bad2.back() + 1);
    ReadElementText(e, "GEO\n" + kGeo1 + "\n" + bad2 + "\nISS\n" + kIss1 + "\n" + kIss2, &report);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].name.str(), "ISS");
    EXPECT_EQ(report.strayLines, 3u) << "the lines of the broken set belong to none";

    // Blank lines between sets.
    ReadElementText(e, "ISS\n" + kIss1 + "\n" + kIss2 + "\n\n\nGEO\n" + kGeo1 + "\n" + kGeo2 + "\n\n", &report);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].name.str(), "GEO");
    EXPECT_EQ(report.strayLines, 0u);
    ReadElementText(e, "Error 503\nISS\n" + kIss1 + "\n" + kIss2 + "\n" + kIss2 + "\nTry later\n", &report);
    EXPECT_EQ(report.strayLines, 2u) << "a line 2 after its set is taken with the line 1 before";

    // Lines far longer than a set's, ended by a lone CR or cut, still end where they end.
    ReadElementText(e, std::string(300, 'x') + "\r" + kIss1 + "\n" + kIss2 + "\r\n" + std::string(9000, 'y') + "\n" +
                           "GEO\n" + kGeo1 + "\r" + kGeo2, &report);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].name.str(), "25544");
    EXPECT_EQ(e[1].name.str(), "GEO");
    EXPECT_EQ(e[1].line2.str(), kGeo2);
    EXPECT_EQ(report.strayLines, 1u) << "the long line before a set is its (unused) name";
}

// Sets that pass the line check but that the propagator cannot start are
// left out of a search's sets and counted in its warning.
TEST_F(ElementFile, SetsThePropagatorRefusesAreCountedAmongTheSkipped) {
    auto line2 = [](const std::string& ecc, const std::string& n) {
        return Tle("2 25544  51.6416 247.4627 " + ecc + " 130.5360 325.0288 " + n + "56353");
    };
    const std::string refused[][2] = {
        {kIss1, line2("9999999", "15.72125391")},
        {kIss1, line2("0006703", " 0.00000001")},
        {kIss1, line2("0006703", "99.99999999")},
        {Tle("1 25544U 98067A   08264.51782528 -.00002182  00000-0  99999+9 0  292"), kIss2},
    };
    std::string text = "ISS\n" + kIss1 + "\n" + kIss2 + "\n";
    for (const auto& set : refused) text += "BAD\n" + set[0] + "\n" + set[1] + "\n";
    Write("refused.tle", text);
    std::vector<TElementEntry> e;
    ReadElementText(e, text);
    ASSERT_EQ(e.size(), 5u) << "every set passes the line check";
    std::string warning;
    ASSERT_TRUE(ReadElementsForSearch(e, Path("refused.tle"), &warning));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].name.str(), "ISS");
    EXPECT_EQ(warning, Path("refused.tle") + ": 4 of 5 element sets skipped (the propagator cannot start them)");
}

TEST_F(ElementFile, EmptyMissingAndGarbageFiles) {
    std::vector<TElementEntry> e(3);
    Write("empty.tle", "");
    EXPECT_FALSE(ReadElementFile(e, Path("empty.tle")));
    EXPECT_TRUE(e.empty());
    e.resize(2);
    EXPECT_FALSE(ReadElementFile(e, Path("missing.tle")));
    EXPECT_TRUE(e.empty());
    // A job tells a file that is not there (or not a file) from one without sets by the kind.
    const TStatus missing = ReadElementsForSearch(e, Path("missing.tle"));
    EXPECT_EQ(missing.kind, TStatusKind::notFound);
    EXPECT_EQ(missing.message, "File: " + Path("missing.tle") + " not found");
    fs::create_directory(Path("folder.tle"));
    EXPECT_EQ(ReadElementsForSearch(e, Path("folder.tle")).kind, TStatusKind::ioError);
    const TStatus empty = ReadElementsForSearch(e, Path("empty.tle"));
    EXPECT_EQ(empty.kind, TStatusKind::invalid);
    EXPECT_EQ(empty.message, "no element sets in " + Path("empty.tle"));

    std::mt19937 rng(3);
    std::string junk(200000, '\0');
    for (char& c : junk) c = static_cast<char>(rng());
    junk += "\nISS\n" + kIss1 + "\n" + kIss2 + "\n";
    junk += std::string(100000, 'x');  // one very long last line
    Write("junk.tle", junk);
    EXPECT_TRUE(ReadElementFile(e, Path("junk.tle")));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].name.str(), "ISS");
}

TEST_F(ElementFile, InitSatelliteFromEntryHonoursTheOpenWindow) {
    std::vector<TElementEntry> e;
    ReadElementText(e, "ISS\n" + kIss1 + "\n" + kIss2 + "\n");
    ASSERT_EQ(e.size(), 1u);
    const double n = e[0].meanMotion;
    TSatRec sat;
    std::memset(&sat, 0xA5, sizeof sat);
    TSatRec before = sat;
    EXPECT_FALSE(InitSatelliteFromEntry(sat, e[0], n, 16.0));
    EXPECT_FALSE(InitSatelliteFromEntry(sat, e[0], 10.0, n));
    EXPECT_FALSE(InitSatelliteFromEntry(sat, e[0], 16.0, 20.0));
    EXPECT_EQ(std::memcmp(&sat, &before, sizeof sat), 0);

    ASSERT_TRUE(InitSatelliteFromEntry(sat, e[0], n - 1e-9, n + 1e-9));
    EXPECT_EQ(sat.name.str(), "ISS");
    EXPECT_EQ(sat.catNo.str(), "25544");
    EXPECT_DOUBLE_EQ(sat.stdMag, 8.0);
    EXPECT_TRUE(CheckSatRec(sat));

    // Lines that do not parse: false, and the record is never propagated.
    TElementEntry broken = e[0];
    broken.line2 = "2 garbage";
    EXPECT_FALSE(InitSatelliteFromEntry(sat, broken, 0.0, 20.0));
    EXPECT_EQ(sat.decayed, kDecayedRejected);
}

// A big file is checked and made on several threads: the same sets, in
// file order, and the same records as made one by one.
// Long files are read in blocks of lines: a set across a block's end reads
// as any other.
TEST_F(ElementFile, SetsAcrossTheReadersBlocksReadAsAnyOther) {
    const std::string sets = "ISS\n" + kIss1 + "\n" + kIss2 + "\n" + kGeo1 + "\n" + kGeo2 + "\nMOL\n" + kMol1 + "\n" +
                             kMol2 + "\n";
    for (std::size_t blank = 65530; blank <= 65540; ++blank) {
        SCOPED_TRACE(blank);
        std::vector<TElementEntry> e;
        TElementReadReport report;
        ReadElementText(e, std::string(blank, '\n') + sets, &report);
        ASSERT_EQ(e.size(), 3u);
        EXPECT_EQ(e[0].name.str(), "ISS");
        EXPECT_EQ(e[1].name.str(), "28626");
        EXPECT_EQ(e[2].name.str(), "MOL");
        EXPECT_EQ(e[2].line2.str(), kMol2);
        EXPECT_EQ(report.strayLines, 0u);
    }
}

TEST_F(ElementFile, BigFilesAreCheckedAndMadeAsOneByOne) {
    const std::string badIss2 = Tle("2 25544  51.6416 247.4627 9999999 130.5360 325.0288 15.7212539156353");
    const std::string sets[][3] = {{"ISS", kIss1, kIss2}, {"GEO", kGeo1, kGeo2}, {"MOL", kMol1, kMol2},
                                   {"BAD", kIss1, badIss2}};
    std::string text;
    std::size_t bad = 0;
    for (int k = 0; k < 9001; ++k) {
        const auto& set = sets[k % 7 == 6 ? 3 : k % 3];
        bad += set[0] == "BAD";
        text += set[0] + std::to_string(k) + "\r\n" + set[1] + "\r\n" + set[2] + "\r\n";
    }
    Write("big.tle", text);
    std::vector<TElementEntry> e;
    std::string warning;
    std::vector<TSatRec> checked;
    ASSERT_TRUE(ReadElementsForSearch(e, Path("big.tle"), &warning, &checked));
    ASSERT_EQ(e.size(), 9001 - bad);
    // The records made for the check are the ones a search would make.
    const std::vector<TSatRec> again = SatellitesFromEntries(e, 0.0, 1000.0);
    ASSERT_EQ(checked.size(), again.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        ASSERT_EQ(std::memcmp(&checked[i], &again[i], sizeof(TSatRec)), 0) << i;
    EXPECT_EQ(warning, Path("big.tle") + ": " + std::to_string(bad) +
                           " of 9001 element sets skipped (the propagator cannot start them)");
    for (std::size_t i = 1; i < e.size(); ++i)
        ASSERT_LT(std::stoi(e[i - 1].name.str().substr(3)), std::stoi(e[i].name.str().substr(3)));

    e.push_back(e[0]);
    e.back().line2 = "2 garbage";  // passes the window, fails to parse
    const std::vector<TSatRec> made = SatellitesFromEntries(e, 1.5, 20.0);
    std::vector<TSatRec> one;
    for (const TElementEntry& entry : e) {
        TSatRec sat{};
        if (InitSatelliteFromEntry(sat, entry, 1.5, 20.0)) one.push_back(sat);
    }
    ASSERT_EQ(made.size(), one.size());
    EXPECT_LT(made.size(), e.size() - 1) << "the geostationary sets are outside the window";
    for (std::size_t i = 0; i < one.size(); ++i)
        ASSERT_EQ(std::memcmp(&made[i], &one[i], sizeof(TSatRec)), 0) << i;
}

TEST(ElementFields, EpochAndMeanMotionColumns) {
    EXPECT_NEAR(ElementEpochJulian(kIss1), 2454730.01782528, 1e-8);
    std::string l = kIss1;
    l.replace(18, 2, "57");
    EXPECT_NEAR(ElementEpochJulian(l), DayNumberToJulian(EncodeDayNumber(1957, 1, 1)) - 1 + 264.51782528, 1e-8);
    l.replace(18, 2, "56");
    EXPECT_NEAR(ElementEpochJulian(l), DayNumberToJulian(EncodeDayNumber(2056, 1, 1)) - 1 + 264.51782528, 1e-8);
    EXPECT_TRUE(std::isnan(ElementEpochJulian("1 25544U")));
    l.replace(20, 3, "x64");
    EXPECT_TRUE(std::isnan(ElementEpochJulian(l)));
    EXPECT_DOUBLE_EQ(ElementMeanMotion(kGeo2), 1.0027);
    EXPECT_EQ(ElementMeanMotion("2 short"), 0.0);
}

TEST_F(Catalogue, CheckFileComplainsWithTheText) {
    Write("here.tle", "x");
    std::vector<std::string> shown;
    const TDiagnostics tell([&](const std::string& t) { shown.push_back(t); });
    EXPECT_TRUE(CheckFile(Path("here.tle")));
    tell.Tell(FileStatus(Path("here.tle")));  // success says nothing
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(CheckFile(Path("gone.tle")));
    const TStatus gone = FileStatus(Path("gone.tle"));
    EXPECT_EQ(gone.kind, TStatusKind::notFound);
    EXPECT_EQ(gone.message, "File: " + Path("gone.tle") + " not found");
    tell.Tell(gone);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], gone.message);
}

TEST_F(Catalogue, AWindowIsToldWhatOfItsCatalogueCannotBeUsedAndKeepsTheFile) {
    std::vector<TSatRec> list;
    std::vector<std::string> w;
    bool whole = false;
    EXPECT_FALSE(LoadCatalogueFile(list, Path("absent.bin"), &w, &whole));
    EXPECT_TRUE(w.empty());
    EXPECT_TRUE(whole) << "a missing file is written at close";

    fs::create_directory(Path("MainSat.bin"));
    EXPECT_FALSE(LoadCatalogueFile(list, Path("MainSat.bin"), &w, &whole));
    EXPECT_FALSE(whole);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], "File: " + Path("MainSat.bin") + " is a folder; the list starts empty and the file is left as it is");

    const TSatRec iss = Made(kIss1, kIss2, "ISS");
    Write("IridSat.bin", Bytes({iss, iss}) + "tail");
    w.clear();
    EXPECT_TRUE(LoadCatalogueFile(list, Path("IridSat.bin"), &w, &whole));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_FALSE(whole);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], Path("IridSat.bin") + ": 2228 bytes, not a whole number of 1112-byte records; the last 4 are not read");

    // A file none of whose records is ours: told as a search tells it, and kept.
    Write("SkySat.bin", std::string(3 * 1112, '\x55'));
    w.clear();
    EXPECT_TRUE(LoadCatalogueFile(list, Path("SkySat.bin"), &w, &whole));
    EXPECT_FALSE(whole);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], "every one of the 3 records of " + Path("SkySat.bin") + " is unusable: it is not a catalogue of this program");
    TReadGuard guard;
    guard.Loaded(whole, CatalogueBytes(list));
    EXPECT_TRUE(SaveCatalogue(list, Path("SkySat.bin"), &guard));
    EXPECT_EQ(ReadAll(Path("SkySat.bin")), std::string(3 * 1112, '\x55'));
}

TEST_F(Catalogue, DataFilesThatAreNotFilesAreNamedForWhatTheyAre) {
    fs::create_directory(Path("SaoStar.bin"));
    ASSERT_EQ(::mkfifo(Path("Constellation.bin").c_str(), 0644), 0);
    fs::create_symlink("Mag.dat", Path("Mag.dat"));  // a link to itself
    std::vector<TSkyRecord> stars, figures;
    std::string message;
    EXPECT_FALSE(LoadSkyData(dir_.string() + "/", stars, figures, &message));
    EXPECT_EQ(message, "File: " + Path("SaoStar.bin") + " is a folder\nFile: " + Path("Constellation.bin") +
                           " is not a regular file (a FIFO)");
    Write("iss.tle", kIss1 + "\n" + kIss2 + "\n");
    std::vector<TElementEntry> entries;
    std::string warning;
    ASSERT_TRUE(ReadSearchElements(entries, Path("iss.tle"), Path("Mag.dat"), &warning));
    EXPECT_EQ(warning, "File: " + Path("Mag.dat") + " cannot be read: Too many levels of symbolic links; the element "
                       "sets keep standard magnitude 8.0");
    const TStatus absent = ReadSkyFile(Path("absent.bin"), stars);
    EXPECT_EQ(absent.kind, TStatusKind::notFound);
    EXPECT_EQ(absent.message, "File: " + Path("absent.bin") + " not found");
}

TEST_F(ElementFile, LimitIsWarnedOnlyWhenSetsAreLeftAndUtf16IsRead) {
    std::string exact;
    exact.reserve(kMaxElementEntries * 140 + 200);
    for (std::size_t k = 0; k < kMaxElementEntries; ++k) exact.append(kIss1).append("\n").append(kIss2).append("\n");
    std::vector<TElementEntry> entries;
    TElementReadReport report;
    ReadElementText(entries, exact, &report);
    EXPECT_EQ(entries.size(), kMaxElementEntries);
    EXPECT_EQ(report.error, "") << "every set was read";
    ReadElementText(entries, exact + kGeo1 + "\n" + kGeo2 + "\n", &report);
    EXPECT_EQ(entries.size(), kMaxElementEntries);
    EXPECT_EQ(report.error, "more than 250000 element sets; the rest was not read");

    // OMM XML as UTF-16 with its byte-order mark, either order, and two-line text so saved.
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<ndm><omm><body><segment>"
        "<metadata><OBJECT_NAME>ISS (ZARYA)</OBJECT_NAME><OBJECT_ID>1998-067A</OBJECT_ID></metadata>"
        "<data><meanElements><EPOCH>2008-09-20T12:25:40.104192</EPOCH><MEAN_MOTION>15.72125391</MEAN_MOTION>"
        "<ECCENTRICITY>.0006703</ECCENTRICITY><INCLINATION>51.6416</INCLINATION><RA_OF_ASC_NODE>247.4627</RA_OF_ASC_NODE>"
        "<ARG_OF_PERICENTER>130.5360</ARG_OF_PERICENTER><MEAN_ANOMALY>325.0288</MEAN_ANOMALY></meanElements>"
        "<tleParameters><EPHEMERIS_TYPE>0</EPHEMERIS_TYPE><CLASSIFICATION_TYPE>U</CLASSIFICATION_TYPE>"
        "<NORAD_CAT_ID>25544</NORAD_CAT_ID><ELEMENT_SET_NO>999</ELEMENT_SET_NO><REV_AT_EPOCH>56353</REV_AT_EPOCH>"
        "<BSTAR>-.11606E-4</BSTAR><MEAN_MOTION_DOT>-.00002182</MEAN_MOTION_DOT><MEAN_MOTION_DDOT>0</MEAN_MOTION_DDOT>"
        "</tleParameters></data></segment></body></omm></ndm>\n";
    auto utf16 = [](const std::string& text, bool little) {
        std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
        for (char c : text) little ? out.append({c, '\0'}) : out.append({'\0', c});
        return out;
    };
    for (bool little : {true, false}) {
        Write("omm.xml", utf16(xml, little));
        ASSERT_TRUE(ReadElementFile(entries, Path("omm.xml"), &report)) << report.Summary();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].catNo.str(), "25544");
        EXPECT_EQ(entries[0].name.str(), "ISS (ZARYA)");
    }
    Write("iss.tle", utf16("ISS\r\n" + kIss1 + "\r\n" + kIss2 + "\r\n", true));
    ASSERT_TRUE(ReadElementFile(entries, Path("iss.tle")));
    EXPECT_EQ(entries[0].line1.str(), kIss1);
}

}  // namespace
