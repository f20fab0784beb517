// OMM element files: against python-sgp4's own OMM parse and propagation,
// round trips of every bundled set through CSV, JSON and XML, Alpha-5
// numbers, and files built to hurt the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include "OmmWriter.h"
#include "Satellite.h"
#include "uCatNumber.h"
#include "uLoadSave.h"

namespace fs = std::filesystem;

namespace {

const std::string kSourceDir = ORBISK_SOURCE_DIR;
const std::string kReference = kSourceDir + "/tests/catalogue/omm_reference.py";

// stdout of a command; false when it fails (python3-sgp4 missing).
bool Shell(const std::string& cmd, std::string& out) {
    out.clear();
    FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
    if (!p) return false;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    return pclose(p) == 0 && !out.empty();
}

std::string PackageFile(const std::string& name) {
    std::string list;
    if (!Shell("dpkg -L python3-sgp4", list)) return {};
    std::istringstream in(list);
    for (std::string l; std::getline(in, l);)
        if (l.size() >= name.size() && l.compare(l.size() - name.size(), name.size(), name) == 0) return l;
    return {};
}

class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("orbisk_omm_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    fs::path dir_;
};

std::vector<ommw::Set> BundledSets() {
    std::vector<ommw::Set> sets;
    for (const char* file : {"Iridium.tle", "stations.tle", "visual.tle"}) {
        std::vector<TElementEntry> entries;
        EXPECT_TRUE(ReadElementFile(entries, kSourceDir + "/data/install/tle/" + file)) << file;
        for (const auto& e : entries) sets.push_back({e.name.str(), e.line1.str(), e.line2.str()});
    }
    return sets;
}

std::vector<TElementEntry> Read(const std::string& text, TElementReadReport* report = nullptr) {
    std::vector<TElementEntry> entries;
    ReadElementText(entries, text, report);
    return entries;
}

// One record in the provider's CSV form; values by keyword replace the defaults.
std::string CsvWith(const std::map<std::string, std::string>& change) {
    auto fields = ommw::Fields("VANGUARD 1", "1 00005U 58002B   20287.20333880 -.00000016  00000-0 -22483-4 0  9998",
                               "2 00005  34.2443 225.5254 1845686 162.2516 205.2356 10.84869164218149");
    std::string header, row;
    for (auto& f : fields) {
        if (auto it = change.find(f.key); it != change.end()) f.value = it->second;
        if (!header.empty()) header += ',', row += ',';
        header += f.key;
        row += ommw::CsvQuoted(f.value);
    }
    return header + "\r\n" + row + "\r\n";
}

}  // namespace

using OmmReference = Scratch;

// Our reader and propagator against python-sgp4 reading the same OMM
// records itself: the provider's samples (CSV, XML, and JSON made from
// them), and every set of two bundled files as python's exporter writes it.
TEST_F(OmmReference, PositionsAgreeWithPythonSgp4WithinOneMetre) {
    const std::string csv = PackageFile("sample_omm.csv"), xml = PackageFile("sample_omm.xml");
    std::string json, exported, stations;
    if (csv.empty() || xml.empty() || !Shell("/usr/bin/python3 '" + kReference + "' json '" + csv + "'", json) ||
        !Shell("/usr/bin/python3 '" + kReference + "' export '" + kSourceDir + "/tests/predict/data/passes.tle'",
             exported) ||
        !Shell("/usr/bin/python3 '" + kReference + "' export '" + kSourceDir + "/data/install/tle/stations.tle'",
             stations))
        GTEST_SKIP() << "python3-sgp4 is not installed";
    const std::vector<std::string> files = {csv, xml, Write("sample.json", json), Write("passes.csv", exported),
                                            Write("stations.csv", stations)};
    std::string quoted, reference;
    for (const auto& f : files) quoted += " '" + f + "'";
    ASSERT_TRUE(Shell("/usr/bin/python3 '" + kReference + "' propagate" + quoted, reference));

    // Our side: number -> satellite, from every file in turn.
    std::istringstream rows(reference);
    std::map<long, TSatRec> sats;
    std::size_t fileIndex = 0, checked = 0;
    double worstKm = 0.0, worstKmPerS = 0.0;
    std::size_t index;
    auto load = [&](const std::string& path) {
        std::vector<TElementEntry> entries;
        TElementReadReport report;
        EXPECT_TRUE(ReadElementFile(entries, path, &report)) << path << ": " << report.Summary();
        EXPECT_EQ(report.skipped, 0u) << path << ": " << report.Summary();
        sats.clear();
        for (const auto& e : entries) {
            TSatRec s{};
            EXPECT_TRUE(InitSatelliteFromEntry(s, e, 0.0, 100.0)) << e.line1.str();
            sats[CatalogueNumberValue(e.catNo.view())] = s;
        }
    };
    load(files[0]);
    long n;
    while (rows >> index >> n) {
        double t, r[3], v[3];
        rows >> t >> r[0] >> r[1] >> r[2] >> v[0] >> v[1] >> v[2];
        while (fileIndex < index) load(files[++fileIndex]);
        ASSERT_TRUE(sats.count(n)) << "record " << n << " of " << files[fileIndex];
        TSatRec s = sats[n];
        TVector p{}, w{};
        ASSERT_TRUE(s.deepSpace ? SDP4(&s, &p, &w, t) : SGP4(&s, &p, &w, t)) << n << " at " << t;
        const double dr = std::hypot(p.x - r[0], p.y - r[1], p.z - r[2]);
        const double dv = std::hypot(w.x - v[0], w.y - v[1], w.z - v[2]);
        ASSERT_TRUE(std::isfinite(dr) && std::isfinite(dv));
        worstKm = std::max(worstKm, dr);
        worstKmPerS = std::max(worstKmPerS, dv);
        ++checked;
    }
    EXPECT_EQ(fileIndex, files.size() - 1) << "every file was compared";
    EXPECT_GT(checked, 500u);
    EXPECT_LE(worstKm, 0.001) << "largest position difference, km";
    EXPECT_LE(worstKmPerS, 0.000001) << "largest velocity difference, km/s";
}

// Every bundled set, written as OMM in three encodings, reads back to the
// very lines it came from: values, drag terms, epoch, designator, checksums.
TEST(OmmRoundTrip, EveryBundledSetComesBackByteForByte) {
    const std::vector<ommw::Set> sets = BundledSets();
    ASSERT_GT(sets.size(), 200u);
    const std::pair<const char*, std::string> texts[] = {
        {"CSV", ommw::Csv(sets)}, {"JSON", ommw::Json(sets)}, {"XML", ommw::Xml(sets)}};
    for (const auto& [kind, text] : texts) {
        SCOPED_TRACE(kind);
        TElementReadReport report;
        const auto entries = Read(text, &report);
        EXPECT_STREQ(ElementFormatName(report.format), (std::string("OMM ") + kind).c_str());
        EXPECT_EQ(report.Summary(), "");
        ASSERT_EQ(entries.size(), sets.size());
        for (std::size_t k = 0; k < sets.size(); ++k) {
            ASSERT_EQ(entries[k].line1.str(), sets[k].line1) << sets[k].name;
            ASSERT_EQ(entries[k].line2.str(), sets[k].line2) << sets[k].name;
            ASSERT_EQ(entries[k].name.str(), std::string(TrimText(sets[k].name))) << "names come without blanks around";
            ASSERT_EQ(entries[k].catNo.str(), sets[k].line1.substr(2, 5));
        }
    }
}

TEST(CatalogueNumbers, Alpha5FormsOrderAndSearch) {
    // Every number survives field -> value, and the letters skip I and O.
    for (long n = 0; n <= kMaxCatalogueNumber; n += 7)
        ASSERT_EQ(CatalogueNumberValue(CatalogueNumberField(n)), n) << n;
    EXPECT_EQ(CatalogueNumberField(99999), "99999");
    EXPECT_EQ(CatalogueNumberField(100001), "A0001");
    EXPECT_EQ(CatalogueNumberField(180000), "J0000");
    EXPECT_EQ(CatalogueNumberField(230000), "P0000");
    EXPECT_EQ(CatalogueNumberField(339999), "Z9999");
    EXPECT_EQ(CatalogueNumberField(340000), "");
    EXPECT_EQ(CatalogueNumberValue("I0000"), -1);
    EXPECT_EQ(CatalogueNumberValue("a0001"), -1);
    EXPECT_EQ(CatalogueNumberValue(" 1234"), 1234);
    EXPECT_EQ(CatalogueNumberText("A0001"), "100001");
    EXPECT_EQ(CatalogueNumberText("00005"), "00005");

    // As text "A0001" < "B0000" but also " 9999" < "10000" < "A0001": by number throughout.
    EXPECT_TRUE(CatalogueNumberLess("99999", "A0001"));
    EXPECT_TRUE(CatalogueNumberLess(" 9999", "10000"));
    EXPECT_FALSE(CatalogueNumberLess("A0001", "99999"));
    EXPECT_TRUE(CatalogueNumberLess("Z9999", "?????"));

    EXPECT_TRUE(SearchTextHasNumber("25544 100001", "A0001"));
    EXPECT_TRUE(SearchTextHasNumber("a0001", "A0001"));
    EXPECT_FALSE(SearchTextHasNumber("00001", "A0001")) << "part of a number matches nothing";
    EXPECT_FALSE(SearchTextHasNumber("1000010", "A0001"));
}

TEST(OmmRecords, NumbersEpochsAndRecordsThatCannotBeCarried) {
    TElementReadReport report;
    auto one = [&](const std::map<std::string, std::string>& change) {
        const auto entries = Read(CsvWith(change), &report);
        return entries.empty() ? TElementEntry{} : entries[0];
    };
    EXPECT_EQ(one({{"NORAD_CAT_ID", "100001"}}).catNo.str(), "A0001");
    EXPECT_EQ(one({{"NORAD_CAT_ID", "339999"}}).line2.str().substr(0, 8), "2 Z9999 ");
    // The last instant of a day rounds into the next; a leap day's end into the next year.
    EXPECT_EQ(one({{"EPOCH", "2020-12-31T23:59:59.9999"}}).line1.str().substr(18, 14), "21001.00000000");
    EXPECT_EQ(one({{"EPOCH", "2021-001T00:00:00Z"}}).line1.str().substr(18, 14), "21001.00000000");
    const TElementEntry drag = one({{"BSTAR", "0.999996"}, {"MEAN_MOTION_DDOT", "-1.2345678E-6"}});
    EXPECT_EQ(drag.line1.str().substr(44, 17), "-12346-5  10000+1") << "rounding carries into the exponent";
    EXPECT_EQ(one({{"BSTAR", "-4E-11"}}).line1.str().substr(53, 8), " 00000+0") << "below the exponent digit";
    EXPECT_EQ(report.skipped, 0u) << report.Summary();

    const std::pair<std::map<std::string, std::string>, const char*> bad[] = {
        {{{"NORAD_CAT_ID", "340000"}}, "with a catalogue number above 339999"},
        {{{"NORAD_CAT_ID", "12.5"}}, "NORAD_CAT_ID not a catalogue number"},
        {{{"EPOCH", "2057-01-01T00:00:00"}}, "with an epoch outside 1957-2056"},
        {{{"EPOCH", "2020-02-30T00:00:00"}}, "EPOCH not a date"},
        {{{"ECCENTRICITY", "1.0"}}, "ECCENTRICITY out of range"},
        {{{"INCLINATION", "180.1"}}, "INCLINATION out of range"},
        {{{"MEAN_MOTION", "nan"}}, "MEAN_MOTION not a number"},
        {{{"MEAN_MOTION_DOT", "-1.5"}}, "MEAN_MOTION_DOT out of range"},
        {{{"BSTAR", "1E12"}}, "BSTAR out of range"},
        {{{"BSTAR", ""}}, "without BSTAR"},
    };
    for (const auto& [change, reason] : bad) {
        EXPECT_TRUE(Read(CsvWith(change), &report).empty()) << reason;
        ASSERT_EQ(report.reasons.size(), 1u) << reason;
        EXPECT_EQ(report.reasons[0].first, reason);
    }
    // Only mean elements of SGP4, about the Earth, in TEME and UTC.
    const std::string sample = ommw::Xml({{"X", "1 00005U 58002B   20287.20333880 -.00000016  00000-0 -22483-4 0  9998",
                                           "2 00005  34.2443 225.5254 1845686 162.2516 205.2356 10.84869164218149"}});
    std::string xp = sample, frame = sample;
    xp.replace(xp.find(">SGP4<"), 6, ">SGP4-XP<");
    frame.replace(frame.find(">TEME<"), 6, ">GCRF<");
    EXPECT_TRUE(Read(xp + xp.substr(xp.find("<omm")), &report).empty());  // a second ndm is no XML
    EXPECT_TRUE(Read(xp, &report).empty());
    EXPECT_EQ(report.Summary(), "1 of 1 records skipped (1 not of the SGP4 theory)");
    EXPECT_TRUE(Read(frame, &report).empty());
    EXPECT_EQ(report.skipped, 1u);
}

using OmmHostile = Scratch;

TEST_F(OmmHostile, CsvHeadersQuotesAndRows) {
    std::vector<ommw::Set> sets = BundledSets();
    sets.resize(3);
    const std::string good = ommw::Csv(sets);
    TElementReadReport report;

    // The same columns in another order read the same.
    std::istringstream in(good);
    std::vector<std::vector<std::string>> table;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::stringstream ss(line);
        for (std::string c; std::getline(ss, c, ',');) cells.push_back(c);
        std::reverse(cells.begin(), cells.end());
        table.push_back(cells);
    }
    std::string shuffled;
    for (const auto& row : table) {
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (k) shuffled += ',';
            shuffled += row[k];
        }
        shuffled += "\n";
    }
    const auto reordered = Read(shuffled, &report);
    ASSERT_EQ(reordered.size(), 3u) << report.Summary();
    EXPECT_EQ(reordered[2].line2.str(), sets[2].line2);

    // Headers that name the wrong columns: whole file refused, or every row skipped with a reason.
    std::string missing = good, twice = good, swapped = good;
    missing.replace(missing.find("MEAN_MOTION,"), 12, "MEAN_MOTIONS,");
    twice.replace(twice.find("INCLINATION"), 11, "EPOCH");
    swapped.replace(swapped.find("EPOCH"), 5, "TMP").replace(swapped.find("MEAN_MOTION,"), 11, "EPOCH");
    swapped.replace(swapped.find("TMP"), 3, "MEAN_MOTION");
    EXPECT_TRUE(Read(missing, &report).empty());
    EXPECT_EQ(report.error, "the CSV header has no MEAN_MOTION column");
    EXPECT_TRUE(Read(twice, &report).empty());
    EXPECT_EQ(report.error, "the CSV header names EPOCH twice");
    EXPECT_TRUE(Read(swapped, &report).empty());
    EXPECT_EQ(report.Summary(), "3 of 3 records skipped (3 EPOCH not a date)");

    // Names with commas, quotes and a line end inside quotes; a quote never closed.
    auto quoted = ommw::Csv({{"A, \"B\"\nC", sets[0].line1, sets[0].line2}, sets[1]});
    const auto named = Read(quoted, &report);
    ASSERT_EQ(named.size(), 2u) << report.Summary();
    EXPECT_EQ(named[0].name.str(), "A, \"B\" C");
    EXPECT_EQ(named[1].line1.str(), sets[1].line1);
    const std::string open = good.substr(0, good.rfind("\r\n", good.size() - 3) + 2) + "\"NEVER CLOSED," +
                             good.substr(good.rfind("\r\n", good.size() - 3) + 2);
    EXPECT_EQ(Read(open, &report).size(), 2u);
    EXPECT_EQ(report.Summary(), "1 of 3 records skipped (1 with a quoted field is never closed)");
    EXPECT_EQ(Read(good + "1,2,3\r\n", &report).size(), 3u);
    EXPECT_EQ(report.Summary(), "1 of 4 records skipped (1 whose field count differs from the header's)");
}

TEST_F(OmmHostile, JsonAndXmlThatMustNotBeTrusted) {
    std::vector<ommw::Set> sets = BundledSets();
    sets.resize(2);
    TElementReadReport report;
    const std::string json = ommw::Json(sets);
    EXPECT_TRUE(Read(json.substr(0, json.size() - 40), &report).empty());
    EXPECT_EQ(report.error.rfind("not valid JSON", 0), 0u) << report.error;
    EXPECT_TRUE(Read(std::string(100000, '[') + std::string(100000, ']'), &report).empty());
    EXPECT_FALSE(report.error.empty());
    std::string nested = json;
    nested.insert(nested.find("\"OBJECT_ID\""), "\"X\":" + std::string(5000, '[') + std::string(5000, ']') + ",");
    EXPECT_TRUE(Read(nested, &report).empty());
    EXPECT_FALSE(report.error.empty());
    std::string array = json;
    array.insert(array.find("\"NORAD_CAT_ID\""), "\"Y\":[1],");
    EXPECT_EQ(Read(array, &report).size(), 2u) << "an unknown keyword's array is ignored";
    array.replace(array.find("\"MEAN_MOTION\":") + 14, 0, "[1],\"Z\":");
    EXPECT_EQ(Read(array, &report).size(), 1u);
    EXPECT_EQ(report.Summary(), "1 of 2 records skipped (1 whose MEAN_MOTION is neither number nor text)");

    // Entities are never expanded, neither from outside nor by the billion.
    const std::string secret = Write("secret.txt", "SECRET");
    const std::string body = ommw::Xml(sets).substr(ommw::Xml(sets).find("<ndm>"));
    std::string external = "<?xml version=\"1.0\"?>\n<!DOCTYPE ndm [<!ENTITY x SYSTEM \"file://" + secret +
                           "\">]>\n" + body;
    external.replace(external.find(sets[0].name), sets[0].name.size(), "&x;");
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE ndm [<!ENTITY a \"ha\">";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += std::string("<!ENTITY ") + c + " \"";
        for (int k = 0; k < 10; ++k) laughs += std::string("&") + static_cast<char>(c - 1) + ";";
        laughs += "\">";
    }
    laughs += "]>\n" + body;
    laughs.replace(laughs.find(sets[0].name), sets[0].name.size(), "&k;");
    for (const std::string& hostile : {external, laughs}) {
        const auto entries = Read(hostile, &report);
        EXPECT_TRUE(entries.empty());
        EXPECT_EQ(report.error, "an XML file with a document type declaration (its entities are not read)");
    }
    EXPECT_TRUE(Read("<html><body>Service unavailable</body></html>", &report).empty());
    EXPECT_EQ(report.error, "the XML document is <html>, not an OMM");
}

TEST_F(OmmHostile, FilesOverTheSizeCapAreRefusedUnread) {
    const std::string path = Write("huge.csv", ommw::Csv(BundledSets()));
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxElementFileBytes) + 1), 0);  // sparse
    std::vector<TElementEntry> entries(1);
    TElementReadReport report;
    EXPECT_FALSE(ReadElementFile(entries, path, &report));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(report.error, "larger than 256 MiB, the most an element file may hold");
    EXPECT_FALSE(ReadElementFile(entries, dir_.string(), &report));
    EXPECT_EQ(report.error, "not a plain file");
}
