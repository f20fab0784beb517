// Vector primitives and angle reduction.
#include <gtest/gtest.h>

#include <cmath>

#include "Zenora.h"

namespace {
constexpr double kTwoPi = 6.283185307179586;

TVector Vec(double x, double y, double z) { return TVector{x, y, z, std::sqrt(x * x + y * y + z * z)}; }

TEST(ZenoraVectors, ProducersFillLengthAndMayAliasTheirInput) {
    TVector a = Vec(1, 2, 3), b = Vec(-4, 5, 0.5), c{};
    Cross_vect(&a, &b, &c);
    EXPECT_DOUBLE_EQ(c.x, 2 * 0.5 - 3 * 5);
    EXPECT_DOUBLE_EQ(c.y, 3 * -4 - 1 * 0.5);
    EXPECT_DOUBLE_EQ(c.z, 1 * 5 - 2 * -4);
    EXPECT_DOUBLE_EQ(c.r, Range_vect(&c));
    EXPECT_NEAR(Dot_vect(&a, &c), 0, 1e-12);

    Add_vect(&a, &b, &a);  // in place
    EXPECT_DOUBLE_EQ(a.x, -3);
    EXPECT_DOUBLE_EQ(a.r, std::sqrt(9 + 49 + 12.25));
    Sub_vect(&a, &b, &a);
    EXPECT_DOUBLE_EQ(a.y, 2);
    Divide_vect(&a, &a, 2);
    EXPECT_DOUBLE_EQ(a.r, std::sqrt(14.0) / 2);
    EXPECT_DOUBLE_EQ(Range_2vect(&a, &a), 0);
}

TEST(ZenoraVectors, Dot3ExpressesAVectorGivenInABasis) {
    // Basis turned by 90° about z: e1 = y, e2 = -x, e3 = z.
    TVector e1 = Vec(0, 1, 0), e2 = Vec(-1, 0, 0), e3 = Vec(0, 0, 1), v = Vec(2, 3, 4), c{};
    Dot_3vect(&v, &e1, &e2, &e3, &c);
    EXPECT_DOUBLE_EQ(c.x, -3);
    EXPECT_DOUBLE_EQ(c.y, 2);
    EXPECT_DOUBLE_EQ(c.z, 4);
    EXPECT_DOUBLE_EQ(c.r, v.r);
}

TEST(ZenoraVectors, NormOfZeroLeavesTheOutputUntouched) {
    TVector zero{0, 0, 0, 0}, out{7, 8, 9, 10};
    Norm_vect(&zero, &out);
    EXPECT_EQ(out.x, 7);
    EXPECT_EQ(out.r, 10);
    TVector a = Vec(3, 0, 4);
    Norm_vect(&a, &out);
    EXPECT_DOUBLE_EQ(out.x, 0.6);
    EXPECT_DOUBLE_EQ(out.z, 0.8);
    EXPECT_DOUBLE_EQ(out.r, 1);
}

TEST(ZenoraVectors, AnglesUseTheStoredLength) {
    TVector x = Vec(1, 0, 0), y = Vec(0, 1, 0), d = Vec(1, 1, 0);
    EXPECT_DOUBLE_EQ(Angle_2vect(&x, &y), kTwoPi / 4);
    EXPECT_NEAR(Angle_2vect(&x, &d), kTwoPi / 8, 1e-15);
    TVector stale = d;
    stale.r = 2;  // the true length is sqrt 2
    EXPECT_NEAR(Angle_2vect(&x, &stale), std::acos(1 / 2.0), 1e-15);
    // Right angle at the vertex (1, 1, 0) of the triangle.
    TVector a = Vec(1, 1, 0), b = Vec(2, 1, 0), c = Vec(1, 5, 0);
    EXPECT_NEAR(Angle_3vect(&a, &b, &c), kTwoPi / 4, 1e-15);
}

TEST(ZenoraVectors, Rotations) {
    const double th = 0.3, ct = std::cos(th), st = std::sin(th);
    TVector a = Vec(1, 2, 3), c{};
    Rot_vect(&a, &c, ct, st);  // x-z plane
    EXPECT_DOUBLE_EQ(c.x, ct - 3 * st);
    EXPECT_DOUBLE_EQ(c.y, 2);
    EXPECT_DOUBLE_EQ(c.z, st + 3 * ct);
    Flip_vect(&a, &c, ct, st);  // frame turned about z
    EXPECT_DOUBLE_EQ(c.x, ct + 2 * st);
    EXPECT_DOUBLE_EQ(c.y, -st + 2 * ct);
    EXPECT_DOUBLE_EQ(c.z, 3);

    // A cos/sin pair that is not a rotation scales, and r follows.
    c = a;
    for (int i = 0; i < 3; ++i) Rot_vect(&c, &c, 1.2, 0);
    EXPECT_NEAR(c.r, std::sqrt(1.728 * 1.728 * 10 + 4), 1e-12);
    Flip_vect(&a, &c, 2, 0);
    EXPECT_DOUBLE_EQ(c.r, Range_vect(&c));
    EXPECT_GT(c.r, a.r);
}

TEST(ZenoraVectors, ObliquityRotations) {
    TVector ecl = Vec(0, 1, 0), a{}, b{};
    Rotate_to_J2000_obliquity(&ecl, &a);
    Rot_to_obliq(&ecl, &b, 0.409092804222135);
    EXPECT_NEAR(a.y, 0.917482062069259, 1e-15);
    EXPECT_NEAR(a.z, 0.3977771559317358, 1e-15);
    EXPECT_NEAR(b.y, a.y, 1e-15);
    EXPECT_NEAR(b.z, a.z, 1e-15);
    // Rot_to_obliq copies r instead of recomputing it.
    TVector stale{0, 1, 0, 5};
    Rot_to_obliq(&stale, &b, 0.1);
    EXPECT_EQ(b.r, 5);
}

TEST(ZenoraVectors, RotToEquatOffsetsXYAndCopiesZAndR) {
    TVector a{1, 2, 3, 99}, c{};
    Rot_to_equat(&a, &c, kTwoPi / 4, 10);
    EXPECT_NEAR(c.x, 1, 1e-14);
    EXPECT_DOUBLE_EQ(c.y, 12);
    EXPECT_EQ(c.z, 3);
    EXPECT_EQ(c.r, 99);
}

TEST(ZenoraReduction, KeepsTheUpperEndAndFoldsOthersIn) {
    EXPECT_EQ(fmod2pi(kTwoPi), kTwoPi);
    EXPECT_EQ(fmod2pi(0), 0);
    EXPECT_NEAR(fmod2pi(-0.5), kTwoPi - 0.5, 1e-15);
    EXPECT_NEAR(fmod2pi(7), 7 - kTwoPi, 1e-15);
    EXPECT_NEAR(fmod2pi(-7), 2 * kTwoPi - 7, 1e-14);
    EXPECT_NEAR(fmodpi(4), 4 - kTwoPi / 2, 1e-15);
    EXPECT_NEAR(fmodallpi(4), 4 - kTwoPi, 1e-15);
    EXPECT_NEAR(fmodallpi(-4), kTwoPi - 4, 1e-15);
    EXPECT_EQ(fmodallpi(-3), -3);
    EXPECT_EQ(fmod360(-90), 270);
    EXPECT_EQ(fmod360(360), 360);
    EXPECT_NEAR(fmod360(725), 5, 1e-12);
    EXPECT_EQ(fmod180(-30), 150);
    EXPECT_EQ(fmodall180(190), -170);
    EXPECT_EQ(fmodall180(-190), 170);
    EXPECT_EQ(fmodall180(180), 180);
    EXPECT_EQ(fmodall180(540), 180);
}

TEST(ZenoraReduction, NonFiniteAndHugeValuesDoNotHang) {
    const double inf = INFINITY;
    for (double x : {double(NAN), inf, -inf}) {
        EXPECT_TRUE(std::isnan(fmod2pi(x)));
        EXPECT_TRUE(std::isnan(fmodallpi(x)));
        EXPECT_TRUE(std::isnan(fmod360(x)));
        EXPECT_TRUE(std::isnan(fmodall180(x)));
    }
    const double r = fmod2pi(1e300);
    EXPECT_GE(r, 0);
    EXPECT_LE(r, kTwoPi);
    const double s = fmodall180(-1e300);
    EXPECT_GE(s, -180);
    EXPECT_LE(s, 180);
}
}  // namespace
