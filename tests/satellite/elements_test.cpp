#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "Satellite.h"
#include "TestLines.h"

namespace {
using namespace tl;
constexpr double kDeg = 3.14159265358979323846 / 180.0;

bool valid(const std::string& a, const std::string& b) { return tle_valid(a.c_str(), b.c_str()); }

TEST(TleValid, AcceptsCleanPairsOnly) {
    EXPECT_TRUE(valid(kNear1, kNear2));
    EXPECT_TRUE(valid(kDeep1, kDeep2));
    EXPECT_TRUE(valid(kNear1 + "\r\n", kNear2 + "  "));  // line ends and trailing blanks
    EXPECT_FALSE(valid(kNear2, kNear1));                  // swapped
    EXPECT_FALSE(valid(kNear1, kDeep2));                  // different satellites
    EXPECT_FALSE(tle_valid(nullptr, kNear2.c_str()));
    EXPECT_FALSE(tle_valid(kNear1.c_str(), nullptr));
    EXPECT_FALSE(valid("", ""));
}

TEST(TleValid, LengthAndChecksum) {
    EXPECT_FALSE(valid(kNear1.substr(0, 68), kNear2));  // checksum column missing
    EXPECT_FALSE(valid(kNear1, kNear2 + "0"));         // 70 characters
    std::string bad = kNear2;
    bad[68] = static_cast<char>('0' + (bad[68] - '0' + 1) % 10);
    EXPECT_FALSE(valid(kNear1, bad));
    // A digit changed without repairing the checksum is caught.
    std::string digit = kNear2;
    digit[60] = digit[60] == '9' ? '8' : '9';
    EXPECT_FALSE(valid(kNear1, digit));
    // Minus signs count one: a negative derivative with its checksum repaired passes.
    EXPECT_TRUE(valid(edit(kNear1, 34, "-"), kNear2));
    EXPECT_FALSE(valid(edit(kNear1, 34, "-").substr(0, 68) + kNear1[68], kNear2));
}

TEST(TleValid, Alpha5CatalogueNumbers) {
    auto both = [](const std::string& cat) { return valid(edit(kNear1, 3, cat), edit(kNear2, 3, cat)); };
    EXPECT_TRUE(both("A0000"));
    EXPECT_TRUE(both("Z9999"));
    EXPECT_TRUE(both("H1234"));
    EXPECT_TRUE(both("    5"));  // leading blanks of old files
    EXPECT_FALSE(both("I0000"));
    EXPECT_FALSE(both("O1234"));
    EXPECT_FALSE(both("a0000"));
    EXPECT_FALSE(both("AA000"));
    EXPECT_FALSE(both("1 234"));
    // A0000 is 100000, not 10000: the two lines must name the same object.
    EXPECT_FALSE(valid(edit(kNear1, 3, "A0000"), edit(kNear2, 3, "10000")));
}

TEST(TleValid, RejectsBadFields) {
    EXPECT_FALSE(valid(kNear1, edit(kNear2, 53, "1x.82419157")));  // mean motion
    EXPECT_FALSE(valid(kNear1, edit(kNear2, 53, " 0.00000000")));  // zero mean motion
    EXPECT_FALSE(valid(kNear1, edit(kNear2, 9, "181.0000")));      // inclination
    EXPECT_FALSE(valid(kNear1, edit(kNear2, 27, "18.9667")));      // eccentricity has no point
    EXPECT_FALSE(valid(kNear1, edit(kNear2, 18, "361.0000")));     // node
    EXPECT_FALSE(valid(edit(kNear1, 21, "x0179.78495"), kNear2)); // epoch day
    EXPECT_FALSE(valid(edit(kNear1, 54, "28098x4"), kNear2));      // drag exponent
    EXPECT_FALSE(valid(edit(kNear1, 18, "X"), kNear2));            // separator
    EXPECT_FALSE(valid(edit(kNear1, 1, "3"), kNear2));             // line number
}

TEST(ParseElements, FillsPublicFields) {
    TSatRec s;
    std::memset(&s, 0xAB, sizeof s);
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.epoch, 2451544.5 - 1.0 + 179.78495062);  // 2000, day 179.78...
    EXPECT_NEAR(s.node, 348.7242 * kDeg, 1e-15);
    EXPECT_DOUBLE_EQ(s.ecc, 0.1859667);
    EXPECT_NEAR(s.argPerigee, 331.7664 * kDeg, 1e-15);
    EXPECT_NEAR(s.meanAnomaly, 19.3264 * kDeg, 1e-15);
    EXPECT_NEAR(s.inclination, 34.2682 * kDeg, 1e-15);
    EXPECT_DOUBLE_EQ(s.meanMotion, 10.82419157);
    EXPECT_DOUBLE_EQ(s.revNumber, 41366.0);
    EXPECT_NEAR(s.period, 1440.0 / 10.82419157, 0.2);  // recovered mean motion shifts it slightly
    EXPECT_NEAR(s.apogee, 3862.0, 10.0);
    EXPECT_NEAR(s.perigee, 648.0, 10.0);
    EXPECT_EQ(s.deepSpace, 0);
    // The program's part of the record is not touched.
    EXPECT_EQ(s.decayed, 0xAB);
    EXPECT_EQ(s.name.len, 0xAB);
}

TEST(ParseElements, DeepSpaceFlagAndYearPivot) {
    TSatRec s{};
    ASSERT_TRUE(parse_elements(kDeep1.c_str(), kDeep2.c_str(), &s));
    EXPECT_EQ(s.deepSpace, 1);
    EXPECT_GE(s.period, 225.0);
    // The flag follows the recovered period, on either side of 225 minutes.
    ASSERT_TRUE(parse_elements(kNear1.c_str(), edit(kNear2, 53, " 6.30000000").c_str(), &s));
    EXPECT_EQ(s.deepSpace, 1);
    ASSERT_TRUE(parse_elements(kNear1.c_str(), edit(kNear2, 53, " 6.50000000").c_str(), &s));
    EXPECT_EQ(s.deepSpace, 0);
    ASSERT_TRUE(parse_elements(edit(kNear1, 19, "56001.00000000").c_str(), kNear2.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.epoch, 2471998.5);  // 2056 Jan 1 0h
    ASSERT_TRUE(parse_elements(edit(kNear1, 19, "57001.00000000").c_str(), kNear2.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.epoch, 2435839.5);  // 1957 Jan 1 0h
}

TEST(ParseElements, DecayEstimate) {
    TSatRec s{};
    const double noDecay = 100000.0;
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.decayDate, s.epoch - 2415018.5 + noDecay);  // high perigee, tiny derivative
    ASSERT_TRUE(parse_elements(edit(kNear1, 34, "-.00010000").c_str(), kNear2.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.decayDate, s.epoch - 2415018.5 + noDecay);  // mean motion falling: no decay
    // A low orbit with strong drag comes down within weeks to a few years.
    const std::string low1 = "1 25544U 98067A   20060.50000000  .00016717  00000-0  10270-3 0  9005";
    const std::string low2 = "2 25544  51.6442 208.9163 0004960  34.6312 325.5173 15.49181300215040";
    ASSERT_TRUE(parse_elements(low1.c_str(), low2.c_str(), &s));
    const double life = s.decayDate - (s.epoch - 2415018.5);
    EXPECT_GT(life, 30.0);
    EXPECT_LT(life, 5000.0);
    // A stronger derivative means an earlier decay.
    ASSERT_TRUE(parse_elements(edit(low1, 34, " .00167170").c_str(), low2.c_str(), &s));
    EXPECT_NEAR(s.decayDate - (s.epoch - 2415018.5), life / 10.0, life * 1e-9);
}

TEST(ParseElements, LenientLayoutButNotGarbage) {
    TSatRec s{};
    // Verification-style lines: blank designator, missing checksum, text after column 69.
    const std::string a = "1 11801U          80230.29629788  .01431103  00000-0  14311-1      13";
    const std::string b = "2 11801  46.7916 230.4354 7318036  47.4722  10.4117  2.28537848    13      0.0      1440.0";
    EXPECT_FALSE(valid(a, b));
    ASSERT_TRUE(parse_elements(a.c_str(), b.c_str(), &s));
    EXPECT_DOUBLE_EQ(s.meanMotion, 2.28537848);
    EXPECT_DOUBLE_EQ(s.revNumber, 1.0);  // columns 64-68; the 3 is the checksum column

    // Failures zero the block so that nothing downstream accepts it.
    ASSERT_TRUE(parse_elements(kNear1.c_str(), kNear2.c_str(), &s));
    EXPECT_FALSE(parse_elements(kNear1.c_str(), kNear2.substr(0, 40).c_str(), &s));
    const TSatRec zero{};
    EXPECT_EQ(std::memcmp(&s, &zero, 1072), 0);
    EXPECT_FALSE(SGP4_init(&s));
    EXPECT_FALSE(parse_elements(kNear1.c_str(), edit(kNear2, 53, "           ").c_str(), &s));
    EXPECT_FALSE(parse_elements(kNear1.c_str(), edit(kNear2, 9, "  -4.0000").c_str(), &s));
    EXPECT_FALSE(parse_elements(kNear1.c_str(), edit(kNear2, 3, "00006").c_str(), &s));
    EXPECT_FALSE(parse_elements(nullptr, kNear2.c_str(), &s));
    EXPECT_FALSE(parse_elements(kNear1.c_str(), kNear2.c_str(), nullptr));
}

}  // namespace
