#include <gtest/gtest.h>

#include "Fixtures.h"
#include "uMagFile.h"

namespace {

TMagEntryInput Entry(const std::string& number, const std::string& name, const std::string& mag,
                     const std::string& range, bool isNew = true) {
    TMagEntryInput in;
    in.isNew = isNew;
    in.number = number;
    in.name = name;
    in.magnitude = mag;
    in.range = range;
    return in;
}

TEST(MagLine, FixedColumnsAndLastMatch) {
    const std::string line = FormatMagLine("25544", "ISS", "-1.3");
    EXPECT_EQ(line, "25544   ISS                       -1.3");
    EXPECT_EQ(line.size(), 38u);
    EXPECT_EQ(MagNumber(line), "25544");
    EXPECT_EQ(MagName(line), "ISS");
    EXPECT_EQ(MagText(line), "-1.3");
    const std::vector<std::string> lines = {"00005   VANGUARD 1", "11111   A", "22222   HOLDS 11111"};
    EXPECT_EQ(FindMagLine("11111", lines), 2) << "the last line containing the key";
    EXPECT_EQ(FindMagLine("33333", lines), -1);
    EXPECT_EQ(FindMagLine("", lines), -1);
    EXPECT_EQ(FindMagLine("1", {}), -1);
    // The index matches numbers by value, not as text; other keys as FindMagLine.
    const TMagIndex index(lines);
    EXPECT_EQ(index.Find("11111"), 1) << "not the line whose name holds the number";
    EXPECT_EQ(index.Find("1"), -1);
    for (const char* key : {"33333", "00005", "HOLDS", "ANGUA", "", "VANGUARD 1"})
        EXPECT_EQ(index.Find(key), FindMagLine(key, lines)) << key;
    EXPECT_EQ(FormatMagnitude(3.49), " 3.5");
    EXPECT_EQ(FormatMagnitude(-12.0), "-12.0");
}

TEST(MagSave, ReducesToTheStandardRangeAndKeepsLinesSorted) {
    std::vector<std::string> lines = {FormatMagLine("00005", "VANGUARD 1", "11.0"),
                                      FormatMagLine("99999", "MINE", " 8.0")};
    auto r = SaveMagEntry(lines, Entry("25544", "iss zarya", "1.0", "1000"));
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "Satellite entry saved.");
    EXPECT_EQ(r.index, 1);
    EXPECT_EQ(lines[1], "25544   ISS ZARYA                  1.0 user");
    EXPECT_EQ(lines[1].substr(33, 5), "  1.0");

    r = SaveMagEntry(lines, Entry("25544", "ISS ZARYA", "5.0", "2000", false));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(lines.size(), 3u) << "an edit replaces its line";
    EXPECT_EQ(MagText(lines[1]), "3.5");

    // Miles: 622 mi is 1000 km.
    TMagEntryInput miles = Entry("40000", "X", "2.0", "622");
    miles.distanceFactor = 0.621371;
    r = SaveMagEntry(lines, miles);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(MagText(lines[r.index]), "2.0");
}

TEST(MagSave, RefusalsComeInOrderAndChangeNothing) {
    std::vector<std::string> lines = {FormatMagLine("25544", "ISS", "-1.3")};
    const auto before = lines;
    struct Case {
        TMagEntryInput in;
        std::string message;
    } cases[] = {
        {Entry("", "X", "1.0", "1000"), "A Satellite Number is required."},
        {Entry("1234567890", "X", "1.0", "1000"), "Satellite Number 1234567890 is out of range: numbers run from 0 to 999999999."},
        {Entry("12-45", "X", "1.0", "1000"), "Satellite Number 12-45 is out of range: numbers run from 0 to 999999999."},
        {Entry("25544", "", "1.0", "1000"), "Satellite Number already exists, Cancel or Enter new number."},
        {Entry("30000", std::string(25, 'A'), "1.0", "1000"), "Enter the Satellite Name, max 24 characters"},
        {Entry("30000", "   ", "1.0", "1000"), "Enter the Satellite Name, max 24 characters"},
        {Entry("30000", "X", "1.0", "300001"), "Invalid Range entry  \" 300001 \""},
        {Entry("30000", "X", "1.0", "abc"), "Invalid Range entry  \" abc \""},
        {Entry("30000", "X", "1.0", "0"), "Invalid Range entry  \" 0 \""},
        {Entry("30000", "X", "20.0", "1000"), "Magnitude must be between -19.9 to 19.9"},
        {Entry("30000", "X", "", "1000"), "Magnitude must be between -19.9 to 19.9"},
    };
    for (const auto& c : cases) {
        auto r = SaveMagEntry(lines, c.in);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.message);
    }
    EXPECT_EQ(lines, before);
    EXPECT_TRUE(SaveMagEntry(lines, Entry("30000", std::string(24, 'A'), "-19.9", "1000")).ok);
}

TEST(MagFile, RoundTripPutsTheUrlFirstAndSortsEntries) {
    fx::TempDir dir;
    fx::WriteText(dir / "Mag.dat", "25544   ISS                       -1.3\r\n"
                                   "http://example.test/names.zip\r\n"
                                   "00005   VANGUARD 1                11.0\r\n");
    TMagFile mag;
    ASSERT_TRUE(LoadMagFile(dir / "Mag.dat", mag));
    EXPECT_EQ(mag.url, "http://example.test/names.zip");
    ASSERT_EQ(mag.lines.size(), 2u);
    EXPECT_EQ(MagNumber(mag.lines[0]), "00005");
    ASSERT_TRUE(SaveMagFile(dir / "Mag.dat", mag));
    EXPECT_EQ(fx::ReadText(dir / "Mag.dat"), "http://example.test/names.zip\r\n"
                                             "00005   VANGUARD 1                11.0\r\n"
                                             "25544   ISS                       -1.3\r\n");

    // Without a URL line the built-in one is written first.
    fx::WriteText(dir / "NoUrl.dat", "25544   ISS                       -1.3\n");
    ASSERT_TRUE(LoadMagFile(dir / "NoUrl.dat", mag));
    EXPECT_EQ(mag.url, kDefaultNamesUrl);
    ASSERT_TRUE(SaveMagFile(dir / "NoUrl.dat", mag));
    EXPECT_EQ(fx::ReadText(dir / "NoUrl.dat").rfind(std::string(kDefaultNamesUrl) + "\r\n", 0), 0u);

    EXPECT_FALSE(LoadMagFile(dir / "absent.dat", mag));
    EXPECT_TRUE(mag.lines.empty());
    EXPECT_EQ(mag.url, kDefaultNamesUrl);
}

TEST(MagFile, NamesMergeKeepsUserEntriesAndRemovesDuplicates) {
    const std::vector<std::string> entries = {
        FormatMagLine("00005", "VANGUARD 1", "11.0"),
        FormatMagLine("00900", "CALSPHERE 1", " 9.0"),
        FormatMagLine("25544", "ISS", "-1.0"),
        FormatMagLine("99999", "MY OWN", " 8.0"),
    };
    // Names file: number in 1-5, name in 6-21, magnitude in 37-41.
    auto names = [](const std::string& num, const std::string& name, const std::string& mag) {
        std::string l = num + name;
        l.resize(36, ' ');
        return l + mag;
    };
    const std::vector<std::string> namesFile = {
        names("00005", "Vanguard 1", " 10.5"), names("00011", "Vanguard 2", "  9.0"),
        names("00012", "No magnitude", ""),   names("25544", "ISS", ""),
        "garbage line",                       names("90001", "Beyond", "  5.0"),
        names("90002", "Ignored", "  5.0"),
    };
    auto out = MergeNamesLines(entries, namesFile);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0], FormatMagLine("00005", "VANGUARD 1", "10.5") + " observed");
    EXPECT_EQ(out[1], FormatMagLine("00011", "Vanguard 2", "9.0") + " observed");
    EXPECT_EQ(out[2], entries[1]);
    EXPECT_EQ(out[3], entries[2]) << "a blank magnitude keeps the entry";
    EXPECT_EQ(out[4], entries[3]) << "entries past the merge are kept";

    std::vector<std::string> dup = {"11111 a", "11111 b", "11111 c", "22222 x", "22222 y"};
    RemoveDuplicateMagLines(dup);
    EXPECT_EQ(dup, (std::vector<std::string>{"11111 a", "11111 c", "22222 x"}));
}

TEST(MagFile, MagnitudesCopiedIntoSatellites) {
    std::vector<TSatRec> sats(3);
    sats[0].catNo = "25544";
    sats[0].stdMag = 8.0;
    sats[1].catNo = "00005";
    sats[1].stdMag = 8.0;
    sats[2].catNo = "12345";
    sats[2].stdMag = 4.0;
    const std::vector<std::string> lines = {FormatMagLine("00005", "VANGUARD 1", ""),
                                            FormatMagLine("25544", "ISS", "-1.3")};
    EXPECT_EQ(CopyMagnitudes(sats, lines), 1);
    EXPECT_DOUBLE_EQ(sats[0].stdMag, -1.3);
    EXPECT_DOUBLE_EQ(sats[1].stdMag, 8.0) << "a blank magnitude changes nothing";
    EXPECT_DOUBLE_EQ(sats[2].stdMag, 4.0);
}

}  // namespace
