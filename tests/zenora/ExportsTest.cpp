// The library's dynamic symbol table, and every export fed with values no
// caller should pass: they must return without crashing or hanging.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "Zenora.h"

namespace {

const std::set<std::string> kExports = {
    "Add_vect", "Sub_vect", "Dot_vect", "Dot_3vect", "Cross_vect", "Norm_vect", "Scale_vect", "Divide_vect",
    "Range_vect", "Range_2vect", "Angle_2vect", "Angle_3vect", "Rot_vect", "Flip_vect", "Rot_to_obliq",
    "Rotate_to_J2000_obliquity", "Rot_to_equat", "fmod360", "fmod180", "fmod2pi", "fmodpi", "fmodall180",
    "fmodallpi", "Ra_dec_to_vect", "Vect_to_ra_dec", "Lat_lon_to_vect", "Vect_to_lat_lon", "Vect_to_ra_dec_dist",
    "Ra_dec_dist_to_vect", "Ra_dec_to_alt_az", "Alt_az_to_ra_dec", "Lat_lon_height_to_vect",
    "Vect_to_lat_lon_height", "RhoSinCos", "EarthRadius", "Az_dist_to_lat_lon", "Az_2latlon", "Dist_2latlon",
    "Sep_angle", "Pos_angle", "Refraction", "GreenwhichHourAngle", "Mean_obliquity", "Nutation_Obliq_Long",
    "Precession", "Epoch_to_J2000", "J2000_to_epoch", "Delta_t", "Calc_Planet", "SunLite", "Calc_Magnitude",
    "illum_fraction", "SlantRange", "Conv_to_str_hrs", "Conv_to_str_deg", "Sec_to_str_hrs"};

std::string DynamicSymbols(const char* which) {
    const std::string cmd = std::string("nm -D ") + which + " " + ORBISK_PROGRAM_DIR + "/libzenora.so";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return "";
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, pipe)) out += buf;
    EXPECT_EQ(pclose(pipe), 0) << cmd;
    return out;
}

TEST(ZenoraExports, ExactlyTheFiftySixNames) {
    ASSERT_EQ(kExports.size(), 56u);
    const std::string out = DynamicSymbols("--defined-only");
    ASSERT_FALSE(out.empty());
    std::set<std::string> found;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string addr, type, name;
        fields >> addr >> type >> name;
        if (name.empty()) name = type;  // absolute symbols print no address
        // The toolchain's own markers are not ours.
        if (name.rfind("_init", 0) == 0 || name.rfind("_fini", 0) == 0 || name.rfind("__bss", 0) == 0 ||
            name.rfind("_edata", 0) == 0 || name.rfind("_end", 0) == 0)
            continue;
        found.insert(name);
    }
    EXPECT_EQ(found, kExports);
}

// Callers run the library on every tick and on worker threads: it takes no
// heap memory at all (the per-thread text buffers are thread-local storage).
TEST(ZenoraExports, ImportsNoAllocator) {
    const std::string out = DynamicSymbols("--undefined-only");
    ASSERT_FALSE(out.empty());
    for (const char* name : {" malloc", " calloc", " realloc", " free", " _Znwm", " _Znam", " aligned_alloc",
                             " posix_memalign"})
        EXPECT_EQ(out.find(name), std::string::npos) << name;
}

TEST(ZenoraRobustness, NonFiniteAndHugeArgumentsReturn) {
    const double bad[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, 0.0};
    for (double x : bad) {
        TVector v{x, x, x, x}, w{x, 1, 2, x}, out{};
        TRaDec p{x, x, x}, q{};
        TLatLon g{x, x, x}, g2{};
        TAltAz h{x, x};
        double a = 0, b = 0;
        Add_vect(&v, &w, &out);
        Dot_3vect(&v, &w, &v, &w, &out);
        Cross_vect(&v, &w, &out);
        Norm_vect(&v, &out);
        Scale_vect(&v, &out, x);
        Divide_vect(&v, &out, x);
        (void)Angle_2vect(&v, &w);
        (void)Angle_3vect(&v, &w, &out);
        Rot_vect(&v, &out, x, x);
        Flip_vect(&v, &out, x, x);
        Rot_to_obliq(&v, &out, x);
        Rot_to_equat(&v, &out, x, x);
        (void)fmod2pi(x);
        (void)fmodall180(x);
        Ra_dec_to_vect(&p, &out);
        Vect_to_ra_dec(&v, &q);
        Lat_lon_to_vect(&g, &out);
        Vect_to_lat_lon(&v, &g2);
        Vect_to_ra_dec_dist(&v, &w, &q);
        Ra_dec_dist_to_vect(&v, &p, &out);
        Ra_dec_to_alt_az(&g, &p, &h, x);
        Alt_az_to_ra_dec(&g, &h, &q, x);
        Lat_lon_height_to_vect(&out, x, x, x, x);
        Vect_to_lat_lon_height(&v, &g2, x);
        RhoSinCos(&g, &a, &b);
        (void)EarthRadius(x);
        Az_dist_to_lat_lon(&g, &g2, x, x, x);
        (void)Az_2latlon(&g, &g2);
        (void)Dist_2latlon(&g, &g2);
        (void)Sep_angle(&p, &q);
        (void)Pos_angle(&p, &q);
        (void)Refraction(x, x, x);
        (void)GreenwhichHourAngle(x);
        (void)Mean_obliquity(2, x);
        Nutation_Obliq_Long(&a, &b, x);
        Precession(&v, 1, &out, x);
        Precession(&v, 0, &out, x);
        J2000_to_epoch(&p, x);
        Epoch_to_J2000(&p, x);
        (void)Delta_t(x);
        for (uint8_t body : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 31, 99}) {
            TVector pv{x, x, x, x};
            Calc_Planet(body, &pv, true, x, x, true);
        }
        (void)SunLite(&v, &w);
        (void)Calc_Magnitude(x, x, x);
        (void)illum_fraction(&v, &w, &out);
        (void)SlantRange(x, x, x);
        EXPECT_NE(Conv_to_str_deg(true, 255, x), nullptr);
        EXPECT_NE(Conv_to_str_hrs(true, 255, x), nullptr);
        EXPECT_NE(Sec_to_str_hrs(255, x), nullptr);
    }
    // Coincident and antipodal points on the map.
    const TLatLon o{0, 0, 0}, anti{0, 3.141592653589793, 0};
    EXPECT_EQ(Dist_2latlon(&o, &o), 0);
    (void)Dist_2latlon(&o, &anti);
    (void)Az_2latlon(&o, &anti);
}
}  // namespace
