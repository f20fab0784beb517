#include "uPassSearch.h"
#include "uSearchPool.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "Zenora.h"
#include "uFormat.h"

namespace {
constexpr double kRadToDeg = 57.29577951308232;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kShadowIllumination = 0.00025;
constexpr double kMaxMeanMotion = 20.0;

double AddSeconds(double t, double seconds) { return t + seconds / kSecondsPerDay; }

// Satellite evaluations, counted per thread and summed after each satellite.
thread_local uint64_t tEvaluations = 0;
std::atomic<uint64_t> gEvaluations{0};

// Observer vector, propagation, then the elevation: the state's altitude in
// mode 4, else the geocentric elevation of the position.
bool Evaluate(TSatRec& sat, TSatState& state, double t, TObserver& observer, double& elevation) {
    ++tEvaluations;
    const double gha = ObserverVector(t, observer);
    if (!PropagateSatellite(sat, state, t, gha, observer)) return false;
    elevation = state.mode == 4 ? state.altaz.alt : ElevationOf(state.pos, observer);
    return true;
}

// Position only (state mode 0), for the shadow scans: no hour angle or
// elevation is needed, and mode 0 does not read the hour angle.
bool PositionAt(TSatRec& sat, TSatState& state, double t, const TObserver& observer) {
    ++tEvaluations;
    return PropagateSatellite(sat, state, t, 0.0, observer);
}

void SunAt(TSatState& sun, double t) {
    sun.body = kBodySun;
    sun.mode = 0;
    PlanetVector(kBodySun, sun.pos, t);
}

bool Sunlit(const TSatState& state, const TSatState& sun) { return SunLite(&state.pos, &sun.pos); }

double Magnitude(const TSatRec& sat, const TSatState& state, const TSatState& sun,
                 const TObserver& observer, bool sunlit) {
    const double fraction =
        sunlit ? illum_fraction(&observer.vect, &state.pos, &sun.pos) : kShadowIllumination;
    return Calc_Magnitude(sat.stdMag, state.radec.dist, fraction);
}

// Three quarters of an orbit later.
double NextSearchStart(double t, const TSatRec& sat) { return t + 0.75 * SafePeriodDays(sat); }

TPassRecord NewPassRecord(const TSatRec& sat) {
    TPassRecord record{};
    record.title = PassTitle(sat);
    record.magnitude = 20.0;
    record.maxElevation = -kHalfPi;
    record.elements = sat;
    return record;
}

// Whole seconds after `from` until the sunlit state differs from `litFrom`
// or LOS is reached, as a one-second scan would find them. The scan strides
// 10 s and steps single seconds only inside the stride where something
// changed: a satellite does not enter and leave the shadow within 10 s.
struct TScan {
    int seconds = 0;
    bool reachedEnd = false;
};
template <typename Lit>
TScan FirstChange(double from, double los, bool litFrom, Lit lit) {
    constexpr int kStride = 10;
    if (!(from < los)) return {0, true};
    for (int k = 0;; k += kStride) {
        const double probe = AddSeconds(from, k + kStride);
        if (probe < los && lit(probe) == litFrom) continue;
        for (int j = k + 1; j <= k + kStride; ++j) {
            const double t = AddSeconds(from, j);
            if (t >= los) return {j, true};
            if (lit(t) != litFrom) return {j, false};
        }
    }
}

std::string DisplayTime(double t, double offset) { return FormatDateTime("HH:nn:ss", t + offset); }

// Output of one satellite's search; merged in list order afterwards.
struct TSatelliteOutput {
    TReportLines lines;
    std::vector<TPassRecord> passes;
    bool skyCharts = false;
};

void LineSearchSatellite(const TPredictionInputs& in, const TReportSettings& rs,
                         const TSatRec& original, TObserver observer,
                         const std::vector<TTimeInterval>& intervals, TSatelliteOutput& out) {
    TSatRec sat = original;
    TSatState state{};
    TSatState sun{};
    const double minEl = in.minElevation;
    const double offset = in.displayOffset;
    bool headerWritten = false;
    bool havePrevious = false;
    double previousAos = 0.0;
    double el = 0.0;

    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        double t = interval.start;
        while (t < e) {
            state.mode = 0;
            double aos = SearchAOS(sat, state, minEl, t, e, observer);
            double los = SearchLOS(sat, state, minEl, aos, e, observer);
            double middle = aos + (los - aos) / 2.0;
            if (!(aos < e)) break;

            Evaluate(sat, state, aos, observer, el);
            SunAt(sun, aos);  // serves the whole pass
            std::string note;
            auto lit = [&](double when) {
                return PositionAt(sat, state, when, observer) && Sunlit(state, sun);
            };
            if (Sunlit(state, sun)) {
                // Last sunlit second before LOS, or LOS itself.
                const TScan scan = FirstChange(aos, los, true, lit);
                const double entry = scan.reachedEnd ? los : AddSeconds(aos, scan.seconds - 1);
                if (in.sunlitOnly) {
                    los = entry;
                    if (entry < middle) middle = entry;
                } else {
                    note = entry >= los ? "SunLite" : "Shd " + DisplayTime(entry, offset);
                }
            } else {
                // First sunlit second, or LOS.
                const TScan scan = FirstChange(aos, los, false, lit);
                const double exit = scan.reachedEnd ? los : AddSeconds(aos, scan.seconds);
                if (in.sunlitOnly) {
                    aos = exit;
                    if (exit > middle) middle = exit;
                } else {
                    note = exit >= los ? "Shadow" : "Slt " + DisplayTime(exit, offset);
                }
            }

            const double seconds = std::abs(los - aos) * kSecondsPerDay;
            t = aos;
            if (seconds > 1.0) {
                TLinePass pass;
                pass.aos = aos;
                pass.los = los;
                pass.middle = middle;
                // Whole seconds: the edges are whole-second steps apart.
                pass.seconds = std::round(seconds * 1000.0) / 1000.0;
                pass.note = note;
                state.mode = 4;
                Evaluate(sat, state, aos, observer, el);
                pass.aosElevation = state.altaz.alt * kRadToDeg;
                pass.aosAzimuth = state.altaz.az * kRadToDeg;
                Evaluate(sat, state, los, observer, el);
                pass.losAzimuth = state.altaz.az * kRadToDeg;
                pass.losElevation = std::max(state.altaz.alt, minEl) * kRadToDeg;
                Evaluate(sat, state, middle, observer, el);
                pass.maxElevation = state.altaz.alt * kRadToDeg;
                pass.maxAzimuth = state.altaz.az * kRadToDeg;
                pass.magnitude = Magnitude(sat, state, sun, observer, Sunlit(state, sun));

                if (!headerWritten) {
                    WriteSatelliteHeader(sat, out.lines, rs);
                    out.lines.push_back("  ");
                    out.lines.push_back(LineColumnHeader(in.sunlitOnly));
                    headerWritten = true;
                }
                out.skyCharts = true;
                TPassRecord record = NewPassRecord(original);
                record.magnitude = pass.magnitude;
                record.maxElevation = pass.maxElevation;
                record.start = aos;
                record.end = los;
                out.passes.push_back(record);
                if (havePrevious && FormatDateTime("dd", previousAos + offset) !=
                                        FormatDateTime("dd", aos + offset))
                    out.lines.push_back(" ");
                out.lines.push_back(LinePassLine(pass, offset));
                havePrevious = true;
                previousAos = aos;
                state.mode = 0;
            }
            t = NextSearchStart(t, sat);
        }
    }
}

void TabularSearchSatellite(const TPredictionInputs& in, const TReportSettings& rs,
                            const TSatRec& original, const TObserver& observer,
                            const std::vector<TTimeInterval>& intervals, TSatelliteOutput& out) {
    TTabularSearch search(in, rs, original, observer);
    for (const TTimeInterval& interval : intervals) {
        const double e = interval.end;
        search.intervalEnd = e;
        double t = interval.start;
        while (t < e) {
            search.state.mode = 0;
            t = SearchAOS(search.satellite, search.state, in.minElevation, t, e, search.observer);
            if (search.satellite.decayed || !(t < e)) break;
            search.brightest = 20.0;
            search.highest = -kHalfPi;
            const double before = t;
            if (in.sunlitOnly)
                ListPassSunlit(search, t);
            else
                ListPassAll(search, t);
            if (!(t > before)) t = AddSeconds(before, 1.0);  // never search the same instant twice
        }
    }
    out.lines = std::move(search.lines);
    out.passes = std::move(search.passes);
    out.skyCharts = search.skyCharts;
}

template <typename SearchOne>
TPredictionResult RunSearch(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                            const TObserver& observer, const TReportSettings& rs,
                            unsigned threads, SearchOne searchOne) {
    TPredictionResult result;
    WriteReportHeader(in.utcMode, result.lines, in.start + in.displayOffset,
                      in.stop + in.displayOffset, rs);
    KeySearchDeltaT(in.start);
    const std::vector<TTimeInterval> intervals = PredictionIntervals(in, observer);

    std::vector<const TSatRec*> work;
    for (const TSatRec& sat : satellites)
        if (IsSearched(sat, in.minRevs)) work.push_back(&sat);
    std::vector<TSatelliteOutput> outputs(work.size());

    ForEachSatellite(work.size(), threads, in.start, [&](std::size_t i) {
        const uint64_t before = tEvaluations;
        searchOne(in, rs, *work[i], observer, intervals, outputs[i]);
        gEvaluations += tEvaluations - before;
    });

    for (TSatelliteOutput& out : outputs) {
        result.lines.insert(result.lines.end(), std::make_move_iterator(out.lines.begin()),
                            std::make_move_iterator(out.lines.end()));
        result.passes.insert(result.passes.end(), out.passes.begin(), out.passes.end());
        result.skyCharts = result.skyCharts || out.skyCharts;
    }
    return result;
}
}  // namespace

TPredictionInputs ReadPredictionInputs(const TPredictionControls& c, double utcOffset) {
    TPredictionInputs in;
    const double offset = c.utcMode ? 0.0 : utcOffset;
    in.start = c.shownStart - offset;
    in.stop = c.shownStop - offset;
    in.minElevation = std::clamp(c.satAlt, 0.0, 45.0) * kDegToRad;
    in.sunAltitude = std::clamp(c.sunAlt, -18.0, 0.0) * kDegToRad;
    in.minRevs = std::clamp(c.revs, 2.0, 18.0);
    in.tableStep = std::clamp(c.steps, 10, 300);
    in.sunlitOnly = c.sunlitOnly;
    in.dayAndNight = c.dayNight;
    in.utcMode = c.utcMode;
    in.displayOffset = offset;
    return in;
}

std::string CheckDates(double stop, double start) {
    // Pickers hold whole seconds; compare seconds so 15 days exactly passes.
    const double seconds = std::round((stop - start) * kSecondsPerDay);
    if (seconds < 0.0) return kEndBeforeStart;
    if (seconds > 15.0 * kSecondsPerDay) return kPeriodTooLong;
    return {};
}

double SearchAOS(TSatRec& sat, TSatState& state, double minEl, double t, double limit,
                 TObserver& observer) {
    double el = 0.0;
    if (Evaluate(sat, state, t, observer, el)) {
        double step = el > minEl - 0.5 ? 25.0 : 100.0;
        while (el < minEl) {
            t = AddSeconds(t, step);
            if (!Evaluate(sat, state, t, observer, el)) el = minEl + 0.01;
            if (el > minEl || !(AddSeconds(limit, step) > t)) {
                t = AddSeconds(t, -step);
                if (!Evaluate(sat, state, t, observer, el)) el = minEl + 0.01;
                break;
            }
            if (step == 100.0 && el > minEl - 0.5) step = 25.0;
        }
        if (el < minEl) {
            double fine = el > minEl - 0.1 ? 1.0 : 5.0;
            while (t < limit && el < minEl) {
                t = AddSeconds(t, fine);
                if (!Evaluate(sat, state, t, observer, el)) el = minEl;
                if (fine == 5.0 && el > minEl - 0.1) fine = 1.0;
            }
        }
    }
    if (sat.decayed || t > limit) return limit;
    return t;
}

double SearchLOS(TSatRec& sat, TSatState& state, double minEl, double t, double limit,
                 TObserver& observer) {
    double el = 0.0;
    if (!Evaluate(sat, state, t, observer, el)) return limit;
    double step = el < minEl + 0.5 ? 25.0 : 100.0;
    while (el > minEl) {
        t = AddSeconds(t, step);
        if (!Evaluate(sat, state, t, observer, el)) el = minEl - 0.01;
        if (el < minEl || !(AddSeconds(limit, step) > t)) {
            t = AddSeconds(t, -step);
            if (!Evaluate(sat, state, t, observer, el)) el = minEl - 0.01;
            break;
        }
        if (step == 100.0 && el < minEl + 0.5) step = 25.0;
    }
    if (el > minEl) {
        double fine = el < minEl + 0.1 ? 1.0 : 5.0;
        while (t < limit && el > minEl) {
            t = AddSeconds(t, fine);
            if (!Evaluate(sat, state, t, observer, el)) el = minEl;
            if (fine == 5.0 && el < minEl + 0.1) fine = 1.0;
        }
    }
    if (sat.decayed || t > limit) return limit;
    return t;
}

std::vector<TTimeInterval> PredictionIntervals(const TPredictionInputs& in, TObserver observer) {
    std::vector<TTimeInterval> intervals;
    if (!(in.start < in.stop)) return intervals;
    TSatState sun{};
    sun.body = kBodySun;
    sun.mode = 0;
    BodyIntervals(sun, in.dayAndNight, true, in.start, in.stop, in.sunAltitude, intervals,
                  observer);
    return intervals;
}

uint64_t PassSearchEvaluations() { return gEvaluations.load(); }

bool IsSearched(const TSatRec& sat, double minRevs) {
    return sat.selected && sat.meanMotion > minRevs && sat.meanMotion < kMaxMeanMotion;
}

TPredictionResult RunLineSearch(const TPredictionInputs& in, const std::vector<TSatRec>& satellites,
                                const TObserver& observer, const TReportSettings& rs,
                                unsigned threads) {
    return RunSearch(in, satellites, observer, rs, threads, LineSearchSatellite);
}

TPredictionResult RunTabularSearch(const TPredictionInputs& in,
                                   const std::vector<TSatRec>& satellites,
                                   const TObserver& observer, const TReportSettings& rs,
                                   unsigned threads) {
    return RunSearch(in, satellites, observer, rs, threads, TabularSearchSatellite);
}

TTabularSearch::TTabularSearch(const TPredictionInputs& in, const TReportSettings& rs,
                               const TSatRec& sat, const TObserver& obs)
    : inputs(in), settings(rs), satellite(sat), observer(obs) {
    state.mode = 0;
    sun.body = kBodySun;
}

namespace {
// Evaluation of the tabular search: a failure counts as the minimum
// elevation; the Sun and the sunlit flag follow the time.
double StepTo(TTabularSearch& s, double t) {
    double el = s.inputs.minElevation;
    const bool ok = Evaluate(s.satellite, s.state, t, s.observer, el);
    SunAt(s.sun, t);
    if (!ok) return s.inputs.minElevation;
    s.state.sunlit = Sunlit(s.state, s.sun);
    return el;
}

void SatelliteHeaderOnce(TTabularSearch& s) {
    if (s.headerWritten) return;
    WriteSatelliteHeader(s.satellite, s.lines, s.settings);
    s.headerWritten = true;
}

void FinishPass(TTabularSearch& s, double& t) {
    s.skyCharts = true;
    WriteTableRow(s, t);
    TPassRecord record = NewPassRecord(s.satellite);
    record.start = s.passStart;
    record.end = t;
    record.magnitude = s.brightest;
    record.maxElevation = s.highest;
    s.passes.push_back(record);
    t = NextSearchStart(t, s.satellite);
}
}  // namespace

void ListPassAll(TTabularSearch& s, double& t) {
    const double minEl = s.inputs.minElevation;
    const double e = s.intervalEnd;
    SatelliteHeaderOnce(s);
    StepTo(s, t);
    WritePassHeader(s, t);
    s.passStart = t;
    double el = minEl;
    do {
        WriteTableRow(s, t);
        t = AddSeconds(t, s.inputs.tableStep);
        el = StepTo(s, t);
    } while (el > minEl && t < e);
    if (t > e && el > minEl) el = StepTo(s, t = e);  // no row after the interval
    while (el < minEl) {
        t = AddSeconds(t, -1.0);
        el = StepTo(s, t);
    }
    FinishPass(s, t);
}

void ListPassSunlit(TTabularSearch& s, double& t) {
    const double minEl = s.inputs.minElevation;
    const double e = s.intervalEnd;
    double el = minEl;
    if (!Evaluate(s.satellite, s.state, t, s.observer, el)) return;
    SunAt(s.sun, t);
    s.state.sunlit = Sunlit(s.state, s.sun);
    bool passHeader = false;
    while (el >= minEl) {
        if (!s.state.sunlit) {
            t = AddSeconds(t, 1.0);
            if (!Evaluate(s.satellite, s.state, t, s.observer, el) || el < minEl || !(t < e))
                return;
            SunAt(s.sun, t);
            s.state.sunlit = Sunlit(s.state, s.sun);
            continue;
        }
        SatelliteHeaderOnce(s);
        if (!passHeader) {
            WritePassHeader(s, t);
            s.passStart = t;
            passHeader = true;
        }
        WriteTableRow(s, t);
        const double lastRow = t;
        t = AddSeconds(t, s.inputs.tableStep);
        el = StepTo(s, t);
        if (el > minEl && t < e && s.state.sunlit) continue;
        if (t > e && el > minEl) el = StepTo(s, t = e);  // no row after the interval
        // Back to the last second that is up and sunlit; never before the last row.
        while (!(el >= minEl && s.state.sunlit) && t > lastRow) {
            t = AddSeconds(t, -1.0);
            el = StepTo(s, t);
        }
        FinishPass(s, t);
        return;
    }
}

void WriteTableRow(TTabularSearch& s, double t) {
    std::string mark = s.state.sunlit ? "Y" : "N";
    s.state.mode = 4;
    double el = s.inputs.minElevation;
    Evaluate(s.satellite, s.state, t, s.observer, el);
    el = std::max(el, s.inputs.minElevation);
    TSatState sun{};
    SunAt(sun, t);
    const double magnitude =
        Magnitude(s.satellite, s.state, sun, s.observer, Sunlit(s.state, sun));
    const double elevation = el * kRadToDeg;
    s.brightest = std::min(s.brightest, magnitude);
    s.highest = std::max(s.highest, elevation);
    if (s.inputs.sunlitOnly) mark.clear();
    s.lines.push_back(TableRowLine(t, s.inputs.displayOffset, elevation,
                                   s.state.altaz.az * kRadToDeg, magnitude, mark));
    s.state.mode = 0;
}

void WritePassHeader(TTabularSearch& s, double t) {
    const TSatRec& sat = s.satellite;
    const double rev =
        (t - (sat.epoch - kJulianOffset)) * sat.meanMotion + sat.revNumber;
    const long long revolution = std::isfinite(rev) && std::abs(rev) < 1e15
                                     ? static_cast<long long>(std::trunc(rev))
                                     : 0;
    WriteTabularPassHeader(s.lines, revolution, s.inputs.sunlitOnly);
}
