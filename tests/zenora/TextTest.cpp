// Angle and time texts: exact forms, cut-versus-rounded seconds, buffers per
// thread, and safety for values no reading should produce.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "Zenora.h"

namespace {
const std::string kDeg = "\xB0";

TEST(ZenoraText, Degrees) {
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 1, -0.5)), "-00" + kDeg + " 30' 00.0\"");
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 0, 12.9999)), "+12" + kDeg + " 59' 60\"");  // no carry
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 3, 45.5)), "+45" + kDeg + " 30' 00.000\"");
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 9, 1.0)), "+01" + kDeg + " 00' 00.000000\"");  // six at most
    EXPECT_EQ(std::string(Conv_to_str_deg(true, 0, M_PI / 2)), "+90" + kDeg + " 00' 00\"");
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 0, 123.0)), "+123" + kDeg + " 00' 00\"");
    // 10° 00' 59.96": rounded at the tenth, it shows 60.0 without a carry.
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 1, 10 + 59.96 / 3600)), "+10" + kDeg + " 00' 60.0\"");
    // Halves round away from zero: 0.25" at one decimal is 0.3.
    EXPECT_EQ(std::string(Conv_to_str_deg(false, 1, 0.25 / 3600)), "+00" + kDeg + " 00' 00.3\"");
}

TEST(ZenoraText, HoursCutTheSecondsInsteadOfRounding) {
    EXPECT_EQ(std::string(Conv_to_str_hrs(false, 1, 90)), "06h 00m 00.0s");
    EXPECT_EQ(std::string(Conv_to_str_hrs(true, 0, M_PI)), "12h 00m 00s");
    // 1h 02m 03.96s: one decimal cuts to 03.9, none to 03.
    const double v = (1 + 2 / 60.0 + 3.96 / 3600) * 15;
    EXPECT_EQ(std::string(Conv_to_str_hrs(false, 1, v)), "01h 02m 03.9s");
    EXPECT_EQ(std::string(Conv_to_str_hrs(false, 0, v)), "01h 02m 03s");
    EXPECT_EQ(std::string(Conv_to_str_hrs(false, 7, v)), "01h 02m 03.9600000s");
}

TEST(ZenoraText, SecondsToHours) {
    EXPECT_EQ(std::string(Sec_to_str_hrs(0, 3725)), "01:02:05");
    EXPECT_EQ(std::string(Sec_to_str_hrs(2, 59.999)), "00:00:59.99");
    EXPECT_EQ(std::string(Sec_to_str_hrs(6, 45296.5)), "12:34:56.500000");
    EXPECT_EQ(std::string(Sec_to_str_hrs(0, 0)), "00:00:00");
    EXPECT_EQ(std::string(Sec_to_str_hrs(1, 25 * 3600.0 + 0.09)), "25:00:00.0");
}

TEST(ZenoraText, EachThreadHasItsOwnBuffer) {
    const char* mine = Conv_to_str_deg(false, 0, 1.0);
    std::string other;
    std::thread t([&] {
        const char* p = Sec_to_str_hrs(0, 3725);
        other = p;
        EXPECT_NE(p, mine);
    });
    t.join();
    EXPECT_EQ(std::string(mine), "+01" + kDeg + " 00' 00\"");
    EXPECT_EQ(other, "01:02:05");
}

TEST(ZenoraText, NonFiniteAndHugeValuesGiveBoundedText) {
    const double values[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, 1.7976931348623157e308, 5e-324};
    for (double v : values) {
        for (uint8_t d : {uint8_t{0}, uint8_t{3}, uint8_t{255}}) {
            for (bool rad : {false, true}) {
                const size_t a = std::strlen(Conv_to_str_deg(rad, d, v));
                const size_t b = std::strlen(Conv_to_str_hrs(rad, d, v));
                EXPECT_GT(a, 0u);
                EXPECT_GT(b, 0u);
                EXPECT_LT(a, 1100u);
                EXPECT_LT(b, 1100u);
            }
            EXPECT_GT(std::strlen(Sec_to_str_hrs(d, v)), 0u);
        }
    }
    const std::string huge = Conv_to_str_deg(false, 0, 1e300);
    EXPECT_EQ(huge.substr(0, 2), "+1");
    EXPECT_EQ(huge.size(), 1 + 301 + 1 + 4 + 4);  // sign, degrees, °, " 00'", " 00\""
    EXPECT_EQ(std::string(Conv_to_str_hrs(false, 1, NAN)), "NANNANNANs");
}
}  // namespace
