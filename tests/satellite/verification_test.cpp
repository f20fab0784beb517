// The public SGP4 verification set: every case at every listed time.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "Satellite.h"

namespace {

struct Row {
    double t;
    double r[3], v[3];
};
struct Case {
    std::string line1, line2;
    double start = 0, stop = 0, step = 0;
    std::vector<Row> rows;
};

// The data files ship with the Python package; ask dpkg where.
std::string packageFile(const std::string& name) {
    FILE* p = popen("dpkg -L python3-sgp4 2>/dev/null", "r");
    if (!p) return {};
    char buf[4096];
    std::string found;
    while (std::fgets(buf, sizeof buf, p)) {
        std::string s(buf);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        if (s.size() >= name.size() && s.compare(s.size() - name.size(), name.size(), name) == 0) found = s;
    }
    pclose(p);
    return found;
}

std::vector<Case> loadCases(const std::string& tlePath, const std::string& outPath) {
    std::vector<Case> cases;
    std::ifstream tle(tlePath);
    std::string line, l1;
    while (std::getline(tle, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("1 ", 0) == 0) l1 = line;
        if (line.rfind("2 ", 0) == 0 && !l1.empty() && line.size() > 69) {
            Case c;
            c.line1 = l1;
            c.line2 = line.substr(0, 69);
            std::istringstream extra(line.substr(69));
            extra >> c.start >> c.stop >> c.step;
            cases.push_back(c);
            l1.clear();
        }
    }
    std::ifstream out(outPath);
    int k = -1;
    while (std::getline(out, line)) {
        if (line.find("xx") != std::string::npos) {
            ++k;
            continue;
        }
        std::istringstream in(line);
        Row r;
        if (k >= 0 && k < static_cast<int>(cases.size()) &&
            (in >> r.t >> r.r[0] >> r.r[1] >> r.r[2] >> r.v[0] >> r.v[1] >> r.v[2]))
            cases[k].rows.push_back(r);
    }
    return cases;
}

TEST(Verification, EveryCaseAtEveryListedTime) {
    const std::string tlePath = packageFile("SGP4-VER.TLE"), outPath = packageFile("tcppver.out");
    if (tlePath.empty() || outPath.empty())
        FAIL() << "verification set not found: install python3-sgp4 (it ships SGP4-VER.TLE and tcppver.out)";
    const std::vector<Case> cases = loadCases(tlePath, outPath);
    ASSERT_GE(cases.size(), 30u);

    double worstR = 0, worstV = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line1.substr(2, 5));
        ASSERT_FALSE(c.rows.empty());
        TSatRec sat{};
        ASSERT_TRUE(parse_elements(c.line1.c_str(), c.line2.c_str(), &sat));
        const bool deep = sat.deepSpace != 0;
        const bool ok = deep ? SDP4_init(&sat) : SGP4_init(&sat);
        auto prop = [&](double t, TVector* r, TVector* v) { return deep ? SDP4(&sat, r, v, t) : SGP4(&sat, r, v, t); };
        if (!ok) {
            // The reference prints its epoch line even when the model fails
            // at once; nothing else may follow it.
            EXPECT_EQ(c.rows.size(), 1u);
            TVector r, v;
            EXPECT_FALSE(prop(0.0, &r, &v));
            std::printf("  %s  fails at epoch, as the reference\n", c.line1.substr(2, 5).c_str());
            continue;
        }
        double maxR = 0, maxV = 0;
        for (const Row& row : c.rows) {
            TVector r, v;
            ASSERT_TRUE(prop(row.t, &r, &v)) << "t=" << row.t;
            double dr = 0, dv = 0;
            const double pr[3] = {r.x, r.y, r.z}, pv[3] = {v.x, v.y, v.z};
            for (int i = 0; i < 3; ++i) {
                dr += (pr[i] - row.r[i]) * (pr[i] - row.r[i]);
                dv += (pv[i] - row.v[i]) * (pv[i] - row.v[i]);
            }
            dr = std::sqrt(dr) * 1000.0;  // m
            dv = std::sqrt(dv) * 1.0e6;   // mm/s
            // Required: 1 m and 1 mm/s. Held to 1 mm and 0.01 mm/s (the
            // listing's own rounding is 0.01 mm and 0.001 mm/s).
            EXPECT_LT(dr, 0.001) << "position off at t=" << row.t;
            EXPECT_LT(dv, 0.01) << "velocity off at t=" << row.t;
            EXPECT_NEAR(r.r, std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z), 1e-9);
            EXPECT_NEAR(v.r, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1e-12);
            maxR = std::max(maxR, dr);
            maxV = std::max(maxV, dv);
        }
        // A listing that stops short of its end time stopped on a model error.
        const double last = c.rows.back().t;
        std::string end = "complete";
        if (last < c.stop - 1e-6) {
            const double next = std::min(last + c.step, c.stop);
            TVector r, v;
            EXPECT_FALSE(prop(next, &r, &v)) << "expected failure at t=" << next;
            end = "fails at " + std::to_string(next);
        }
        std::printf("  %s  %s  %2zu times  max dr %.6f mm  max dv %.6f um/s  %s\n", c.line1.substr(2, 5).c_str(),
                    deep ? "SDP4" : "SGP4", c.rows.size(), maxR * 1000.0, maxV * 1000.0, end.c_str());
        worstR = std::max(worstR, maxR);
        worstV = std::max(worstV, maxV);
    }
    std::printf("  worst: %.6f mm, %.6f um/s\n", worstR * 1000.0, worstV * 1000.0);
}

}  // namespace
