#include "uAnalysis.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uTracking.h"
#include "uTransit.h"

namespace {
bool Between(double value, double low, double high) { return value > low && value < high; }

bool WithinRevs(const TElementEntry& e, double low, double high) { return Between(e.meanMotion, low, high); }

void WriteMomentHeader(TReportLines& lines, const TAnalysisInputs& in, const TReportSettings& settings) {
    const double shown = in.time + in.displayOffset;
    WriteReportHeader(in.utcMode, lines, shown, shown, settings);
}
}  // namespace

TMagList::TMagList(std::vector<std::string> lines) : lines_(std::move(lines)), index_(lines_) {}

double TMagList::StdMag(const std::string& catNo) const {
    const int k = index_.Find(catNo);
    double mag = kUnknownStdMag;
    if (k < 0 || !ParseNumber(MagText(lines_[static_cast<std::size_t>(k)]), mag)) return kUnknownStdMag;
    return mag;
}

bool TMagList::Known(const std::string& catNo) const {
    const int k = index_.Find(catNo);
    double mag = 0.0;
    return k >= 0 && MagLineValue(lines_[static_cast<std::size_t>(k)], mag);
}

// ---- visible now -------------------------------------------------------------

TVisibleResult RunVisibleSearch(const TAnalysisInputs& in, const std::vector<TElementEntry>& entries,
                                const TSite& site, const TMagList* mags, unsigned threads,
                                TSearchControl* control) {
    TVisibleResult result;
    // One moment: the observer's frame and the Sun serve every satellite.
    const TFrame frame = ObserverFrame(site, in.time);
    TVector sun{};
    PlanetVector(kBodySun, sun, in.time);
    result.sunElevation = Degrees(ElevationOf(sun, frame));

    result.status = RunPerSatellite(
        entries, [&](const TElementEntry& e) { return WithinRevs(e, in.minRevs, in.maxRevs); }, threads,
        control,
        [&](std::size_t i, const TStop&, std::vector<TVisibleSat>& out) {
            TSatRec sat{};
            if (!InitSatelliteFromEntry(sat, entries[i], in.minRevs, in.maxRevs)) return;
            if (!(sat.decayDate > in.time)) return;
            TSatState state{};
            if (!PropagateSatellite(sat, state, frame, kFillPosition)) return;
            // Most of a catalogue is below the horizon: the elevation alone
            // turns them away before the look angles are worked out.
            const double elevation = Degrees(ElevationOf(state.pos, frame));
            if (!Between(elevation, in.minAlt, in.maxAlt)) return;
            FillStateGroups(state, kFillAll, frame);
            const double azimuth = Degrees(state.altaz.az);
            if (!Between(azimuth, in.minAz, in.maxAz)) return;
            if (in.horizon && !(state.altaz.alt > in.horizon->Limit(state.altaz.az, -kHalfPi))) return;
            const double stdMag = mags ? mags->StdMag(sat.catNo.str()) : kUnknownStdMag;
            TVisibleSat v;
            v.entry = i;
            v.row.title = VisibleTitle(sat);
            v.row.azimuth = azimuth;
            v.row.elevation = elevation;
            v.row.magnitude = RawMagnitude(frame.pos, state, sun, stdMag, in.magModel);
            v.row.estimated = !(mags && mags->Known(sat.catNo.str()));
            v.row.range = state.radec.dist;
            v.row.height = state.latlon.height;
            v.row.sunlit = SunLite(&state.pos, &sun);
            out.push_back(std::move(v));
        },
        result.sats);
    return result;
}

TReportLines VisibleReport(const TVisibleResult& result, const TAnalysisInputs& in,
                           const TReportSettings& settings) {
    TReportLines lines;
    WriteMomentHeader(lines, in, settings);
    lines.push_back(VisibleSunLine(result.sunElevation));
    lines.push_back("  ");
    lines.push_back(VisibleColumnLine());
    bool marked = false;
    for (const TVisibleSat& s : result.sats) {
        lines.push_back(VisibleRowLine(s.row, settings.distanceFactor));
        marked |= s.row.estimated && s.row.sunlit;
    }
    if (marked) lines.push_back(kEstimatedFootnote);
    if (result.sats.empty()) lines.push_back(NothingFoundLine("satellites", result.status));
    return lines;
}

// ---- decayed ---------------------------------------------------------------------------

TDecayedResult RunDecayedSearch(const TAnalysisInputs& in, const std::vector<TElementEntry>& entries,
                                unsigned threads, TSearchControl* control) {
    TDecayedResult result;
    result.status = RunPerSatellite(
        entries, [](const TElementEntry& e) { return WithinRevs(e, kDecayMinRevs, kDecayMaxRevs); }, threads,
        control,
        [&](std::size_t i, const TStop&, std::vector<TDecayedSat>& out) {
            TSatRec sat{};
            if (!InitSatelliteFromEntry(sat, entries[i], kDecayMinRevs, kDecayMaxRevs)) return;
            if (!(in.time > sat.decayDate)) return;
            TDecayedSat d;
            d.entry = i;
            d.name = sat.name.view();
            d.catNo = sat.catNo.view();
            d.epoch = sat.epoch;
            d.apogee = sat.apogee;
            d.perigee = sat.perigee;
            d.decayDate = sat.decayDate;
            out.push_back(d);
        },
        result.sats);
    return result;
}

TReportLines DecayedReport(const TDecayedResult& result, const TAnalysisInputs& in,
                           const TReportSettings& settings) {
    TReportLines lines;
    WriteMomentHeader(lines, in, settings);
    lines.push_back(DecayColumnLine());
    TSatRec shown{};
    for (const TDecayedSat& d : result.sats) {
        // The row reads only these fields of a record.
        shown.name = d.name.view();
        shown.catNo = d.catNo.view();
        shown.epoch = d.epoch;
        shown.apogee = d.apogee;
        shown.perigee = d.perigee;
        lines.push_back(DecayRowLine(shown, d.decayDate, in.displayOffset, settings.distanceFactor));
    }
    if (result.sats.empty()) lines.push_back(NothingFoundLine("decayed satellites", result.status));
    return lines;
}

// ---- transits --------------------------------------------------------------------------

TAnalysisTransitResult RunAnalysisTransitSearch(const TAnalysisInputs& in, const TAnalysisTransitInputs& tr,
                                                const TTransitTarget& target,
                                                const std::vector<TElementEntry>& entries,
                                                const TSite& site, unsigned threads,
                                                TSearchControl* control) {
    TAnalysisTransitResult result;
    TPredictionInputs& period = result.period;
    period.start = in.time;
    period.stop = in.time + tr.spanMinutes / kMinutesPerDay;
    period.minElevation = Radians(tr.minElevation);
    period.minRevs = in.minRevs;
    period.dayAndNight = tr.dayAndNight;
    period.utcMode = in.utcMode;
    period.displayOffset = in.displayOffset;
    period.magModel = in.magModel;

    // The records first (quick next to the search); a cancel reaches this
    // step through its progress calls.
    TSearchControl making;
    making.progress = [control, &making](std::size_t, std::size_t) {
        if (control && control->cancel.load()) making.cancel = true;
    };
    std::vector<TSatRec> sats;
    const TSearchStatus made = RunPerSatellite(
        entries, [&](const TElementEntry& e) { return WithinRevs(e, in.minRevs, in.maxRevs); }, threads, &making,
        [&](std::size_t i, const TStop&, std::vector<TSatRec>& out) {
            TSatRec sat{};
            if (!InitSatelliteFromEntry(sat, entries[i], in.minRevs, in.maxRevs)) return;
            out.push_back(sat);
        },
        sats);
    if (made.cutShort) {
        result.transits.status = made;
        result.transits.status.satellitesDone = 0;
        return result;
    }

    result.transits =
        RunTransitSearch(period, tr.separation / 60.0, target, sats, site, threads, control);
    // Only the satellites with a transit are kept, renumbered in order.
    std::vector<std::size_t> kept(sats.size(), sats.size());
    for (TTransit& t : result.transits.transits) {
        if (kept[t.satellite] == sats.size()) {
            kept[t.satellite] = result.sats.size();
            result.sats.push_back(sats[t.satellite]);
        }
        t.satellite = kept[t.satellite];
    }
    return result;
}

TReportLines AnalysisTransitReport(const TAnalysisTransitResult& result, const TTransitTarget& target,
                                   const TReportSettings& settings) {
    return TransitReport(result.transits, result.sats, target, result.period, settings);
}

std::string CutShortLine(const TSearchStatus& status) {
    if (!status.cutShort) return {};
    const std::string searched = std::to_string(status.satellitesDone) + " of " +
                                 std::to_string(status.satellitesTotal) + " satellites searched";
    if (!status.failure.empty())
        return "  Search failed: " + status.failure + (status.satellitesTotal ? "; " + searched : "");
    return "  Search cut short: " + searched;
}
