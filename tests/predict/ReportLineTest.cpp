// The pass and table lines are written straight from their parts for speed:
// each must be the line the general formatter writes from the same values,
// to the byte.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "PredictTestUtil.h"
#include "uReport.h"

namespace {
std::string GeneralLine(const TLinePass& p, double offset, bool estimated) {
    auto shown = [&](double t, const char* pattern) { return FormatDateTime(pattern, t + offset); };
    std::string note;
    if (p.shadow == TShadowNote::kSunlit) note = "SunLite";
    if (p.shadow == TShadowNote::kShadowed) note = "Shadow";
    if (p.shadow == TShadowNote::kEntersShadow) note = "Shd " + shown(p.shadowTime, "HH:nn:ss");
    if (p.shadow == TShadowNote::kLeavesShadow) note = "Slt " + shown(p.shadowTime, "HH:nn:ss");
    return FormatArgs("%0:16s %1:3.0f %2:3.0f %3:9s %4:3.0f %5:3.0f %6:5s %7:9s %8:3.0f %9:3.0f %10:9s %11:14s",
                      {shown(p.aos, "mm/dd HH:nn:ss"), p.aosElevation, p.aosAzimuth, shown(p.middle, "HH:nn:ss"),
                       p.maxElevation, p.maxAzimuth, p.shadowed ? std::string() : FormatArgs("%0:5.1f", {p.magnitude}),
                       shown(p.los, "HH:nn:ss"), p.losElevation, p.losAzimuth, Sec_to_str_hrs(0, p.seconds),
                       note}) +
           (estimated && !p.shadowed ? kEstimatedMark : "");
}

std::string GeneralRow(const TTableRow& r, double offset, bool sunlitOnly, bool estimated) {
    return FormatArgs("%0:16s %1:3.0f %2:4.0f %3:5s %4:5s",
                      {FormatDateTime("mm/dd HH:nn:ss", r.t + offset), r.elevation, r.azimuth,
                       r.shadowed ? std::string() : FormatArgs("%0:4.1f", {r.magnitude}),
                       sunlitOnly ? "" : r.sunlit ? "Y" : "N"}) +
           (estimated && !r.shadowed ? kEstimatedMark : "");
}

// Values the fixed columns must round as the formatter does: on and beside
// the ties of whole and tenth digits (one and two ulps off, and what 15
// significant digits take onto a tie), negative ones, zeros of both signs,
// wide and non-finite ones; then anything.
std::vector<double> ColumnValues(std::mt19937_64& random) {
    std::vector<double> v = {0.0, -0.0, 0.5, -0.5, 0.05, -0.05, 0.45, 0.95, 9.95, 99.95, 359.5, 89.5,
                             2.5, 0.4999999999999999, 0.49999999999999, 999.5, 1e4, -1e4, 123456.5,
                             1e20, -1e20, std::nan(""), HUGE_VAL, -HUGE_VAL};
    for (int k = -40; k <= 400; ++k) {
        for (const double tie : {k + 0.5, k / 10.0 + 0.05, k / 10.0}) {
            double up = tie, down = tie;
            for (int step = 0; step < 3; ++step) {
                v.push_back(up);
                v.push_back(down);
                up = std::nextafter(up, HUGE_VAL);
                down = std::nextafter(down, -HUGE_VAL);
            }
            v.push_back(tie + 3e-14);
            v.push_back(tie - 3e-14);
        }
    }
    std::uniform_real_distribution<double> any(-50.0, 400.0);
    for (int i = 0; i < 2000; ++i) v.push_back(any(random));
    return v;
}
}  // namespace

TEST(ReportLine, FixedColumnsRoundAsTheGeneralFormatter) {
    std::mt19937_64 random(7);
    const std::vector<double> values = ColumnValues(random);
    const double t = EncodeDayNumber(2018, 1, 21, 5, 12, 3);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double a = values[i], b = values[(i * 7 + 3) % values.size()];
        TLinePass p;
        p.aos = t;
        p.middle = t + 1e-3;
        p.los = t + 2e-3;
        p.seconds = 172.8;
        p.aosElevation = a;
        p.aosAzimuth = b;
        p.maxElevation = b;
        p.maxAzimuth = a;
        p.magnitude = a;
        p.losElevation = a;
        p.losAzimuth = b;
        p.shadow = TShadowNote::kSunlit;
        ASSERT_EQ(LinePassLine(p, 0.0), GeneralLine(p, 0.0, false)) << "value " << a << " / " << b;
        TTableRow r;
        r.t = t;
        r.elevation = a;
        r.azimuth = b;
        r.magnitude = b;
        r.shadowed = i % 5 == 0;
        r.sunlit = i % 2 == 0;
        ASSERT_EQ(TableRowLine(r, 0.0, i % 3 == 0, i % 4 == 0), GeneralRow(r, 0.0, i % 3 == 0, i % 4 == 0))
            << "value " << a << " / " << b;
    }
}

TEST(ReportLine, PassLineIsTheGeneralFormattersToTheByte) {
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    // Durations on whole seconds and milliseconds, just short of and on the
    // minute and the hour, long passes of high orbits, none and garbage.
    std::vector<double> durations = {0.0, 1.0, 59.0, 59.999, 60.0, 3599.0, 3599.999, 3600.0, 86399.0,
                                     359999.0, 360000.0, 1.5e6, -1.0, std::nan(""), 1e300};
    // Seconds just short of a whole one, where six decimals round up.
    for (const double whole : {0.0, 9.0, 59.0, 61.0, 3659.0, 7199.0})
        for (const double below : {5e-7, 4.9999e-7, 5.0001e-7, 5e-7 + 1e-12, 5e-7 - 1e-12, 1e-9})
            durations.push_back(whole + 1.0 - below);
    for (int i = 0; i < 3000; ++i) {
        const double s = unit(random) * 40000.0;
        durations.push_back(i % 2 ? std::round(s) : std::round(s * 1000.0) / 1000.0);
    }
    int k = 0;
    for (double seconds : durations) {
        TLinePass p;
        p.aos = start + unit(random) * 15.0;
        // Times on whole seconds (as the searches give them) and anywhere.
        if (k % 3) p.aos = std::round(p.aos * 86400.0) / 86400.0;
        p.middle = p.aos + seconds / 2.0 / 86400.0;
        p.los = p.aos + seconds / 86400.0;
        p.seconds = seconds;
        p.aosElevation = unit(random) * 5.0;
        p.aosAzimuth = unit(random) * 360.0;
        p.maxElevation = k % 5 ? unit(random) * 90.0 : 89.5;
        p.maxAzimuth = unit(random) * 360.0;
        p.magnitude = unit(random) * 12.0 - 2.0;
        p.shadowed = k % 4 == 0;
        p.losElevation = 0.0;
        p.losAzimuth = k % 7 ? unit(random) * 360.0 : 359.5;
        p.shadow = static_cast<TShadowNote>(k % 5);
        p.shadowTime = p.aos + unit(random) * seconds / 86400.0;
        const double offset = k % 2 ? 0.0 : -5.0 / 24.0;
        const bool estimated = k % 3 == 0;
        ASSERT_EQ(LinePassLine(p, offset, estimated), GeneralLine(p, offset, estimated)) << "duration " << seconds;
        ++k;
    }
}
