// The radio engine: range rate and Doppler against an independent
// reference, the transmitter importers, linear transponder tuning and the
// rotator planner's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "predict/PredictTestUtil.h"
#include "uDoppler.h"
#include "uFileIO.h"
#include "uRotatorPlan.h"
#include "uTransponders.h"
#include "uTuning.h"

namespace {
const std::string kRadioDir = std::string(ORBISK_SOURCE_DIR) + "/tests/radio";
const char* kIssLine1 = "1 25544U 98067A   18020.89808844  .00002078  00000-0  38550-4 0  9992";
const char* kIssLine2 = "2 25544  51.6424  32.9776 0003646  28.7227  39.5332 15.54190080 95614";

std::vector<TLinePass> IssPasses(const TSatRec& iss, const TObserver& o, double start, double days) {
    const TPredictionInputs in = TestInputs(start, start + days, false, true);
    TPredictionInputs zero = in;
    zero.minElevation = 0.0;
    return RunLineSearch(zero, {iss}, o, 1).linePasses;
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}
}  // namespace

// Every second of three ISS passes: our range rate against a central
// difference of python3-sgp4 positions and an observer velocity of its own.
TEST(RangeRateReference, ThreeIssPassesEverySecond) {
    const TSatRec iss = ByNumber(LoadTestSats(), "25544");
    const TObserver o = TestObserver(52.0, 4.0, 0.05);
    std::vector<TLinePass> passes = IssPasses(iss, o, EncodeDayNumber(2018, 1, 21), 1.0);
    ASSERT_GE(passes.size(), 3u);
    passes.resize(3);
    std::vector<double> times;
    for (const TLinePass& p : passes)
        for (double t = p.aos; t <= p.los; t += 1.0 / kSecondsPerDay) times.push_back(t);
    const std::string timesPath = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                                  "/orbisk_rr_times_" + std::to_string(getpid());
    {
        std::ofstream f(timesPath);
        char buf[32];
        for (double t : times) {
            std::snprintf(buf, sizeof buf, "%.10f\n", t);
            f << buf;
        }
    }
    char cmd[1024];
    std::snprintf(cmd, sizeof cmd, "/usr/bin/python3 '%s/reference_range_rate.py' '%s' '%s' 52.0 4.0 0.05 < '%s'",
                  kRadioDir.c_str(), kIssLine1, kIssLine2, timesPath.c_str());
    FILE* p = popen(cmd, "r");
    ASSERT_NE(p, nullptr);
    std::vector<double> reference;
    char line[64];
    while (std::fgets(line, sizeof line, p)) reference.push_back(std::atof(line));
    const int status = pclose(p);
    std::remove(timesPath.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        FAIL() << "python3-sgp4 is needed for this reference (scripts/install-deps installs it)";
    ASSERT_EQ(reference.size(), times.size());
    double worst = 0.0, worstHz = 0.0;
    for (std::size_t i = 0; i < times.size(); ++i) {
        TSatRec sat = iss;
        TObserver obs = o;
        TLook look;
        ASSERT_TRUE(LookAt(sat, times[i], obs, look));
        worst = std::max(worst, std::fabs(look.rangeRate - reference[i]));
        worstHz = std::max(worstHz, std::fabs(DownlinkAtRadio(437.0e6, look.rangeRate) - DownlinkAtRadio(437.0e6, reference[i])));
    }
    EXPECT_LT(worst * 1000.0, 1.0) << "m/s over " << times.size() << " seconds";
    EXPECT_LT(worstHz, 3.0);
}

TEST(Doppler, SignsAndInverses) {
    // Approaching (negative range rate): both radio frequencies are higher on the
    // downlink and lower on the uplink than at the satellite.
    EXPECT_GT(DownlinkAtRadio(437.8e6, -7.0), 437.8e6);
    EXPECT_LT(UplinkAtRadio(145.99e6, -7.0), 145.99e6);
    EXPECT_NEAR(DownlinkAtRadio(437.8e6, 7.0) - 437.8e6, -437.8e6 * 7.0 / kSpeedOfLight, 1e-6);
    EXPECT_NEAR(DownlinkAtSatellite(DownlinkAtRadio(437.8e6, 5.5), 5.5), 437.8e6, 1e-6);
    EXPECT_NEAR(UplinkAtSatellite(UplinkAtRadio(145.99e6, -5.5), -5.5), 145.99e6, 1e-6);
    // A satellite standing still over the observer's meridian point moves with it: no range rate.
    const TVector obs{6378.0, 0.0, 0.0, 6378.0};
    const TVector sat{6778.0, 0.0, 0.0, 6778.0};
    const TVector satVel{0.0, kEarthRotationRate * 6778.0, 0.0, kEarthRotationRate * 6778.0};
    EXPECT_NEAR(RangeRate(sat, satVel, obs, ObserverVelocity(obs)), 0.0, 1e-12);
}

TEST(Transponders, ImportsTheDatabaseJsonMergingDuplicates) {
    TTransponderStore store;
    const TImportCount c = ImportTransmitterJson(ReadAll(kRadioDir + "/data/transmitters.json"), store);
    EXPECT_EQ(c.taken, 4u);
    EXPECT_EQ(c.merged, 2u);   // the repeater listed twice, the APRS channel under two ids
    EXPECT_EQ(c.skipped, 4u);  // a text frequency, no number, no frequency, not an object

    const std::vector<TTransponder> fo29 = store.For(24278);
    ASSERT_EQ(fo29.size(), 1u);
    EXPECT_TRUE(fo29[0].IsLinear());
    EXPECT_TRUE(fo29[0].inverting);

    const std::vector<TTransponder> iss = store.For(25544);
    ASSERT_EQ(iss.size(), 2u);
    EXPECT_EQ(iss[0].downlinkLow, 437.8e6);
    EXPECT_EQ(iss[0].downlinkHigh, 437.8e6);  // one frequency: high taken from low
    EXPECT_DOUBLE_EQ(iss[0].ctcss, 67.0);      // from the first copy's description
    EXPECT_FALSE(iss[0].IsLinear());
    EXPECT_TRUE(iss[1].alive);  // one copy alive: alive
    EXPECT_EQ(iss[1].description, "APRS digipeater");
    EXPECT_EQ(store.For(1234567).size(), 1u);  // seven-digit catalogue numbers

    TTransponderStore bad;
    EXPECT_EQ(ImportTransmitterJson("{\"not\": \"an array\"}", bad).skipped, 1u);
    EXPECT_EQ(ImportTransmitterJson("[{\"norad_cat_id\": 1,", bad).skipped, 1u);
    EXPECT_EQ(bad.ImportedCount(), 0u);
}

TEST(Transponders, OwnFileRoundTripsAndOverridesImports) {
    TTransponderStore store;
    ImportTransmitterJson(ReadAll(kRadioDir + "/data/transmitters.json"), store);
    const TImportCount c = ReadTransponderFile(
        "# mine\n"
        "25544; FM voice repeater; down=437.800; up=145.990; mode=FM; ctcss=88.5\n"
        "24278; my FO-29; down=435.800-435.900; up=146.000-145.900; mode=USB; invert\n"
        "25544; no frequency; mode=FM\n"
        "25544; x; down=437.8; colour=blue\n"
        "abc; x; down=1\n"
        "\n",
        store, true);
    EXPECT_EQ(c.taken, 2u);
    EXPECT_EQ(c.skipped, 3u);
    const std::vector<TTransponder> iss = store.For(25544);
    ASSERT_EQ(iss.size(), 2u);  // the user's repeater hides the imported one
    EXPECT_TRUE(iss[0].user);
    EXPECT_DOUBLE_EQ(iss[0].ctcss, 88.5);
    const std::vector<TTransponder> fo29 = store.For(24278);
    ASSERT_EQ(fo29.size(), 1u);  // same downlink: the user's
    EXPECT_EQ(fo29[0].description, "my FO-29");
    EXPECT_EQ(fo29[0].uplinkLow, 145.9e6);

    TTransponderStore again;
    ASSERT_EQ(ReadTransponderFile(TransponderLine(fo29[0]) + "\n" + TransponderLine(iss[0]), again, true).taken, 2u);
    const TTransponder back = again.For(24278).at(0);
    EXPECT_EQ(back.downlinkHigh, fo29[0].downlinkHigh);
    EXPECT_EQ(back.uplinkHigh, fo29[0].uplinkHigh);
    EXPECT_TRUE(back.inverting);
    EXPECT_DOUBLE_EQ(again.For(25544).at(0).ctcss, 88.5);

    // The bundled file reads whole and names the ISS.
    TTransponderStore bundled;
    const TImportCount b = ReadTransponderFile(ReadAll(std::string(ORBISK_SOURCE_DIR) + "/data/install/data/Transponders.txt"),
                                               bundled, false);
    EXPECT_EQ(b.skipped, 0u) << (b.problems.empty() ? "" : b.problems[0]);
    EXPECT_GE(bundled.For(25544).size(), 1u);
}

TEST(Tuning, LinearTransponderKeepsTheSatelliteFrameFrequency) {
    TTransponder fo29;
    fo29.catalogue = 24278;
    fo29.downlinkLow = 435.8e6, fo29.downlinkHigh = 435.9e6;
    fo29.uplinkLow = 145.9e6, fo29.uplinkHigh = 146.0e6;
    fo29.inverting = true;
    fo29.mode = "USB";
    // Inverting: the bottom of the downlink comes from the top of the uplink.
    EXPECT_DOUBLE_EQ(PairedUplink(fo29, 435.8e6), 146.0e6);
    EXPECT_DOUBLE_EQ(PairedUplink(fo29, 435.83e6), 145.97e6);
    EXPECT_DOUBLE_EQ(PairedDownlink(fo29, PairedUplink(fo29, 435.87e6)), 435.87e6);
    EXPECT_DOUBLE_EQ(PairedUplink(fo29, 436.5e6), 145.9e6);  // outside: the edge
    TTransponder upright = fo29;
    upright.inverting = false;
    EXPECT_DOUBLE_EQ(PairedUplink(upright, 435.83e6), 145.93e6);

    const TSatRec iss = ByNumber(LoadTestSats(), "25544");
    TTuner tuner(iss, TestObserver(52.0, 4.0, 0.05), fo29);
    tuner.TuneDownlink(435.85e6);
    const double t = EncodeDayNumber(2018, 1, 21, 0, 42, 0);
    TRadioTarget a;
    ASSERT_TRUE(tuner.Update(t, a));
    EXPECT_DOUBLE_EQ(a.downSat, 435.85e6);
    EXPECT_DOUBLE_EQ(a.upSat, 145.95e6);
    EXPECT_NEAR(a.downRadio, DownlinkAtRadio(435.85e6, a.look.rangeRate), 1e-6);
    EXPECT_NEAR(a.upRadio, UplinkAtRadio(145.95e6, a.look.rangeRate), 1e-6);
    // The user turns the dial 2 kHz up at the radio: the satellite-frame
    // downlink moves by the same amount less the Doppler ratio, the uplink mirrors it.
    tuner.DownlinkDialAt(a.downRadio + 2000.0, a.look.rangeRate);
    EXPECT_NEAR(tuner.DownlinkSat() - 435.85e6, 2000.0, 0.1);
    EXPECT_NEAR(tuner.UplinkSat() - 145.95e6, -2000.0, 0.1);
    // Later in the pass the frame frequency is unchanged while the radio's moves.
    TRadioTarget b;
    ASSERT_TRUE(tuner.Update(t + 120.0 / kSecondsPerDay, b));
    EXPECT_NEAR(b.downSat, tuner.DownlinkSat(), 1e-6);
    EXPECT_GT(std::fabs(b.downRadio - (a.downRadio + 2000.0)), 100.0);

    TDeadbands d;
    EXPECT_EQ(d.For("FM"), 300.0);
    EXPECT_EQ(d.For("usb"), 20.0);
    EXPECT_EQ(d.For("BPSK"), d.data);
    EXPECT_FALSE(NeedsCorrection(437.8e6, 437.8e6 + 299.0, 300.0));
    EXPECT_TRUE(NeedsCorrection(437.8e6, 437.8e6 + 300.0, 300.0));
    EXPECT_TRUE(NeedsCorrection(0.0, 437.8e6, 300.0));  // nothing sent yet
}

// ---- rotator planner -------------------------------------------------------

namespace {
// A made-up pass: azimuth from az0 turning by sweep degrees (sign: way round),
// elevation rising to maxEl and back, one point a second for `seconds`.
std::vector<TTrackPoint> MadeUpPass(double az0, double sweep, double maxEl, int seconds = 600, double t0 = 43000.0) {
    std::vector<TTrackPoint> track;
    for (int i = 0; i <= seconds; ++i) {
        const double s = static_cast<double>(i) / seconds;
        // Elevation from slightly below the horizon, as a pass search's edges may give.
        const double el = maxEl * std::sin(M_PI * s) - 0.2;
        // Most of the azimuth swing near culmination, as in a real pass.
        const double shape = 0.5 + std::atan((s - 0.5) * 12.0) / (2.0 * std::atan(6.0));
        const double az = std::fmod(az0 + sweep * shape + 720.0, 360.0);
        track.push_back({t0 + i / kSecondsPerDay, az, el});
    }
    return track;
}

TRotatorSettings Rotator(const char* range, double elMax) {
    TRotatorSettings s;
    EXPECT_EQ(ParseAzimuthRange(range, s.limits), "");
    s.limits.elMax = elMax;
    return s;
}

// Whether one turn of the rotator holds the whole pass (turned half round
// when flipped): its azimuth followed continuously fits LO..HI shifted by
// some whole number of turns.
bool FitsOneTurn(const std::vector<TTrackPoint>& track, bool flipped, const TRotatorLimits& l) {
    double a = track[0].az + (flipped ? 180.0 : 0.0), lo = a, hi = a;
    for (std::size_t i = 1; i < track.size(); ++i) {
        double d = std::fmod(track[i].az - track[i - 1].az + 540.0, 360.0) - 180.0;
        a += d;
        lo = std::min(lo, a), hi = std::max(hi, a);
    }
    for (int k = -3; k <= 3; ++k)
        if (lo + 360.0 * k >= l.azMin - 1e-9 && hi + 360.0 * k <= l.azMax + 1e-9) return true;
    return false;
}

// The rules every plan keeps; returns the largest azimuth jump between
// consecutive commands from pre-position to LOS.
double CheckPlan(const TRotatorPlan& plan, const std::vector<TTrackPoint>& track, const TRotatorSettings& s,
                 const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_GE(plan.commands.size(), 3u);
    if (plan.commands.size() < 3) return 0.0;
    double jump = 0.0;
    for (std::size_t i = 0; i < plan.commands.size(); ++i) {
        const TRotatorCommand& c = plan.commands[i];
        EXPECT_GE(c.az, s.limits.azMin);
        EXPECT_LE(c.az, s.limits.azMax);
        EXPECT_GE(c.el, s.limits.elMin);
        EXPECT_LE(c.el, s.limits.elMax);
        if (i > 0) {
            EXPECT_GE(c.t, plan.commands[i - 1].t);
        }
        if (i > 0 && c.phase != TRotatorPhase::kPark) jump = std::max(jump, std::fabs(c.az - plan.commands[i - 1].az));
    }
    EXPECT_EQ(plan.commands.front().phase, TRotatorPhase::kPreposition);
    EXPECT_NEAR((track.front().t - plan.commands.front().t) * kSecondsPerDay, s.preAos, 1e-3);
    const TRotatorCommand& park = plan.commands.back();
    EXPECT_EQ(park.phase, TRotatorPhase::kPark);
    EXPECT_GT(park.t, track.back().t);
    EXPECT_DOUBLE_EQ(park.az, std::clamp(s.parkAz, s.limits.azMin, s.limits.azMax));
    // A high pass flips when the rotator can, unless only the plain pass
    // keeps the antenna from unwinding; it unwinds only when no allowed plan avoids it.
    const bool mayFlip = s.limits.elMax >= 180.0 && plan.maxElevation >= s.flipAbove;
    const bool plainFits = FitsOneTurn(track, false, s.limits), flipFits = FitsOneTurn(track, true, s.limits);
    EXPECT_EQ(plan.flipped, mayFlip && (flipFits || !plainFits));
    EXPECT_EQ(plan.unwinds, !plainFits && !(mayFlip && flipFits));
    // Tracking commands lead the satellite by no more than the threshold
    // (plus one second's motion), in the rotator's own angles.
    for (const TRotatorCommand& c : plan.commands) {
        if (c.phase != TRotatorPhase::kTrack) continue;
        std::size_t i = 0;
        while (i + 1 < track.size() && track[i].t < c.t) ++i;
        const double el = plan.flipped ? 180.0 - track[i].el : track[i].el;
        EXPECT_LE(std::fabs(std::clamp(el, s.limits.elMin, s.limits.elMax) - c.el), s.lead + 1.0);
    }
    return jump;
}
}  // namespace

TEST(RotatorPlan, KeepsRangesFlipsByRuleAndNeverUnwindsWhereItNeedNot) {
    struct Case {
        const char* name;
        double az0, sweep, maxEl;
    };
    const Case cases[] = {
        {"low in the south", 120.0, 120.0, 8.0},     {"high east to west", 80.0, -170.0, 60.0},
        {"across north, west to east", 300.0, 120.0, 30.0}, {"across north, east to west", 60.0, -120.0, 45.0},
        {"across the 450 stop", 330.0, 100.0, 20.0}, {"overhead", 10.0, 178.0, 89.5},
        {"just below the flip", 200.0, 150.0, 74.9}, {"just at the flip", 200.0, 150.0, 75.0},
        // Flipped it would cross the stop of a 0..450 rotator, plain it fits.
        {"high, flip across the 450 stop", 120.0, 170.0, 80.0},
    };
    const struct {
        const char* range;
        double elMax;
    } rotators[] = {{"0-360", 90.0}, {"-180-180", 90.0}, {"0-450", 90.0}, {"0-360", 180.0}, {"0-450", 180.0}};
    for (const auto& r : rotators) {
        for (const Case& c : cases) {
            TRotatorSettings s = Rotator(r.range, r.elMax);
            const std::vector<TTrackPoint> track = MadeUpPass(c.az0, c.sweep, c.maxEl);
            const std::string what = std::string(r.range) + "/" + std::to_string(int(r.elMax)) + " " + c.name;
            const TRotatorPlan plan = PlanPass(track, s, 0.0);
            const double jump = CheckPlan(plan, track, s, what);
            // The antenna unwinds only when no turn holds the pass.
            const bool fits = FitsOneTurn(track, plan.flipped, s.limits);
            EXPECT_EQ(plan.unwinds, !fits) << what;
            if (fits) {
                EXPECT_LT(jump, 30.0) << what;
            }
            // Unflipped, every one of these fits a 0..450 rotator, the pass across its stop too.
            if (std::string(r.range) == "0-450" && !plan.flipped) {
                EXPECT_TRUE(fits) << what;
            }
        }
    }
    // Flipped: the overhead pass's azimuth never swings by more than its
    // lead, the elevation passes 90. (Plain, this pass crosses north.)
    TRotatorSettings flip = Rotator("0-360", 180.0);
    const std::vector<TTrackPoint> overhead = MadeUpPass(190.0, 178.0, 89.5);
    const TRotatorPlan p = PlanPass(overhead, flip, 0.0);
    ASSERT_TRUE(p.flipped);
    EXPECT_FALSE(p.unwinds);
    double maxEl = 0.0;
    for (const TRotatorCommand& c : p.commands) maxEl = std::max(maxEl, c.el);
    EXPECT_GT(maxEl, 90.0);
    // An overhead pass whose flip would cross north stays plain, on one turn.
    const TRotatorPlan q = PlanPass(MadeUpPass(10.0, 178.0, 89.5), flip, 0.0);
    EXPECT_FALSE(q.flipped);
    EXPECT_FALSE(q.unwinds);
    // The threshold is the user's: 90 keeps even that pass unflipped, at the cost of an unwind.
    flip.flipAbove = 90.0;
    EXPECT_FALSE(PlanPass(overhead, flip, 0.0).flipped);
    EXPECT_TRUE(PlanPass(overhead, flip, 0.0).unwinds);
}

TEST(RotatorPlan, ManyMadeUpPassesNeverUnwindMidPassWhereAnAllowedPlanWouldNot) {
    std::mt19937 random(20180121);
    std::uniform_real_distribution<double> az0(0.0, 360.0), sweep(15.0, 179.0), maxEl(1.0, 89.9), flipAt(40.0, 89.0);
    const struct {
        const char* range;
        double elMax;
    } rotators[] = {{"0-360", 90.0}, {"-180-180", 90.0}, {"0-450", 90.0},
                    {"0-360", 180.0}, {"-180-180", 180.0}, {"0-450", 180.0}};
    int unwound = 0, flipped = 0, keptPlain = 0;
    for (int n = 0; n < 200; ++n) {
        const double from = az0(random), turn = (n % 2 ? 1.0 : -1.0) * sweep(random), high = maxEl(random);
        const double threshold = flipAt(random), parkAt = az0(random);
        const std::vector<TTrackPoint> track = MadeUpPass(from, turn, high, 300);
        for (const auto& r : rotators) {
            TRotatorSettings s = Rotator(r.range, r.elMax);
            s.flipAbove = threshold;
            const std::string what = std::string(r.range) + "/" + std::to_string(int(r.elMax)) + " pass " +
                                     std::to_string(n);
            const TRotatorPlan plan = PlanPass(track, s, parkAt);
            CheckPlan(plan, track, s, what);
            // The commands themselves: an unwind is a step the long way
            // round, and there is one exactly when the plan says so.
            int longWay = 0;
            for (std::size_t i = 1; i + 1 < plan.commands.size(); ++i)
                longWay += std::fabs(plan.commands[i].az - plan.commands[i - 1].az) > 180.0;
            EXPECT_EQ(longWay, plan.unwinds ? 1 : 0) << what;
            unwound += plan.unwinds;
            flipped += plan.flipped;
            keptPlain += !plan.flipped && r.elMax >= 180.0 && plan.maxElevation >= threshold;
        }
    }
    // The draw reaches every branch: unwinds left, flips, flips refused.
    EXPECT_GT(unwound, 0);
    EXPECT_GT(flipped, 0);
    EXPECT_GT(keptPlain, 0);
}

TEST(RotatorPlan, ChoosesTheTurnNearestTheAntennaAndRealPassesKeepTheRules) {
    // 20..60 degrees fits a 0..450 rotator on two turns: the nearer one to where it stands.
    TRotatorSettings s = Rotator("0-450", 90.0);
    const std::vector<TTrackPoint> track = MadeUpPass(20.0, 40.0, 30.0);
    EXPECT_LT(PlanPass(track, s, 0.0).commands[0].az, 90.0);
    EXPECT_GT(PlanPass(track, s, 400.0).commands[0].az, 360.0);
    s.parkAz = 500.0;  // outside: held to the range
    EXPECT_DOUBLE_EQ(PlanPass(track, s, 0.0).commands.back().az, 450.0);
    TRotatorLimits l;
    EXPECT_NE(ParseAzimuthRange("0-300", l), "");
    EXPECT_NE(ParseAzimuthRange("north", l), "");

    // Two days of ISS passes over two sites, on every kind of rotator.
    const TSatRec iss = ByNumber(LoadTestSats(), "25544");
    int flipped = 0, passes = 0;
    for (double lat : {52.0, -33.9}) {
        const TObserver o = TestObserver(lat, lat > 0 ? 4.0 : 18.4, 0.05);
        for (const TLinePass& p : IssPasses(iss, o, EncodeDayNumber(2018, 1, 21), 2.0)) {
            const std::vector<TTrackPoint> t = PassTrack(iss, o, p.aos, p.los, 2.0);
            for (const char* range : {"-180-180", "0-450"}) {
                for (double elMax : {90.0, 180.0}) {
                    TRotatorSettings rs = Rotator(range, elMax);
                    rs.flipAbove = 60.0;
                    const TRotatorPlan plan = PlanPass(t, rs, 0.0);
                    CheckPlan(plan, t, rs, std::string(range) + " real pass");
                    EXPECT_EQ(plan.unwinds, !FitsOneTurn(t, plan.flipped, rs.limits));
                    flipped += plan.flipped;
                }
            }
            ++passes;
        }
    }
    EXPECT_GT(passes, 10);
    EXPECT_GT(flipped, 0);
}
