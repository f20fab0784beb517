// The catalogue update as first described: every element file re-read from
// its start for every record. The test keeps it as the oracle for the
// single-pass update, the benchmark as its yardstick.
#pragma once
#include <cstddef>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Satellite.h"
#include "uUpdate.h"

inline bool LiteralUpdate(std::vector<TSatRec>& list, const std::string& folder) {
    std::vector<std::string> files;
    if (!ListElementFiles(folder, files)) return false;
    bool changed = false;
    for (const auto& f : files) {
        for (auto& s : list) {
            std::ifstream in(folder + f, std::ios::binary);
            std::string p, c;
            const std::string num(s.catNo.view());
            while (std::getline(in, c)) {
                if (!c.empty() && c.back() == '\r') c.pop_back();
                if (p.size() > 68 && c.size() > 68 && p.compare(2, 5, num) == 0 && c.compare(2, 5, num) == 0) {
                    const double jd = ElementEpochJulian(p);
                    if (!std::isnan(jd) && jd > s.epoch &&
                        tle_valid(p.c_str(), c.c_str())) {
                        TSatRec n = s;
                        parse_elements(p.c_str(), c.c_str(), &n);
                        n.deepSpace ? SDP4_init(&n) : SGP4_init(&n);
                        std::memcpy(&s, &n, offsetof(TSatRec, stdMag));
                        changed = true;
                        break;
                    }
                }
                p = c;
            }
        }
    }
    return changed;
}
