// Magnitude sources, the extended Mag.dat lines, the importers and the
// brightness model.
#include <gtest/gtest.h>

#include <cmath>

#include "Fixtures.h"
#include "uMagFile.h"
#include "uMagImport.h"
#include "uMagModel.h"

namespace {

std::string QsLine(const std::string& num, const std::string& name, const std::string& mag) {
    std::string l = num + " " + name;
    l.resize(37, ' ');  // the dimensions' columns left blank
    return l + mag;
}

TEST(MagModel, PhaseLawsAndExtinctionAgainstHandValues) {
    // 3.0 - 15.75 + 2.5 log10(2000^2 / 0.25)
    EXPECT_NEAR(PhaseMagnitude(3.0, 2000.0, 0.25, TPhaseModel::kFraction), 5.26030, 1e-5);
    // fraction 0.75: phase 60 deg, (2 pi/3)(0.5) + sin 60 = 1.913223
    EXPECT_NEAR(PhaseMagnitude(3.0, 2000.0, 0.75, TPhaseModel::kLambert), 3.0 + 5 * std::log10(2.0) - 2.5 * std::log10(1.913223), 1e-5);
    EXPECT_NEAR(PhaseMagnitude(3.0, 1000.0, 0.5, TPhaseModel::kLambert), 3.0, 1e-12) << "half phase is the standard";
    EXPECT_TRUE(std::isfinite(PhaseMagnitude(3.0, 1000.0, 0.0, TPhaseModel::kLambert)));
    EXPECT_GT(PhaseMagnitude(3.0, 1000.0, 0.0, TPhaseModel::kLambert), 15.0);

    EXPECT_NEAR(KastenYoungAirmass(30.0 * M_PI / 180.0), 1.99429, 1e-5);
    EXPECT_NEAR(KastenYoungAirmass(M_PI / 2), 0.99971, 1e-5);
    EXPECT_NEAR(KastenYoungAirmass(-0.1), 37.9196, 1e-3) << "below the horizon counts as the horizon";

    TMagModel model;
    EXPECT_DOUBLE_EQ(ApparentMagnitude(model, 3.0, 2000.0, 0.25, 0.5),
                     PhaseMagnitude(3.0, 2000.0, 0.25, TPhaseModel::kFraction))
        << "extinction is off by default";
    model.extinction = true;
    EXPECT_NEAR(ApparentMagnitude(model, 3.0, 2000.0, 0.25, 30.0 * M_PI / 180.0), 5.26030 + 0.398859, 1e-5);
    model.extinctionPerAirmass = 0.35;
    model.phase = TPhaseModel::kLambert;
    EXPECT_NEAR(ApparentMagnitude(model, 3.0, 1000.0, 0.5, 30.0 * M_PI / 180.0), 3.0 + 0.35 * 1.994293, 1e-5);

    TPhaseModel p;
    EXPECT_TRUE(ParsePhaseModel("lambert", p));
    EXPECT_EQ(p, TPhaseModel::kLambert);
    EXPECT_FALSE(ParsePhaseModel("Lambertian", p));
}

TEST(MagSources, OlderLinesAreReadByValueAndRoundTripUnchanged) {
    fx::TempDir dir;
    const std::string old = "http://example.test/qsmag.zip\r\n"
                            "00694   ATLAS CENTAUR 2            8.0\r\n"
                            "20580   HST                        2.2\r\n"
                            "25544   ISS (ZARYA)               -1.3\r\n"
                            "A0001   BEYOND 99999               8.0\r\n";
    fx::WriteText(dir / "Mag.dat", old);
    TMagFile mag;
    ASSERT_TRUE(LoadMagFile(dir / "Mag.dat", mag));
    ASSERT_TRUE(SaveMagFile(dir / "Mag.dat", mag));
    EXPECT_EQ(fx::ReadText(dir / "Mag.dat"), old);

    double v = 0;
    TMagSource s{};
    EXPECT_FALSE(MagLineValue(mag.lines[0], v, &s)) << "8.0 of an older line is the placeholder";
    EXPECT_EQ(s, TMagSource::kUnknown);
    EXPECT_TRUE(MagLineValue(mag.lines[2], v, &s));
    EXPECT_EQ(s, TMagSource::kObserved);
    EXPECT_DOUBLE_EQ(v, -1.3);
    EXPECT_EQ(MagNumberValue(mag.lines[3]), 100001);
    const TMagSourceCounts c = CountMagSources(mag.lines);
    EXPECT_EQ(c.observed, 2);
    EXPECT_EQ(c.unknown, 2);
}

TEST(MagSources, ExtendedLinesKeepTheOldColumnsAndCarryNineDigits) {
    const std::string user = FormatMagLine(25544, "ISS", " 2.5", TMagSource::kUser);
    EXPECT_EQ(user, "25544   ISS                        2.5 user");
    EXPECT_EQ(MagText(user), "2.5") << "older readers still find the value";
    const std::string wide = FormatMagLine(270012345, "FAR OUT", " 6.1", TMagSource::kRcs);
    EXPECT_EQ(wide, "*****   FAR OUT                    6.1 rcs 270012345");
    EXPECT_EQ(MagNumberValue(wide), 270012345);
    const std::string unknown = FormatMagLine(5, "VANGUARD 1", "11.0", TMagSource::kUnknown);
    EXPECT_EQ(MagText(unknown), "8.0") << "an unknown value is written as the placeholder";
    double v = 0;
    EXPECT_FALSE(MagLineValue(unknown, v));
    EXPECT_TRUE(MagLineValue(FormatMagLine(6, "X", " 8.0", TMagSource::kUser), v)) << "the user's 8.0 is a value";

    // Numbers are matched by value: never inside a name or a longer number.
    const std::vector<std::string> lines = {FormatMagLine(12345, "A", " 5.0", TMagSource::kObserved),
                                            FormatMagLine(23456, "HOLDS 12345", " 6.0", TMagSource::kObserved), wide};
    const TMagIndex index(lines);
    EXPECT_EQ(index.Find("12345"), 0);
    EXPECT_EQ(index.Find("70012"), -1);
    EXPECT_EQ(index.FindNumber(270012345), 2);

    // Two wide lines of different numbers are no duplicates.
    std::vector<std::string> dup = {wide, FormatMagLine(270012346, "NEXT", " 6.0", TMagSource::kRcs), wide};
    SortMagLines(dup);
    RemoveDuplicateMagLines(dup);
    ASSERT_EQ(dup.size(), 2u);
    EXPECT_EQ(MagNumberValue(dup[1]), 270012346);

    // Records carry the source; an unknown line gives the placeholder, said to be unknown.
    std::vector<TSatRec> sats(2);
    sats[0].catNo = "25544";
    sats[0].stdMag = 1.0;
    sats[1].catNo = "00005";
    sats[1].stdMag = 1.0;
    CopyMagnitudes(sats, {user, unknown});
    EXPECT_EQ(SatMagSource(sats[0]), TMagSource::kUser);
    EXPECT_TRUE(SatMagnitudeKnown(sats[0]));
    EXPECT_DOUBLE_EQ(sats[1].stdMag, 8.0);
    EXPECT_FALSE(SatMagnitudeKnown(sats[1]));
    TSatRec legacy{};
    legacy.stdMag = 8.0;
    legacy.pad[0] = 0x5A;  // an older catalogue's spare byte
    EXPECT_FALSE(SatMagnitudeKnown(legacy));
    legacy.stdMag = 4.0;
    EXPECT_TRUE(SatMagnitudeKnown(legacy));
}

TEST(MagSources, EditorSavesTheChosenSourceAndNineDigitNumbers) {
    std::vector<std::string> lines;
    TMagEntryInput in;
    in.isNew = true;
    in.number = "123456789";
    in.name = "big one";
    in.magnitude = "5.0";
    in.range = "1000";
    auto r = SaveMagEntry(lines, in);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(MagNumberValue(lines[0]), 123456789);
    EXPECT_EQ(MagLineSource(lines[0]), TMagSource::kUser);
    in.number = "00005";
    in.source = TMagSource::kUnknown;
    in.magnitude = "not read";
    r = SaveMagEntry(lines, in);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(lines[0], "00005   BIG ONE                    8.0 unknown");
    in.isNew = false;
    in.source = TMagSource::kObserved;
    in.magnitude = "4.0";
    ASSERT_TRUE(SaveMagEntry(lines, in).ok);
    EXPECT_EQ(MagLineSource(lines[0]), TMagSource::kObserved);
    EXPECT_EQ(lines.size(), 2u);
}

TEST(MagImport, QsMagConvertsFullPhaseAndKeepsTheUsersOwn) {
    std::vector<std::string> lines = {FormatMagLine(5, "VANGUARD 1", " 8.0", TMagSource::kUnknown),
                                      FormatMagLine(20580, "HST", " 1.0", TMagSource::kUser),
                                      FormatMagLine(25544, "ISS (ZARYA)", "-0.5", TMagSource::kRcs)};
    const std::string text = "Quicksat intrinsic magnitudes\n" + QsLine("00005", "Vanguard 1", " 10.3") + "\n" +
                             QsLine("20580", "HST", "  1.7") + "\n" + QsLine("25544", "ISS", " -2.0") + "\n" +
                             QsLine("40000", "New one", "  6.0") + "\n" + QsLine("40001", "No mag", "") + "\n" +
                             QsLine("40002", "Garbled", "  x.y") + "\n";
    EXPECT_EQ(DetectMagImport(text), TMagImportKind::kQsMag);
    const TMagImportReport r = ImportQsMag(lines, text);
    EXPECT_EQ(r.read, 7);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.updated, 2);
    EXPECT_EQ(r.skipped.at("kept the user's own value"), 1);
    EXPECT_EQ(r.skipped.at("no magnitude"), 1);
    EXPECT_EQ(r.skipped.at("unreadable magnitude"), 1);
    EXPECT_EQ(r.skipped.at("not a qs.mag line"), 1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "00005   VANGUARD 1                11.1 observed") << "10.3 + 0.75, the name kept";
    EXPECT_EQ(MagText(lines[1]), "1.0");
    EXPECT_EQ(lines[2], "25544   ISS (ZARYA)               -1.2 observed") << "an observed value beats an estimate";
    EXPECT_EQ(lines[3], "40000   NEW ONE                    6.8 observed");
    EXPECT_NE(r.Summary().find("qs.mag: 7 read, 1 added, 2 updated, 4 skipped ("), std::string::npos) << r.Summary();
}

TEST(MagImport, SatcatEstimatesFromRcsOnlyWhereNothingBetterIsKnown) {
    std::vector<std::string> lines = {FormatMagLine(25544, "ISS (ZARYA)", "-1.3", TMagSource::kObserved),
                                      FormatMagLine(43013, "OLD GUESS", " 8.0", TMagSource::kNotRecorded)};
    lines[1].resize(38);  // an older line: its 8.0 is unknown
    const std::string csv =
        "OBJECT_NAME,OBJECT_ID,NORAD_CAT_ID,OBJECT_TYPE,OPS_STATUS_CODE,OWNER,LAUNCH_DATE,LAUNCH_SITE,DECAY_DATE,"
        "PERIOD,INCLINATION,APOGEE,PERIGEE,RCS,DATA_STATUS_CODE,ORBIT_CENTER,ORBIT_TYPE\r\n"
        "ISS (ZARYA),1998-067A,25544,PAY,+,ISS,1998-11-20,TYMSC,,92.9,51.6,420,415,399.05,,EA,ORB\r\n"
        "NOAA 20,2017-073A,43013,PAY,+,US,2017-11-18,AFWTR,,101.3,98.7,826,825,10.0,,EA,ORB\r\n"
        "\"SL-4 R/B, DEB\",1970-001B,4300,R/B,D,CIS,1970-01-01,PKMTR,1970-02-01,,,,,2.1,,EA,IMP\r\n"
        "STARLINK-31000,2024-001A,58000,PAY,+,US,2024-01-03,AFETR,,95.6,43.0,560,558,,,EA,ORB\r\n"
        "TINY,2024-002A,58001,PAY,+,US,2024-01-04,AFETR,,95.6,43.0,560,558,0.1,,EA,ORB\r\n"
        "BAD RCS,2024-003A,58002,PAY,+,US,2024-01-04,AFETR,,95.6,43.0,560,558,-1,,EA,ORB\r\n";
    EXPECT_EQ(DetectMagImport(csv), TMagImportKind::kSatcat);
    const TMagImportReport r = ImportSatcat(lines, csv);
    EXPECT_EQ(r.read, 6);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.updated, 1);
    EXPECT_EQ(r.skipped.at("kept an observed value"), 1);
    EXPECT_EQ(r.skipped.at("decayed"), 1);
    EXPECT_EQ(r.skipped.at("no RCS"), 1);
    EXPECT_EQ(r.skipped.at("unreadable RCS"), 1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(MagText(lines[0]), "-1.3");
    EXPECT_EQ(lines[1], "43013   OLD GUESS                  5.4 rcs") << "7.9 - 2.5 log10(10)";
    EXPECT_EQ(lines[2], "58001   TINY                      10.4 rcs");
    EXPECT_NEAR(RcsStandardMagnitude(1.0), 7.9, 1e-12);
}

TEST(MagImport, NameRulesGiveFamiliesTheirConstant) {
    double m = 0;
    std::string rule;
    EXPECT_TRUE(NameRuleMagnitude("STARLINK-1007", 44713, m, &rule));
    EXPECT_DOUBLE_EQ(m, 6.8);
    EXPECT_TRUE(NameRuleMagnitude("starlink-30123", 56000, m, &rule));
    EXPECT_DOUBLE_EQ(m, 7.9);
    EXPECT_EQ(rule, "Starlink generation 2 Mini");
    EXPECT_FALSE(NameRuleMagnitude("STARLINK", 1, m)) << "no number, no generation";
    EXPECT_TRUE(NameRuleMagnitude("IRIDIUM 7", 24793, m));
    EXPECT_FALSE(NameRuleMagnitude("IRIDIUM 106", 41917, m)) << "the later generation has no rule";

    std::vector<std::string> lines = {FormatMagLine(44713, "STARLINK-1007", " 5.0", TMagSource::kObserved),
                                      FormatMagLine(24793, "IRIDIUM 7", " 8.0", TMagSource::kUnknown)};
    const TMagImportReport r = ApplyNameRules(
        lines, {{44713, "STARLINK-1007"}, {24793, "IRIDIUM 7"}, {56000, "STARLINK-30123"}, {25544, "ISS (ZARYA)"}});
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.updated, 1);
    EXPECT_EQ(r.skipped.at("kept an observed value"), 1);
    EXPECT_EQ(r.skipped.at("no rule for the name"), 1);
    EXPECT_EQ(lines[0], "24793   IRIDIUM 7                  6.0 rule");
}

TEST(MagImport, FileImportSavesOnlyWhatItRecognises) {
    fx::TempDir dir;
    fx::WriteText(dir / "Mag.dat", "http://example.test/q.zip\r\n00005   VANGUARD 1                 8.0\r\n");
    fx::WriteText(dir / "qs.mag", QsLine("00005", "Vanguard 1", " 10.3") + "\n");
    TMagImportReport r;
    const TStatus imported = ImportMagnitudeFile(dir / "qs.mag", dir / "Mag.dat", r);
    ASSERT_TRUE(imported) << imported.message;
    EXPECT_EQ(fx::ReadText(dir / "Mag.dat"), "http://example.test/q.zip\r\n00005   VANGUARD 1                11.1 observed\r\n");

    fx::WriteText(dir / "junk.txt", "nothing of the kind\n");
    // A file of no known kind is bad content; a missing one is not there.
    EXPECT_EQ(ImportMagnitudeFile(dir / "junk.txt", dir / "Mag.dat", r).kind, TStatusKind::invalid);
    EXPECT_EQ(ImportMagnitudeFile(dir / "absent", dir / "Mag.dat", r).kind, TStatusKind::notFound);
    EXPECT_NE(fx::ReadText(dir / "Mag.dat").find("11.1 observed"), std::string::npos) << "left as it was";
}

}  // namespace
