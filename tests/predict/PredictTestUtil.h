// Fixtures of the prediction tests: a fixed observer, period and the
// January 2018 element sets of tests/predict/data/passes.tle.
#pragma once
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Satellite.h"
#include "Zenora.h"
#include "uFormat.h"
#include "uPassSearch.h"

inline constexpr double kDeg = 0.017453292519943295;
inline const std::string kPredictDir = std::string(ORBISK_SOURCE_DIR) + "/tests/predict";
inline const std::string kPassesTle = kPredictDir + "/data/passes.tle";

inline TObserver TestObserver(double latDeg = 45.0, double lonDeg = -75.0, double heightKm = 0.1) {
    TObserver o{};
    o.name = "Test Site";
    o.pos = TLatLon{latDeg * kDeg, lonDeg * kDeg, heightKm};
    o.utcOffset = -5.0 / 24.0;
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

inline TReportSettings TestSettings(const TObserver& o, double displayOffset) {
    TReportSettings s;
    s.observerName = o.name.str();
    s.latitude = o.pos.lat;
    s.longitude = o.pos.lon;
    s.produced = EncodeDayNumber(2018, 1, 20, 12, 0, 0);
    s.displayOffset = displayOffset;
    return s;
}

// Every set of a three-line file, selected, standard magnitude 4.0.
inline std::vector<TSatRec> LoadTestSats(const std::string& path = kPassesTle) {
    std::vector<TSatRec> sats;
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
        lines.push_back(l);
    }
    for (std::size_t i = 0; i + 2 < lines.size(); i += 3) {
        TSatRec sat{};
        if (!parse_elements(lines[i + 1].c_str(), lines[i + 2].c_str(), &sat)) continue;
        if (!(sat.deepSpace ? SDP4_init(&sat) : SGP4_init(&sat))) continue;
        sat.name = lines[i].substr(0, 20);
        sat.catNo = lines[i + 1].substr(2, 5);
        sat.stdMag = 4.0;
        sat.selected = 1;
        sats.push_back(sat);
    }
    return sats;
}

// The set of the fixture with that catalogue number (a copy).
inline TSatRec ByNumber(const std::vector<TSatRec>& sats, const char* number) {
    for (const TSatRec& s : sats)
        if (s.catNo == number) return s;
    throw std::runtime_error("no such satellite in the fixture");
}

inline TPredictionInputs TestInputs(double start, double stop, bool sunlitOnly, bool dayNight) {
    TPredictionControls c;
    c.shownStart = start;
    c.shownStop = stop;
    c.sunlitOnly = sunlitOnly;
    c.dayNight = dayNight;
    c.utcMode = true;
    return ReadPredictionInputs(c, 0.0);
}

inline std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
