#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <utime.h>

#include "../catalogue/OmmWriter.h"
#include "Fixtures.h"
#include "Satellite.h"
#include "uConversion.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uUpdate.h"
#include "LiteralUpdate.h"

namespace {

constexpr std::size_t kBlock = offsetof(TSatRec, stdMag);

TSatRec Sat(const std::string& catNo, int yy, double day) {
    TSatRec s{};
    const fx::Tle t = fx::MakeTle(catNo, yy, day);
    EXPECT_TRUE(MakeSatelliteRecord(s, "SAT " + catNo, catNo, 8.0, t.line1, t.line2));
    s.selected = 1;
    s.stdMag = -1.5;
    return s;
}

double EpochOf(int yy, double day) {
    TSatRec s = Sat("11111", yy, day);
    return s.epoch;
}


TEST(Update, FirstNewerPairPerFileLaterFilesMayReplaceAgain) {
    fx::TempDir dir;
    std::vector<TSatRec> list = {Sat("25544", 18, 1.0), Sat("00005", 18, 1.0)};
    const TSatRec before = list[0];
    // Older-first: both newer than the record, the first one is taken.
    fx::WriteText(dir / "a.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 10.0)) +
                                     fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 20.0)));
    ASSERT_TRUE(UpdateFromElementFiles(list, dir.path));
    EXPECT_DOUBLE_EQ(list[0].epoch, EpochOf(18, 10.0));
    EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&list[0]) + kBlock,
                          reinterpret_cast<const char*>(&before) + kBlock, sizeof(TSatRec) - kBlock),
              0)
        << "magnitude, flags, name and number stay";
    EXPECT_DOUBLE_EQ(list[1].epoch, before.epoch);

    // A later file with a newer set replaces again; an older one does not.
    fx::WriteText(dir / "b.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 15.0)));
    fx::WriteText(dir / "c.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 12.0)));
    ASSERT_TRUE(UpdateFromElementFiles(list, dir.path));
    EXPECT_DOUBLE_EQ(list[0].epoch, EpochOf(18, 20.0)) << "a.tle's second set is newer than b.tle";
    EXPECT_FALSE(UpdateFromElementFiles(list, dir.path)) << "nothing newer left";
}

TEST(Update, EpochCenturyAndMatchingRules) {
    EXPECT_NEAR(EpochOf(57, 1.0), 2435839.5, 1e-6);  // 1957-01-01
    EXPECT_NEAR(EpochOf(56, 1.0), 2471998.5, 1e-6);  // 2056-01-01
    EXPECT_DOUBLE_EQ(ElementEpochJulian(fx::MakeTle("1", 0, 1.5).line1),
                     36526.5 + kJulianOffset);  // 2000-01-01 12:00

    fx::TempDir dir;
    std::vector<TSatRec> list = {Sat("25544", 18, 1.0)};
    // The number only in line 2: no match.
    fx::Tle a = fx::MakeTle("11111", 18, 30.0), b = fx::MakeTle("25544", 18, 30.0);
    fx::WriteText(dir / "x.tle", a.line1 + "\n" + b.line2 + "\n");
    // A bad checksum fails tle_valid; an invalid year is not a date.
    fx::Tle bad = fx::MakeTle("25544", 18, 31.0);
    bad.line2.back() = bad.line2.back() == '0' ? '1' : '0';
    fx::Tle garbled = fx::MakeTle("25544", 18, 32.0);
    garbled.line1[18] = 'X';
    fx::WriteText(dir / "y.tle", bad.line1 + "\n" + bad.line2 + "\n" + garbled.line1 + "\n" + garbled.line2 + "\n");
    fx::WriteText(dir / "notes.txt", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 40.0)));
    EXPECT_FALSE(UpdateFromElementFiles(list, dir.path));

    std::vector<std::string> names;
    EXPECT_TRUE(ListElementFiles(dir.path, names));
    EXPECT_EQ(names, (std::vector<std::string>{"x.tle", "y.tle"}));
    fx::TempDir empty;
    EXPECT_FALSE(ListElementFiles(empty.path, names));
    EXPECT_FALSE(ListElementFiles(empty / "absent/", names));
}

TEST(Update, SinglePassMatchesTheLiteralScanOnRandomFiles) {
    std::mt19937 rng(20180101);
    for (int round = 0; round < 20; ++round) {
        fx::TempDir dir;
        std::vector<std::string> numbers;
        for (int i = 0; i < 12; ++i) {
            char b[8];
            std::snprintf(b, sizeof b, "%05d", 10000 + static_cast<int>(rng() % 20));
            numbers.push_back(b);
        }
        std::vector<TSatRec> list;
        for (int i = 0; i < 10; ++i)
            list.push_back(Sat(numbers[rng() % numbers.size()], 18, 1.0 + static_cast<double>(rng() % 40)));
        for (int f = 0; f < 3; ++f) {
            std::string text;
            for (int k = 0; k < 30; ++k) {
                fx::Tle t = fx::MakeTle(numbers[rng() % numbers.size()], 18, 1.0 + (rng() % 4000) / 100.0);
                switch (rng() % 6) {
                    case 0: t.line2.back() = t.line2.back() == '0' ? '1' : '0'; break;  // bad checksum
                    case 1: text += fx::MakeTle(numbers[0], 18, 50.0).line1 + "\n"; break;  // stray line 1
                    default: break;
                }
                text += (rng() % 2 ? "NAME\r\n" : "") + t.line1 + "\r\n" + t.line2 + "\r\n";
            }
            fx::WriteText(dir / std::string("f").append(std::to_string(f)).append(".tle"), text);
        }
        auto fast = list, literal = list;
        const bool a = UpdateFromElementFiles(fast, dir.path);
        const bool b = LiteralUpdate(literal, dir.path);
        ASSERT_EQ(a, b) << "round " << round;
        for (std::size_t i = 0; i < list.size(); ++i)
            ASSERT_EQ(std::memcmp(&fast[i], &literal[i], sizeof(TSatRec)), 0) << "round " << round << " record " << i;
    }
}

TEST(Update, IridiumListThatCannotBeSavedIsNotReportedUpdated) {
    fx::TempDir dir;
    std::vector<TSatRec> list = {Sat("24793", 18, 1.0)};
    fx::WriteText(dir / "iridium.tle", fx::ThreeLines("IRIDIUM 7", fx::MakeTle("24793", 18, 5.0)));
    const std::string irid = dir / "IridSat.bin";
    ASSERT_TRUE(SaveCatalogue(list, irid));
    ::chmod(irid.c_str(), 0444);
    bool changed = false;
    TNetMessage m = UpdateIridiumListTask(list, dir.path, irid, changed);
    EXPECT_TRUE(changed) << "the list in memory is the updated one";
    EXPECT_EQ(m.text, "File: " + irid + " could not be written: the file is read-only; the updated Iridium list is "
                      "used until the program ends");
    ::chmod(irid.c_str(), 0644);
    std::vector<TSatRec> back;
    ASSERT_TRUE(LoadCatalogue(back, irid));
    EXPECT_DOUBLE_EQ(back[0].epoch, EpochOf(18, 1.0)) << "the file is untouched";
    list = back;
    m = UpdateIridiumListTask(list, dir.path, irid, changed);
    EXPECT_EQ(m.text, "Iridium Satellites updated successfully");
}

TEST(Conversion, CommonNamesSortedFromTheMagnitudeFile) {
    fx::TempDir dir;
    fx::WriteText(dir / "Mag.dat", "http://example.test/names.zip\r\n" + FormatMagLine("25544", "ISS", "-1.3") + "\r\n");
    const fx::Tle iss = fx::MakeTle("25544", 18, 1.0), van = fx::MakeTle("00005", 18, 1.0);
    fx::WriteText(dir / "mix.tle", fx::ThreeLines("ISS (ZARYA)", iss) + fx::ThreeLines("VANGUARD 1", van));
    ASSERT_TRUE(ConvertToCommonNames(dir / "mix.tle", dir / "Mag.dat"));
    EXPECT_EQ(fx::ReadText(dir / "mix.tle"), fx::ThreeLines("ISS (ZARYA)", iss) + fx::ThreeLines("VANGUARD 1", van))
        << "the source is kept";
    EXPECT_EQ(fx::ReadText(dir / "Common_Name_mix.tle"),
              fx::ThreeLines("VANGUARD 1", van) + fx::ThreeLines("ISS", iss));

    // A failed conversion keeps its source.
    fx::WriteText(dir / "keep.tle", fx::ThreeLines("ISS (ZARYA)", iss));
    auto msg = ConvertFileTask(dir / "keep.tle", dir / "absent.dat");
    EXPECT_EQ(msg.title, "File Conversion");
    EXPECT_EQ(msg.text, "File \"keep.tle\" FAILED to Convert\nFile: " + dir / "absent.dat" + " not found");
    EXPECT_EQ(ConvertToCommonNames(dir / "keep.tle", dir / "absent.dat").kind, TStatusKind::notFound);
    EXPECT_TRUE(netfiles::FileExists(dir / "keep.tle"));
    // Nor is a file without element sets replaced by an empty one.
    fx::WriteText(dir / "page.tle", "<html>Rate limit exceeded</html>\n");
    msg = ConvertFileTask(dir / "page.tle", dir / "Mag.dat");
    EXPECT_EQ(msg.text.rfind("File \"page.tle\" FAILED to Convert\nno element sets in ", 0), 0u) << msg.text;
    EXPECT_EQ(fx::ReadText(dir / "page.tle"), "<html>Rate limit exceeded</html>\n");
    EXPECT_FALSE(netfiles::FileExists(dir / "Common_Name_page.tle"));
    EXPECT_EQ(ConvertToCommonNames(dir / "page.tle", dir / "Mag.dat").kind, TStatusKind::invalid);
    // Nor is a failed write taken for a conversion.
    std::filesystem::create_directory(dir / "Common_Name_keep.tle");
    const TStatus blocked = ConvertToCommonNames(dir / "keep.tle", dir / "Mag.dat");
    EXPECT_EQ(blocked.kind, TStatusKind::ioError);
    EXPECT_EQ(ConvertFileTask(dir / "keep.tle", dir / "Mag.dat").text,
              "File \"keep.tle\" FAILED to Convert\ncannot write " + dir / "Common_Name_keep.tle" + ": is a folder");
    std::filesystem::remove(dir / "Common_Name_keep.tle");
    msg = ConvertFileTask(dir / "keep.tle", dir / "Mag.dat");
    EXPECT_EQ(msg.text, "File converted to \"Common_Name_keep.tle\"\nWritten to " + dir / "Common_Name_keep.tle" +
                            "; \"keep.tle\" is kept as it was.");
    EXPECT_TRUE(netfiles::FileExists(dir / "keep.tle"));

    // Records the element lines cannot carry are counted in the message.
    const fx::Tle six = fx::MakeTle("A0001", 18, 1.0);
    std::string omm = ommw::Csv({{"ISS (ZARYA)", iss.line1, iss.line2}, {"BIG", six.line1, six.line2}});
    omm.replace(omm.find(",100001,"), 8, ",400001,");
    fx::WriteText(dir / "big.csv", omm);
    msg = ConvertFileTask(dir / "big.csv", dir / "Mag.dat");
    EXPECT_NE(msg.text.find("\nNot converted: 1 of 2 records skipped (1 with a catalogue number above 339999)"),
              std::string::npos) << msg.text;
    EXPECT_EQ(fx::ReadText(dir / "big.csv"), omm);
    EXPECT_EQ(fx::ReadText(dir / "Common_Name_big.csv"), fx::ThreeLines("ISS", iss));
}

// A provider download in OMM CSV: the update takes its newer sets, six-digit
// objects included, and the conversion turns it into three-line sets in
// number order (A0001 after 99999) with their common names.
TEST(Conversion, OmmDownloadsUpdateAndConvertLikeElementText) {
    fx::TempDir dir;
    const fx::Tle fresh[] = {fx::MakeTle("A0001", 18, 9.0), fx::MakeTle("99999", 18, 9.0), fx::MakeTle("25544", 18, 9.0)};
    fx::WriteText(dir / "active.tle", ommw::Csv({{"NEW, \"ONE\"", fresh[0].line1, fresh[0].line2},
                                                 {"LAST FIVE", fresh[1].line1, fresh[1].line2},
                                                 {"ISS (ZARYA)", fresh[2].line1, fresh[2].line2}}));
    std::vector<TSatRec> list = {Sat("25544", 18, 1.0), Sat("A0001", 18, 1.0)};
    ASSERT_TRUE(UpdateFromElementFiles(list, dir.path));
    EXPECT_DOUBLE_EQ(list[0].epoch, EpochOf(18, 9.0));
    EXPECT_DOUBLE_EQ(list[1].epoch, EpochOf(18, 9.0));

    fx::WriteText(dir / "Mag.dat", "http://example.test/names.zip\r\n" + FormatMagLine("A0001", "FIRST SIX", " 5.0") + "\r\n");
    ASSERT_TRUE(ConvertToCommonNames(dir / "active.tle", dir / "Mag.dat"));
    EXPECT_EQ(fx::ReadText(dir / "Common_Name_active.tle"), fx::ThreeLines("ISS (ZARYA)", fresh[2]) +
                                                                fx::ThreeLines("LAST FIVE", fresh[1]) +
                                                                fx::ThreeLines("FIRST SIX", fresh[0]));
}

TEST(Conversion, IridiumFileFiltersNamesAndFindsTheConvertedSource) {
    fx::TempDir dir, data;
    std::vector<TSatRec> irid;
    bool written = true;
    auto msg = CreateIridiumFile(dir.path, data / "IridSat.bin", irid, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(msg.text, "File \"Iridium.tle\" or \"Common_Name_Iridium.tle\" was not found in download directory.");

    fx::WriteText(dir / "Iridium.tle", fx::ThreeLines("IRIDIUM 7", fx::MakeTle("24793", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("IRIDIUM 5 [T]", fx::MakeTle("24795", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("IRIDIUM 6 ?", fx::MakeTle("24796", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("Iridium 8 t", fx::MakeTle("24792", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("IRIDIUM 33 DEB", fx::MakeTle("33770", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("IRIDIUM 106", fx::MakeTle("41917", 18, 1.0, 14.3, 86.4)));
    fx::WriteText(data / "Mag.dat", "http://example.test/q.zip\r\n");
    ASSERT_TRUE(ConvertToCommonNames(dir / "Iridium.tle", data / "Mag.dat"));
    // With the source put away, its converted file serves.
    ASSERT_EQ(std::rename((dir / "Iridium.tle").c_str(), (dir / "Iridium.old").c_str()), 0);
    msg = CreateIridiumFile(dir.path, data / "IridSat.bin", irid, written);
    EXPECT_TRUE(written);
    EXPECT_EQ(msg.title, "Iridium file creation");
    EXPECT_EQ(msg.text, "Successsfully created \"IridSat.bin\" file.");
    ASSERT_EQ(irid.size(), 2u);
    EXPECT_EQ(irid[0].name, "Iridium 8 t");
    EXPECT_EQ(irid[1].name, "IRIDIUM 7");
    EXPECT_GT(irid[1].epoch, 2458000.0);

    // A source without sets leaves the catalogue as it was.
    fx::WriteText(dir / "Iridium.tle", "no sets here\n");
    msg = CreateIridiumFile(dir.path, data / "IridSat.bin", irid, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(msg.text, "New file creation failed. Make sure your iridium.tle file is not corrupted");
    std::vector<TSatRec> again;
    EXPECT_TRUE(LoadCatalogue(again, data / "IridSat.bin"));
    EXPECT_EQ(again.size(), 2u);

    // Sets that all fail the name filter leave it too, and say why.
    fx::WriteText(dir / "Iridium.tle", fx::ThreeLines("IRIDIUM 5 [T]", fx::MakeTle("24795", 18, 1.0, 14.3, 86.4)) +
                                           fx::ThreeLines("IRIDIUM 6 ?", fx::MakeTle("24796", 18, 1.0, 14.3, 86.4)));
    msg = CreateIridiumFile(dir.path, data / "IridSat.bin", irid, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(msg.text, "New file creation failed. None of the 2 element sets of \"Iridium.tle\" passed the Iridium "
                        "name filter and initialised; \"IridSat.bin\" was left as it was.");
    EXPECT_TRUE(LoadCatalogue(again, data / "IridSat.bin"));
    EXPECT_EQ(again.size(), 2u);
}

TEST(Conversion, SkyFileTakesMagnitudesWithSignBlankAndTheLastEntry) {
    fx::TempDir dir;
    fx::WriteText(dir / "Mag.dat", "http://example.test/q.zip\r\n" + FormatMagLine("00005", "VANGUARD 1", "") +
                                       "\r\n" + FormatMagLine("00900", "NOT IN SOURCE", "9.0") + "\r\n" +
                                       FormatMagLine("25544", "ISS", "-12.0") + "\r\n" + "junk line\r\n");
    fx::WriteText(dir / "src.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 1.0)) +
                                       fx::ThreeLines("UNKNOWN", fx::MakeTle("20000", 18, 1.0)) +
                                       fx::ThreeLines("VANGUARD", fx::MakeTle("00005", 18, 1.0, 10.8, 34.2)));
    std::vector<TSatRec> sky;
    bool written = false;
    auto msg = CreateSkySatFile(dir / "src.tle", dir / "Mag.dat", dir / "SkySat.bin", sky, written);
    EXPECT_TRUE(msg.title.empty()) << msg.text;
    ASSERT_TRUE(written);
    ASSERT_EQ(sky.size(), 2u);
    EXPECT_EQ(sky[0].catNo, "00005");
    EXPECT_DOUBLE_EQ(sky[0].stdMag, 8.0);
    EXPECT_EQ(sky[1].catNo, "25544") << "the entry that sorts last is taken too";
    EXPECT_DOUBLE_EQ(sky[1].stdMag, -12.0);

    msg = CreateSkySatFile(dir / "src.tle", dir / "absent.dat", dir / "SkySat.bin", sky, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(msg.text, "File: " + (dir / "absent.dat") + " not found");

    fx::WriteText(dir / "one.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 1.0)));
    msg = CreateSkySatFile(dir / "one.tle", dir / "Mag.dat", dir / "SkySat.bin", sky, written);
    EXPECT_FALSE(written);
    EXPECT_EQ(msg.title, "File");
    EXPECT_EQ(msg.text, "Selected file has no Satellite Element found");
}

TEST(Conversion, SkyRefreshOnlyWhenTheFileIsOld) {
    fx::TempDir dir, tle;
    std::vector<TSatRec> sky = {Sat("25544", 18, 1.0)};
    ASSERT_TRUE(SaveCatalogue(sky, dir / "SkySat.bin"));
    fx::WriteText(tle / "new.tle", fx::ThreeLines("ISS", fx::MakeTle("25544", 18, 5.0)));
    const double now = 25569.0 + static_cast<double>(std::time(nullptr)) / 86400.0;
    EXPECT_TRUE(RefreshSkySats(dir / "SkySat.bin", tle.path, now, 15).sats.empty())
        << "a fresh file is left for sky mode to load";
    utimbuf old{std::time(nullptr) - 20 * 86400, std::time(nullptr) - 20 * 86400};
    ::utime((dir / "SkySat.bin").c_str(), &old);
    const TSkyRefresh refresh = RefreshSkySats(dir / "SkySat.bin", tle.path, now, 15);
    EXPECT_TRUE(refresh.changed);
    ASSERT_EQ(refresh.sats.size(), 1u);
    EXPECT_DOUBLE_EQ(refresh.sats[0].epoch, EpochOf(18, 5.0));
    std::vector<TSatRec> stored;
    LoadCatalogue(stored, dir / "SkySat.bin");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_DOUBLE_EQ(stored[0].epoch, EpochOf(18, 1.0)) << "the worker's part writes nothing";
}

}  // namespace
