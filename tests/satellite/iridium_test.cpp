#include <gtest/gtest.h>
#include <cmath>
#include "Satellite.h"

namespace {
constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr double kR = 6378.135;

TVector vec(double x, double y, double z) { return {x, y, z, std::sqrt(x * x + y * y + z * z)}; }

// Satellite 780 km above (R,0,0) flying along +y: up = +x, left = +z.
struct Scene {
    TVector sat = vec(kR + 780.0, 0.0, 0.0);
    TVector vel = vec(0.0, 7.46, 0.0);
    TSatState sun{};
    // Puts the Sun where mirror k reflects it along unit direction o.
    void sunFor(int k, const double o[3]) {
        const double az = (k - 1) * 120.0 * kDeg, t = 40.0 * kDeg;
        // normal = cos40 * (cos az * ahead + sin az * left) + sin40 * nadir
        const double n[3] = {-std::sin(t), std::cos(t) * std::cos(az), std::cos(t) * std::sin(az)};
        const double c = n[0] * o[0] + n[1] * o[1] + n[2] * o[2];
        const double s[3] = {2 * c * n[0] - o[0], 2 * c * n[1] - o[1], 2 * c * n[2] - o[2]};
        const double d = 1.496e8;
        sun.pos = vec(sat.x + d * s[0], sat.y + d * s[1], sat.z + d * s[2]);
    }
};

TEST(Iridium, ReflectionHitsTheObserverAndTheGroundPointLiesOnTheRay) {
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        Scene sc;
        // An observer below and off to the side, so the ray is oblique.
        const TVector obs = vec(kR * std::cos(3.0 * kDeg), kR * std::sin(2.0 * kDeg), kR * std::sin(-1.5 * kDeg));
        const double dx = obs.x - sc.sat.x, dy = obs.y - sc.sat.y, dz = obs.z - sc.sat.z;
        const double dn = std::sqrt(dx * dx + dy * dy + dz * dz);
        const double o[3] = {dx / dn, dy / dn, dz / dn};
        sc.sunFor(k, o);

        TVector refl;
        double angle = -1;
        int32_t used = -1;
        IridiumCalc(&obs, &sc.sat, &sc.vel, &sc.sun, &refl, &angle, &used, 0);
        EXPECT_EQ(used, k);
        EXPECT_NEAR(angle, 0.0, 1e-5);
        EXPECT_NEAR(refl.r, 1.0, 1e-12);
        // Asking for that mirror gives the same; the others see it elsewhere.
        double a2;
        int32_t u2;
        IridiumCalc(&obs, &sc.sat, &sc.vel, &sc.sun, &refl, &a2, &u2, k);
        EXPECT_EQ(u2, k);
        EXPECT_NEAR(a2, 0.0, 1e-5);
        const int other = k % 3 + 1;
        TVector r3;
        IridiumCalc(&obs, &sc.sat, &sc.vel, &sc.sun, &r3, &a2, &u2, other);
        EXPECT_EQ(u2, other);
        EXPECT_GT(a2, 10.0);

        TVector ground;
        double range = 0;
        const double radius = obs.r;
        IridTrkVect(&refl, &sc.sat, &ground, radius, &range);
        EXPECT_NEAR(ground.r, radius, 1e-6);
        EXPECT_NEAR(range, dn, 1e-6);
        EXPECT_NEAR(ground.x, obs.x, 1e-5);
        EXPECT_NEAR(ground.y, obs.y, 1e-5);
        EXPECT_NEAR(ground.z, obs.z, 1e-5);
        // On the ray: ground - sat is parallel to the reflection.
        const double gx = ground.x - sc.sat.x, gy = ground.y - sc.sat.y, gz = ground.z - sc.sat.z;
        const double cx = gy * refl.z - gz * refl.y, cy = gz * refl.x - gx * refl.z, cz = gx * refl.y - gy * refl.x;
        EXPECT_LT(std::sqrt(cx * cx + cy * cy + cz * cz), 1e-6);
        EXPECT_GT(gx * refl.x + gy * refl.y + gz * refl.z, 0.0);
    }
}

TEST(Iridium, NoUsableMirrorAndDegenerateInput) {
    Scene sc;
    const TVector obs = vec(kR, 0.0, 0.0);
    // Sun straight above: it lights only the backs of the panels.
    sc.sun.pos = vec(1.496e8, 0.0, 0.0);
    TVector refl;
    double angle = 0;
    int32_t used = -1;
    IridiumCalc(&obs, &sc.sat, &sc.vel, &sc.sun, &refl, &angle, &used, 0);
    EXPECT_EQ(angle, 180.0);
    EXPECT_EQ(used, 0);
    // Zero velocity gives no yaw: no answer, but no NaN either.
    const TVector still = vec(0, 0, 0);
    IridiumCalc(&obs, &sc.sat, &still, &sc.sun, &refl, &angle, &used, 2);
    EXPECT_EQ(angle, 180.0);
    EXPECT_EQ(used, 0);
    IridiumCalc(nullptr, &sc.sat, &sc.vel, &sc.sun, &refl, &angle, &used, 0);
    EXPECT_EQ(angle, 180.0);

    // A ray that misses the sphere still gives a finite point on it.
    TVector up = vec(1, 0, 0), ground;
    double range = -1;
    IridTrkVect(&up, &sc.sat, &ground, kR, &range);
    EXPECT_NEAR(ground.r, kR, 1e-6);
    EXPECT_TRUE(std::isfinite(range));
    IridTrkVect(&up, &sc.sat, &ground, std::nan(""), &range);
    EXPECT_EQ(ground.r, 0.0);
}

}  // namespace
