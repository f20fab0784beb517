// Fixtures of the flare, transit and ground-path tests: the bundled Iridium
// catalogue, observers and small vector helpers computed here, not through
// the engine's own geometry.
#pragma once
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "../common/ElementSets.h"
#include "Satellite.h"
#include "Zenora.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uPassSearch.h"
#include "uTracking.h"

inline constexpr double kDeg = 0.017453292519943295;
inline constexpr double kSec = 1.0 / 86400.0;

// The bundled Iridium element sets under the Iridium catalogue's name rule,
// made here so the tests do not depend on a catalogue file's private bytes.
using elsets::BundledSets;

inline std::vector<TSatRec> IridiumCatalogue() {
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, std::string(ORBISK_SOURCE_DIR) + "/data/install/tle/Iridium.tle");
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        const std::string name = e.name.str();
        if (name.find('?') != std::string::npos || name.find('T') != std::string::npos) continue;
        TSatRec sat{};
        if (InitSatelliteFromEntry(sat, e, 0.0, 1000.0)) sats.push_back(sat);
    }
    return sats;
}

inline TObserver SiteAt(double latDeg, double lonDeg, double heightKm = 0.0,
                        const char* name = "Test Site") {
    TObserver o{};
    o.name = name;
    o.pos = TLatLon{latDeg * kDeg, lonDeg * kDeg, heightKm};
    RhoSinCos(&o.pos, &o.rhoSin, &o.rhoCos);
    return o;
}

inline TReportSettings SettingsFor(const TObserver& o) {
    TReportSettings s;
    s.observerName = o.name.str();
    s.latitude = o.pos.lat;
    s.longitude = o.pos.lon;
    s.produced = EncodeDayNumber(2018, 1, 20, 12, 0, 0);
    return s;
}

inline TPredictionInputs Period(double start, double stop, double minElevDeg = 10.0,
                                bool dayNight = false) {
    TPredictionControls c;
    c.shownStart = start;
    c.shownStop = stop;
    c.satAlt = minElevDeg;
    c.dayNight = dayNight;
    c.utcMode = true;
    c.revs = 2.0;
    return ReadPredictionInputs(c, 0.0);
}

struct V3 {
    double x = 0, y = 0, z = 0;
};
inline V3 Of(const TVector& v) { return {v.x, v.y, v.z}; }
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
inline double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Len(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Unit(V3 a) { return a * (1.0 / Len(a)); }
inline double AngleDeg(V3 a, V3 b) {
    const double c = Dot(Unit(a), Unit(b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c))) / kDeg;
}

// Satellite, observer and Sun at t, through the propagator and the body
// service only.
struct Scene {
    TObserver observer;
    TSatState sat{};
    TVector sun{};
    double gha = 0;
    bool ok = false;
};
inline Scene SceneAt(TSatRec sat, TObserver o, double t) {
    Scene s;
    const TFrame at = ObserverFrame(o, t);
    s.gha = at.gha;
    o.vect = at.pos;  // the scene's observer holds its position at t
    s.ok = static_cast<bool>(PropagateSatellite(sat, s.sat, at, kFillLookAngles));
    PlanetVector(kBodySun, s.sun, t);
    s.observer = o;
    return s;
}
