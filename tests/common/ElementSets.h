// Element sets made up for tests and benchmarks: copies of real sets spread
// around their orbits under new numbers, and sets of chosen orbits. Two-line
// element format, checksums computed; they describe no real object.
#pragma once
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "uLoadSave.h"
#include "uVarDef.h"

namespace elsets {

// The records a search takes from element sets, as orbisk-predict --tle makes
// them: every set that initialises, selected.
inline std::vector<TSatRec> SelectedRecords(const std::vector<TElementEntry>& entries) {
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        TSatRec sat{};
        if (!InitSatelliteFromEntry(sat, e, 0.0, 1000.0)) continue;
        sat.selected = 1;
        sats.push_back(sat);
    }
    return sats;
}

// Every set of the named bundled element files, checked for the search, as
// orbisk-predict --tle reads them.
inline std::vector<TSatRec> BundledSets(std::initializer_list<const char*> files) {
    std::vector<TSatRec> sats;
    for (const char* file : files) {
        std::vector<TElementEntry> entries;
        ReadElementFile(entries, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/" + file);
        const std::vector<TSatRec> part = SelectedRecords(entries);
        sats.insert(sats.end(), part.begin(), part.end());
    }
    return sats;
}

// The low-orbit sets (11 to 20 revolutions a day) of the bundled visual,
// stations and Iridium files: the seed of the generated catalogues.
inline std::vector<TElementEntry> BundledLowSets() {
    std::vector<TElementEntry> low;
    for (const char* f : {"visual.tle", "stations.tle", "Iridium.tle"}) {
        std::vector<TElementEntry> entries;
        ReadElementFile(entries, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/" + f);
        for (const TElementEntry& e : entries)
            if (e.meanMotion > 11.0 && e.meanMotion < 20.0) low.push_back(e);
    }
    return low;
}

// A line cut or padded to 68 columns with its checksum appended.
inline std::string WithChecksum(std::string line) {
    line.resize(68, ' ');
    int sum = 0;
    for (char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-');
    return line + static_cast<char>('0' + sum % 10);
}

// Three lines: the name, then line 1 and line 2 of the set.
inline std::string ThreeLines(const std::string& name, const std::string& line1, const std::string& line2) {
    return name + "\n" + WithChecksum(line1) + "\n" + WithChecksum(line2) + "\n";
}

// count sets copied from sources in turn, each copy under the next number
// from firstNumber (five digits) with its node and mean anomaly moved on, so
// the copies of one set pass at other times and places.
inline std::string SpreadCopies(const std::vector<TElementEntry>& sources, std::size_t count, int firstNumber) {
    std::string text;
    for (std::size_t k = 0; k < count && !sources.empty(); ++k) {
        const TElementEntry& e = sources[k % sources.size()];
        const double copy = static_cast<double>(k / sources.size());
        char number[8];
        std::snprintf(number, sizeof number, "%05d", firstNumber + static_cast<int>(k));
        std::string l1 = e.line1.str(), l2 = e.line2.str();
        l1.replace(2, 5, number);
        l2.replace(2, 5, number);
        char field[16];
        std::snprintf(field, sizeof field, "%8.4f", std::fmod(std::atof(l2.substr(17, 8).c_str()) + copy * 7.3, 360.0));
        l2.replace(17, 8, field);
        std::snprintf(field, sizeof field, "%8.4f", std::fmod(std::atof(l2.substr(43, 8).c_str()) + copy * 41.7, 360.0));
        l2.replace(43, 8, field);
        text += ThreeLines(e.name.str(), l1, l2);
    }
    return text;
}

// A set of a chosen orbit at epoch 2018 day `day` (angles in degrees,
// mean motion in revolutions a day, drag term as in column 54-61 of line 1).
struct TOrbit {
    double inclination = 51.6, node = 0.0, eccentricity = 0.001, perigee = 0.0, anomaly = 0.0;
    double meanMotion = 15.5;
    const char* drag = " 10000-4";
};
inline std::string MadeUpSet(const std::string& name, int number, double day, const TOrbit& o) {
    char l1[80], l2[80];
    std::snprintf(l1, sizeof l1, "1 %05dU 18001A   18%012.8f  .00000000  00000-0 %s 0  999", number, day, o.drag);
    const int ecc = static_cast<int>(std::lround(o.eccentricity * 1e7));
    std::snprintf(l2, sizeof l2, "2 %05d %8.4f %8.4f %07d %8.4f %8.4f %11.8f    1", number, o.inclination,
                  o.node, ecc, o.perigee, o.anomaly, o.meanMotion);
    return ThreeLines(name, l1, l2);
}

}  // namespace elsets
