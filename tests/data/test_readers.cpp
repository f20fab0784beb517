// The fixed-column readers and the sky-file reader on hand-made input:
// short, odd, garbage and missing files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>
#include <vector>

#include "uDataFiles.h"
#include "uSkyData.h"
#include "uVarDef.h"
#include "../TempDirTest.h"

namespace fs = std::filesystem;

namespace {

class TempFolder : public TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        DataFolder = dir_.string() + "/";
    }
    bool Load(std::string* message = nullptr) {
        return LoadSkyData(DataFolder, StarList, ConstellationList, message);
    }
    std::string DataFolder;
    std::vector<TSkyRecord> StarList, ConstellationList;
};

using SkyFiles = TempFolder;

TEST_F(SkyFiles, MissingFilesGiveEmptyListsAndNameTheFiles) {
    StarList.assign(3, TSkyRecord{});
    ConstellationList.assign(2, TSkyRecord{});
    std::string message;
    EXPECT_FALSE(Load(&message));
    EXPECT_TRUE(StarList.empty());
    EXPECT_TRUE(ConstellationList.empty());
    EXPECT_NE(message.find("SaoStar.bin not found"), std::string::npos) << message;
    EXPECT_NE(message.find("Constellation.bin not found"), std::string::npos) << message;
}

TEST_F(SkyFiles, OneMissingFileStillLoadsTheOther) {
    ASSERT_TRUE(WriteSkyFile(Path("SaoStar.bin"), {MakeSkyRecord(10, 20, 3.0, "A")}));
    std::string message;
    EXPECT_FALSE(Load(&message));
    EXPECT_EQ(StarList.size(), 1u);
    EXPECT_EQ(message.find("SaoStar"), std::string::npos);
    EXPECT_NE(message.find("Constellation.bin"), std::string::npos);
}

TEST_F(SkyFiles, RoundTripKeepsEveryFieldAndCutsLongNames) {
    std::vector<TSkyRecord> in = {MakeSkyRecord(101.2875, -16.7161, -1.46, "Sirius", 151881.0),
                                  MakeSkyRecord(0, 90, 6.5, "A name much longer than twenty-three")};
    ASSERT_TRUE(WriteSkyFile(Path("SaoStar.bin"), in));
    EXPECT_EQ(fs::file_size(Path("SaoStar.bin")), 2 * 56u);
    std::vector<TSkyRecord> out;
    ASSERT_TRUE(ReadSkyFile(Path("SaoStar.bin"), out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_DOUBLE_EQ(out[0].ra, 101.2875 * M_PI / 180);
    EXPECT_DOUBLE_EQ(out[0].dec, -16.7161 * M_PI / 180);
    EXPECT_DOUBLE_EQ(out[0].mag, -1.46);
    EXPECT_DOUBLE_EQ(out[0].extra, 151881.0);
    EXPECT_EQ(out[0].name.str(), "Sirius");
    EXPECT_EQ(out[1].name.str(), "A name much longer than");
    // Nothing left behind by the atomic write.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SkyFiles, TrailingBytesAndOddRecordCountsStayInsideTheList) {
    std::vector<TSkyRecord> three = {MakeSkyRecord(1, 1, 0, "Lyra"), MakeSkyRecord(2, 2, 0, ""),
                                     MakeSkyRecord(3, 3, 0, "Unpaired")};
    ASSERT_TRUE(WriteSkyFile(Path("Constellation.bin"), three));
    std::ofstream(Path("Constellation.bin"), std::ios::binary | std::ios::app) << std::string(55, 'x');
    std::vector<TSkyRecord> out;
    ASSERT_TRUE(ReadSkyFile(Path("Constellation.bin"), out));
    EXPECT_EQ(out.size(), 3u);
    EXPECT_EQ(ConstellationLineCount(out), 1u);
    EXPECT_EQ(ConstellationLineCount({}), 0u);
}

TEST_F(SkyFiles, GarbageNameLengthNeverReadsPastTheName) {
    std::string bytes(56, '\0');
    bytes[32] = static_cast<char>(200);  // length byte far beyond the 23 characters
    Write("SaoStar.bin", bytes + "short");
    std::vector<TSkyRecord> out;
    ASSERT_TRUE(ReadSkyFile(Path("SaoStar.bin"), out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].name.size(), 23u);
}

TEST_F(SkyFiles, WriteIntoMissingFolderFailsWithoutTouchingAnything) {
    EXPECT_FALSE(WriteSkyFile(Path("no/such/folder/SaoStar.bin"), {MakeSkyRecord(0, 0, 0, "")}));
}

using TextFiles = TempFolder;

TEST_F(TextFiles, LinesLoseTheirCrLfEndsAndMissingFilesFail) {
    Write("a.dat", "one\r\ntwo\nthree");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadDataLines(Path("a.dat"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_FALSE(ReadDataLines(Path("missing.dat"), lines));
    EXPECT_TRUE(lines.empty());
}

TEST(Numbers, OnlyWholeFiniteNumbersParse) {
    double v = 0;
    EXPECT_TRUE(ParseNumber("  -5.0 ", v));
    EXPECT_EQ(v, -5.0);
    EXPECT_TRUE(ParseNumber("+12.75", v));
    EXPECT_EQ(v, 12.75);
    for (const char* bad : {"", "   ", "1.5x", "x1", "nan", "inf", "1e999", "1,5", "--1"})
        EXPECT_FALSE(ParseNumber(bad, v)) << bad;
}

TEST(Columns, ShortLinesGiveBlankColumns) {
    EXPECT_EQ(DataColumns("abc", 2, 10), "bc");
    EXPECT_EQ(DataColumns("abc", 4, 10), "");
    EXPECT_EQ(DataColumns("abc", 0, 2), "");
    EXPECT_EQ(DataColumns("abc", 3, 2), "");
}

TEST(LocationLines, ThirtyTwoCharacterNameRoundTripsAndFieldsStayInColumns) {
    const std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";  // exactly 32
    const std::string line = FormatLocationLine(name, "-33.8688", "151.2093", "0.00", "Australia/Sydney", "58");
    EXPECT_EQ(line.size(), 117u);
    TLocation loc;
    ASSERT_TRUE(ParseLocationLine(line, loc));
    EXPECT_EQ(loc.name, name);
    EXPECT_EQ(loc.latText, "-33.8688");
    EXPECT_DOUBLE_EQ(loc.lat, -33.8688);
    EXPECT_DOUBLE_EQ(loc.lon, 151.2093);
    EXPECT_EQ(loc.zone, "Australia/Sydney");
    EXPECT_DOUBLE_EQ(loc.height, 58.0);

    // A too-long name is cut instead of shifting the latitude out of its columns.
    ASSERT_TRUE(ParseLocationLine(FormatLocationLine(name + "XYZ", "10.0", "20.0", "0.00", "UTC", "0"), loc));
    EXPECT_EQ(loc.name, name);
    EXPECT_DOUBLE_EQ(loc.lat, 10.0);
}

TEST(LocationLines, OutOfRangeOrGarbageIsRefused) {
    TLocation loc;
    EXPECT_FALSE(ParseLocationLine("", loc));
    EXPECT_FALSE(ParseLocationLine("Short line", loc));
    EXPECT_FALSE(ParseLocationLine(FormatLocationLine("North Pole", "90.0000", "0.0", "0.00", "UTC", "0"), loc));
    EXPECT_FALSE(ParseLocationLine(FormatLocationLine("Nowhere", "10.0", "180.0", "0.00", "UTC", "0"), loc));
    EXPECT_FALSE(ParseLocationLine(FormatLocationLine("Bad", "ten", "20.0", "0.00", "UTC", "0"), loc));
}

TEST(TimezoneLines, OffsetAndBlankPrefixedName) {
    TTimeZone z;
    ASSERT_TRUE(ParseTimezoneLine(" -5.0   America/New_York", z));
    EXPECT_EQ(z.offsetHours, -5.0);
    EXPECT_EQ(z.offsetText, "-5.0");
    EXPECT_EQ(z.listText, " America/New_York");
    EXPECT_EQ(z.name, "America/New_York");
    EXPECT_FALSE(ParseTimezoneLine("  x.0   Somewhere", z));
    EXPECT_FALSE(ParseTimezoneLine("  1.0", z));
}

TEST(DownloadLines, KindsStemsAndGarbage) {
    TDownloadEntry e;
    const std::string gz = "1 1 prefix__stem_name                   https://example.org/a.gz";
    ASSERT_TRUE(ParseDownloadLine(gz, e));
    EXPECT_TRUE(e.enabled);
    EXPECT_EQ(e.kind, 1);
    EXPECT_EQ(e.displayName, "prefix__stem_name");
    EXPECT_EQ(e.stem(), "stem_name");
    EXPECT_EQ(e.url, "https://example.org/a.gz");

    ASSERT_TRUE(ParseDownloadLine("7 0 visual                             https://x.org/v", e));
    EXPECT_TRUE(e.enabled);  // any non-zero digit enables
    EXPECT_EQ(e.stem(), "visual");

    for (const char* bad : {"", "1", "x 0 name                               https://x",
                            "1 3 name                               https://x", "1 0 name"})
        EXPECT_FALSE(ParseDownloadLine(bad, e)) << bad;
}

TEST(MagLines, BlankOrBadMagnitudeMeansTheDefault) {
    TMagEntry e;
    ASSERT_TRUE(ParseMagEntryLine("25544   ISS (ZARYA)               -1.3", e));
    EXPECT_EQ(e.number, "25544");
    EXPECT_EQ(e.name, "ISS (ZARYA)");
    EXPECT_DOUBLE_EQ(e.mag, -1.3);
    ASSERT_TRUE(ParseMagEntryLine("12345   NO MAGNITUDE", e));
    EXPECT_FALSE(e.magGiven);
    EXPECT_DOUBLE_EQ(e.mag, 8.0);
    EXPECT_FALSE(ParseMagEntryLine("", e));
}

TEST(StarLines, ColumnsAsThePickerReadsThem) {
    TStarEntry s;
    ASSERT_TRUE(ParseStarLine(" 101.2875   -16.7161 -1.46SAO151881  Sirius", s));
    EXPECT_DOUBLE_EQ(s.raDeg, 101.2875);
    EXPECT_DOUBLE_EQ(s.decDeg, -16.7161);
    EXPECT_EQ(s.magText, "-1.46");
    EXPECT_EQ(s.catalogueName, "SAO151881");
    EXPECT_EQ(s.listName, "Sirius");
    EXPECT_EQ(s.shownName, "Sirius");
    EXPECT_FALSE(ParseStarLine(" 400.0000   -16.7161 -1.46SAO151881  Bad", s));
    EXPECT_FALSE(ParseStarLine("garbage", s));
}

}  // namespace
