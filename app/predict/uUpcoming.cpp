#include "uUpcoming.h"

#include <algorithm>
#include <cstring>

#include "uPassSearch.h"
#include "uUnits.h"

namespace {
// A pass under way is searched from this far back, so its AOS is its own.
constexpr double kLookBackDays = 30.0 / 1440.0;
constexpr double kMinRevs = 2.0;
constexpr double kDarkSunAltitudeDeg = -6.0;

void Mix(uint64_t& h, const void* data, std::size_t size) {
    // FNV-1a: a change detector, not a digest.
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
}
void MixDouble(uint64_t& h, double v) { Mix(h, &v, sizeof v); }
}  // namespace

std::vector<TUpcomingPass> FindUpcomingPasses(const TUpcomingInputs& inputs, const std::vector<TSatRec>& list,
                                              const TSite& site, TSearchControl* control) {
    TPredictionInputs in;
    in.start = inputs.from - kLookBackDays;
    in.stop = inputs.from + inputs.hours / 24.0;
    in.minElevation = inputs.minElevationDeg * kDegToRad;
    in.sunAltitude = kDarkSunAltitudeDeg * kDegToRad;
    in.minRevs = kMinRevs;
    in.sunlitOnly = inputs.visibleOnly;
    in.dayAndNight = !inputs.visibleOnly;
    in.utcMode = true;
    in.chosen = inputs.tracked;
    const TPredictionResult found = RunLineSearch(in, list, site, 0, control);

    std::vector<TUpcomingPass> passes;
    for (const TLinePass& p : found.linePasses) {
        if (p.los < inputs.from || p.satellite >= list.size()) continue;
        const TSatRec& sat = list[p.satellite];
        TUpcomingPass u;
        u.satellite = p.satellite;
        u.name = sat.name.str();
        u.catNo = sat.catNo.str();
        u.aos = p.aos;
        u.middle = p.middle;
        u.los = p.los;
        u.maxElevation = p.maxElevation;
        u.aosAzimuth = p.aosAzimuth;
        u.losAzimuth = p.losAzimuth;
        u.magnitude = p.magnitude;
        u.shadowed = p.shadowed;
        passes.push_back(std::move(u));
    }
    std::stable_sort(passes.begin(), passes.end(),
                     [](const TUpcomingPass& a, const TUpcomingPass& b) { return a.aos < b.aos; });
    return passes;
}

uint64_t UpcomingKey(const std::vector<TSatRec>& list, const TChoice& tracked, const TSite& site) {
    uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const TSatRec& s = list[i];
        if (!tracked(i)) continue;
        Mix(h, &i, sizeof i);
        Mix(h, s.catNo.view().data(), s.catNo.view().size());
        for (double v : {s.epoch, s.meanMotion, s.ecc, s.inclination, s.node, s.argPerigee, s.meanAnomaly})
            MixDouble(h, v);
        Mix(h, &s.decayed, 1);
    }
    for (double v : {site.geo.lat, site.geo.lon, site.geo.height}) MixDouble(h, v);
    Mix(h, site.zoneName.data(), site.zoneName.size());
    return h;
}
