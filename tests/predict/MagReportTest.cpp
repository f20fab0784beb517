// The magnitude model as the searches use it, and unknown standard
// magnitudes in the reports and records.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "../common/RunProgram.h"
#include "PredictTestUtil.h"
#include "TempDirTest.h"
#include "uInitialize.h"
#include "uMagFile.h"
#include "uPassSearch.h"
#include "uPredictArgs.h"
#include "uRecordOutput.h"

namespace {
constexpr double kStart = 43121.0;  // 2018-01-22 00:00 UTC

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

// Extinction adds K x airmass at the row's own elevation (a wrong elevation,
// such as the horizon's, would add tens of magnitudes); the Lambertian law
// changes magnitudes but never which rows are listed.
TEST(MagReports, SearchesApplyTheChosenModel) {
    const TObserver o = TestObserver();
    const std::vector<TSatRec> sats = LoadTestSats();
    TPredictionInputs plain = TestInputs(kStart, kStart + 1.0, true, false);
    TPredictionInputs dimmed = plain, lambert = plain;
    dimmed.magModel.extinction = true;
    dimmed.magModel.extinctionPerAirmass = 0.3;
    lambert.magModel.phase = TPhaseModel::kLambert;
    const TPredictionResult a = RunTabularSearch(plain, sats, o, 1);
    const TPredictionResult b = RunTabularSearch(dimmed, sats, o, 1);
    const TPredictionResult c = RunTabularSearch(lambert, sats, o, 1);
    ASSERT_EQ(a.tablePasses.size(), b.tablePasses.size());
    ASSERT_EQ(a.tablePasses.size(), c.tablePasses.size());
    int rows = 0, changed = 0;
    for (std::size_t i = 0; i < a.tablePasses.size(); ++i) {
        const auto& ra = a.tablePasses[i].rows;
        ASSERT_EQ(ra.size(), b.tablePasses[i].rows.size());
        ASSERT_EQ(ra.size(), c.tablePasses[i].rows.size());
        for (std::size_t k = 0; k < ra.size(); ++k) {
            const TTableRow &x = ra[k], &y = b.tablePasses[i].rows[k], &z = c.tablePasses[i].rows[k];
            EXPECT_EQ(x.t, y.t);
            if (x.shadowed || x.elevation <= Degrees(plain.minElevation) + 1e-9) continue;
            EXPECT_NEAR(y.magnitude - x.magnitude, 0.3 * KastenYoungAirmass(x.elevation * kDeg), 1e-3);
            changed += std::abs(z.magnitude - x.magnitude) > 0.05;
            ++rows;
        }
    }
    EXPECT_GT(rows, 10);
    EXPECT_GT(changed, 0);

    // The line search takes it too: at the highest point.
    const TPredictionResult la = RunLineSearch(plain, sats, o, 1), lb = RunLineSearch(dimmed, sats, o, 1);
    ASSERT_EQ(la.linePasses.size(), lb.linePasses.size());
    ASSERT_FALSE(la.linePasses.empty());
    for (std::size_t i = 0; i < la.linePasses.size(); ++i)
        EXPECT_NEAR(lb.linePasses[i].magnitude - la.linePasses[i].magnitude,
                    0.3 * KastenYoungAirmass(la.linePasses[i].maxElevation * kDeg), 1e-3);
}

// A satellite without a standard magnitude: no figure in CSV and JSON, its
// rows marked in the text (fixed columns untouched), a known one unmarked.
TEST(MagReports, UnknownStandardMagnitudeIsNullAndMarked) {
    const TObserver o = TestObserver();
    std::vector<TSatRec> sats = LoadTestSats();
    for (std::size_t i = 0; i < sats.size(); i += 2) {
        sats[i].stdMag = kPlaceholderStdMag;
        SetSatMagSource(sats[i], TMagSource::kUnknown);
    }
    const TPredictionInputs in = TestInputs(kStart, kStart + 2.0, true, false);
    const TPredictionResult r = RunLineSearch(in, sats, o, 1);
    ASSERT_FALSE(r.linePasses.empty());

    const TRecordTable records = LinePassRecords(r, sats, false);
    std::size_t magColumn = 0;
    while (records.columns[magColumn] != "max_magnitude") ++magColumn;
    int unknown = 0, known = 0;
    for (std::size_t i = 0; i < r.linePasses.size(); ++i) {
        const bool isUnknown = r.linePasses[i].satellite % 2 == 0;
        EXPECT_EQ(records.rows[i][magColumn].kind == TCell::Kind::kNone, isUnknown) << i;
        ++(isUnknown ? unknown : known);
    }
    ASSERT_GT(unknown, 0);
    ASSERT_GT(known, 0);
    const std::string json = RecordsJson(records);
    EXPECT_NE(json.find("\"max_magnitude\": null"), std::string::npos);

    const TReportLines bySat = LineReport(r, sats, in, TestSettings(o, 0));
    const TReportLines byTime = LineReport(r, sats, in, TestSettings(o, 0), TReportOrder::kByTime);
    int marked = 0, blocks = 0;
    for (const std::string& line : bySat) {
        marked += EndsWith(line, kEstimatedMark);
        blocks += line == kEstimatedBlockLine;
    }
    EXPECT_EQ(marked, unknown);
    EXPECT_GT(blocks, 0);
    EXPECT_EQ(byTime.back(), kEstimatedFootnote);

    TLinePass p = r.linePasses.front();
    const std::string plain = LinePassLine(p, 0.0), estimated = LinePassLine(p, 0.0, true);
    EXPECT_EQ(estimated, plain + kEstimatedMark);
    p.shadowed = true;  // no magnitude shown: nothing to mark
    EXPECT_EQ(LinePassLine(p, 0.0, true), LinePassLine(p, 0.0));
}

// The options file keeps the model in its spare bytes; old files (zeros)
// read as the default, a byte out of range as the default with a warning.
class MagOptions : public TempDirTest {};
TEST_F(MagOptions, ModelRoundTripsAndBadBytesFallBack) {
    const std::string data = dir_.string() + "/";
    TOptions o = DefaultOptions(data);
    TMenuSettings m = DefaultMenuSettings();
    const TMagModel none = MagModelOf(o);
    EXPECT_EQ(none.phase, TPhaseModel::kFraction);
    EXPECT_FALSE(none.extinction);
    EXPECT_EQ(none.extinctionPerAirmass, kDefaultExtinction);

    TMagModel model;
    model.phase = TPhaseModel::kLambert;
    model.extinction = true;
    model.extinctionPerAirmass = 0.27;
    StoreMagModel(o, model);
    ASSERT_TRUE(SaveOptions(data, o, m));
    TOptions back{};
    ASSERT_TRUE(LoadOptions(data, data, back, m));
    const TMagModel read = MagModelOf(back);
    EXPECT_EQ(read.phase, TPhaseModel::kLambert);
    EXPECT_TRUE(read.extinction);
    EXPECT_DOUBLE_EQ(read.extinctionPerAirmass, 0.27);

    std::string bytes = OptionsFileBytes(o, m);
    bytes[offsetof(TOptions, magPhase)] = 7;
    Write("Options.bin", bytes);
    std::vector<std::string> warnings;
    LoadOptions(data, data, back, m, &warnings);
    EXPECT_EQ(MagModelOf(back).phase, TPhaseModel::kFraction);
    EXPECT_TRUE(MagModelOf(back).extinction);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("magnitude phase model"), std::string::npos) << warnings[0];
}

// --phase and --extinction put over the options file's model.
TEST(MagReports, CommandLineOverridesTheOptionsModel) {
    TMagModel saved;
    saved.extinction = true;
    TPredictArgs a;
    ASSERT_EQ(ParsePredictArgs({"--phase", "lambert", "--extinction", "0"}, a), "");
    TMagModel m = PredictMagModel(a, saved);
    EXPECT_EQ(m.phase, TPhaseModel::kLambert);
    EXPECT_FALSE(m.extinction);
    TPredictArgs b;
    ASSERT_EQ(ParsePredictArgs({"--extinction", "0.35"}, b), "");
    m = PredictMagModel(b, TMagModel{});
    EXPECT_EQ(m.phase, TPhaseModel::kFraction);
    EXPECT_TRUE(m.extinction);
    EXPECT_DOUBLE_EQ(m.extinctionPerAirmass, 0.35);
    TPredictArgs c;
    EXPECT_EQ(ParsePredictArgs({"--phase", "moon"}, c), "--phase must be fraction or lambert, not 'moon'");
    EXPECT_NE(ParsePredictArgs({"--extinction", "-1"}, c), "");
    EXPECT_NE(ParsePredictArgs({"--extinction", "9"}, c), "");
}

// orbisk-predict --import-magnitudes merges into the data folder's Mag.dat,
// prints the counts, and refuses a kind the file is not.
class MagImportCommand : public TempDirTest {};
TEST_F(MagImportCommand, MergesPrintsCountsAndRefusesAWrongKind) {
    const std::string program = std::string(ORBISK_PROGRAM_DIR) + "/orbisk-predict";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "orbisk-predict is not built";
    Write("Mag.dat", "http://example.test/q.zip\n25544   ISS (ZARYA)               -1.3\n");
    Write("satcat.csv",
          "OBJECT_NAME,OBJECT_ID,NORAD_CAT_ID,OBJECT_TYPE,DECAY_DATE,RCS\n"
          "ISS (ZARYA),1998-067A,25544,PAY,,399.05\n"
          "NOAA 20,2017-073A,43013,PAY,,10.0\n");
    const std::string data = "--data '" + dir_.string() + "' ";
    const std::string before = ReadText(Path("Mag.dat"));

    TProgramRun wrong = RunProgram(program, data + "--import-magnitudes '" + Path("satcat.csv") + "' --import-kind rules");
    EXPECT_EQ(wrong.status, 1) << wrong.out;
    EXPECT_NE(wrong.out.find("holds no element sets"), std::string::npos) << wrong.out;
    EXPECT_EQ(ReadText(Path("Mag.dat")), before);

    TProgramRun run = RunProgram(program, data + "--import-magnitudes '" + Path("satcat.csv") + "'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("SATCAT: 2 read, 1 added, 0 updated, 1 skipped (1 kept an observed value)"),
              std::string::npos)
        << run.out;
    const std::string after = ReadText(Path("Mag.dat"));
    EXPECT_NE(after.find("43013   NOAA 20                    5.4 rcs"), std::string::npos) << after;
    EXPECT_NE(after.find("25544   ISS (ZARYA)               -1.3"), std::string::npos) << after;

    EXPECT_EQ(RunProgram(program, "--import-kind qsmag").status, 2);
}
