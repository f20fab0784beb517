// The pass line is written straight from its parts for speed: it must be the
// line the general formatter writes from the same pass, to the byte.
#include <gtest/gtest.h>

#include <random>

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
}  // namespace

TEST(ReportLine, PassLineIsTheGeneralFormattersToTheByte) {
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double start = EncodeDayNumber(2018, 1, 21, 0, 0, 0);
    // Durations on whole seconds and milliseconds, just short of and on the
    // minute and the hour, long passes of high orbits, none and garbage.
    std::vector<double> durations = {0.0, 1.0, 59.0, 59.999, 60.0, 3599.0, 3599.999, 3600.0, 86399.0,
                                     359999.0, 360000.0, 1.5e6, -1.0, std::nan(""), 1e300};
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
