#include "uPlanetData.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uText.h"
#include "uTracking.h"

namespace {
constexpr double kMinute = 1.0 / kMinutesPerDay;
constexpr double kDegreesPerMinute = 0.25;  // the sky turns a quarter degree a minute
constexpr int kMaxTransitSteps = 64;        // the walk needs a handful; a bad position must not hang it
// No rise, transit or set that day.
constexpr const char* kNoTime = "--:--";

// The body's hour angle west of the observer's meridian, degrees in
// (-180, 180], from its sub-point (which must be filled).
double HourAngle(const TSatState& state, const TSite& site) {
    return std::remainder(Degrees(site.geo.lon - state.latlon.lon), 360.0);
}

// The meridian transit within [a, b), stepping by the hour angle still to
// go at the sky's rate until the step is under a minute. The first step
// always goes forward to the next transit; later ones correct either way, so
// a body that moves slower or faster than a quarter degree a minute (the
// Moon, the Sun in some seasons) lands on its transit rather than a day on.
bool Transit(TSatState state, const TSite& site, double a, double b, double& t) {
    t = a;
    for (int step = 0; step < kMaxTransitSteps; ++step) {
        ComputeBodyState(state, ObserverFrame(site, t), kFillSubPoint);
        const double h = HourAngle(state, site);
        if (!std::isfinite(h)) return false;
        const double ahead = step == 0 ? std::fmod(360.0 - h, 360.0) : -h;
        const double minutes = ahead / kDegreesPerMinute;
        t += minutes * kMinute;
        if (t >= b) return false;
        if (std::fabs(minutes) < 1.0) return t >= a;
    }
    return false;
}

// Times are shown rounded to the minute, as the almanacs do.
std::string MinuteText(bool has, double t, double offset) {
    return has ? FormatDateTime("hh:mm", std::round((t + offset) * kMinutesPerDay) / kMinutesPerDay) : kNoTime;
}

constexpr double kSecond = 1.0 / kSecondsPerDay;
constexpr double kMoonRadius = 1737.4;  // km
// No altitude changes faster than this (rad a day): the sky turns 0.25 degree a minute.
constexpr double kMaxAltitudeRate = 0.3 * kDegToRad * kMinutesPerDay;
constexpr double kMinStep = 10.0 * kSecond, kMaxStep = 3600.0 * kSecond;
constexpr double kEventPrecision = 0.01 * kSecond;

// How far the Sun's centre or the Moon's upper limb stands above the horizon
// (rad, apparent place): the rise/set table's measure, >= 0 when up.
double AboveHorizon(TSatState& state, double t, const TSite& site, double horizon,
                    const THorizonMask* mask = nullptr) {
    const TFrame frame = ObserverFrame(site, t);
    ApparentBodyVector(state.body, state.pos, t);
    if (state.body == kBodyMoon) {
        const double range = Range_2vect(&state.pos, &frame.pos);
        const double lift = mask ? mask->Limit(AzimuthOf(state.pos, frame), -kHalfPi) : 0.0;
        return ElevationOf(state.pos, frame) + std::asin(kMoonRadius / range) - horizon - lift;
    }
    // The almanac's Sun is seen from the Earth's centre: its 9" of parallax
    // would move a polar sunrise by minutes.
    TVector seen;
    Add_vect(&state.pos, &frame.pos, &seen);
    const double lift = mask ? mask->Limit(AzimuthOf(seen, frame), -kHalfPi) : 0.0;
    return ElevationOf(seen, frame) - horizon - lift;
}

// With a mask the limit can jump as the azimuth turns: steps no longer than this.
constexpr double kMaskStep = 60.0 * kSecond;

// The day's first rise and first set in [from, to). Each step is no longer
// than the altitude needs to reach the horizon at the fastest rate, so only
// a dip across it shorter than kMinStep can pass unseen; crossings are then
// bisected. A crossing in the last step before `to` is the row's own.
void FindEvents(TSatState& state, const TSite& site, double horizon, const THorizonMask* mask, double from,
                double to, TRiseSetRow& row) {
    const double maxStep = mask ? kMaskStep : kMaxStep;
    double t = from, g = AboveHorizon(state, t, site, horizon, mask);
    while (t < to && !(row.hasRise && row.hasSet) && std::isfinite(g)) {
        const double next = std::min(t + std::clamp(std::fabs(g) / kMaxAltitudeRate, kMinStep, maxStep), to);
        const double gNext = AboveHorizon(state, next, site, horizon, mask);
        if ((g >= 0.0) != (gNext >= 0.0)) {
            double lo = t, hi = next;
            while (hi - lo > kEventPrecision) {
                const double mid = 0.5 * (lo + hi);
                ((AboveHorizon(state, mid, site, horizon, mask) >= 0.0) == (g >= 0.0) ? lo : hi) = mid;
            }
            const double at = 0.5 * (lo + hi);
            if (gNext >= 0.0 && !row.hasRise) row.hasRise = true, row.rise = at;
            if (gNext < 0.0 && !row.hasSet) row.hasSet = true, row.set = at;
        }
        t = next;
        g = gNext;
    }
}

struct TBodyName {
    int32_t body;
    const char* name;
};
// The table's order: the Moon's line is added last.
constexpr TBodyName kPlanetTableBodies[] = {
    {kBodySun, "Sun"},         {kBodyMercury, "Mercury"}, {kBodyVenus, "Venus"},     {kBodyMars, "Mars"},
    {kBodyJupiter, "Jupiter"}, {kBodySaturn, "Saturn"},   {kBodyUranus, "Uranus"},   {kBodyNeptune, "Neptune"},
    {kBodyPluto, "Pluto"},     {kBodyMoon, "Moon"}};
}  // namespace

TRiseSetTable RiseSetTable(const TRiseSetInputs& in) {
    TRiseSetTable table;
    const bool moon = in.body == kBodyMoon;
    const TSite& site = in.observer;
    TSatState state{};
    state.body = in.body;

    const double offset = in.utcMode ? 0.0 : site.utcOffset;
    const double firstDay = std::floor(in.date) - offset;
    constexpr double kHalfMinute = 30.0 * kSecond;

    TReportLines& lines = table.lines;
    lines.push_back("  ");
    lines.push_back(in.title + std::to_string(in.days) + " days ");
    lines.push_back("  Location: " + site.name + "     Utc Offset: " +
                    FormatArgs("%0:3.1f", {site.utcOffset * 24.0}));
    lines.push_back("  Lat: " + FormatFloat("#0.0000", Degrees(site.geo.lat)) +
                    "    Lon: " + FormatFloat("#0.0000", Degrees(site.geo.lon)));
    if (in.mask) lines.push_back(HorizonHeaderLine(*in.mask));
    lines.push_back("  ");
    lines.push_back(moon ? "  MM/DD/Year  Rise    Mid     Set     SL%" : "  MM/DD/Year  Rise    Mid     Set");

    for (int i = 0; i < in.days; ++i) {
        TRiseSetRow row;
        // Both ends from firstDay alike, so that neighbouring rows meet exactly.
        const double a = firstDay + i, b = firstDay + (i + 1);
        row.dayStart = a;
        FindEvents(state, site, in.horizon, in.mask.get(), a - kHalfMinute, b - kHalfMinute, row);
        row.hasTransit = Transit(state, site, a - kHalfMinute, b - kHalfMinute, row.transit);

        const std::string date = FormatDateTime("mm/dd/yyyy", a + offset);
        const std::string rise = MinuteText(row.hasRise, row.rise, offset);
        const std::string mid = MinuteText(row.hasTransit, row.transit, offset);
        const std::string set = MinuteText(row.hasSet, row.set, offset);
        if (moon) {
            const TFrame frame = ObserverFrame(site, a);
            TVector moonPos{}, sunPos{};
            PlanetVector(kBodyMoon, moonPos, a);
            PlanetVector(kBodySun, sunPos, a);
            row.illuminated = illum_fraction(&frame.pos, &moonPos, &sunPos) * 100.0;
            lines.push_back(FormatArgs("  %0:-10s  %1:-3s   %2:-3s   %3:-3s   %4:-3s",
                                       {date, rise, mid, set, FormatFloat("#0.0", row.illuminated)}));
        } else {
            lines.push_back(FormatArgs("  %0:-10s  %1:-3s   %2:-3s   %3:-3s", {date, rise, mid, set}));
        }
        table.rows.push_back(row);
    }
    return table;
}

TPlanetTable PlanetTable(const TPlanetInputs& in) {
    TPlanetTable table;
    table.t = in.time - (in.utcMode ? 0.0 : in.observer.utcOffset);
    const TFrame frame = ObserverFrame(in.observer, table.t);

    TReportLines& lines = table.lines;
    lines.push_back(" ");
    lines.push_back("  Planets and Moon - Epoch Date ");
    lines.push_back(" ");
    lines.push_back(FormatArgs("  Date:  %:0s %1:s",
                               {FormatDateTime("MMM dd yyyy HH:nn:ss ", in.time), in.utcMode ? "UTC" : "LOC"}));
    lines.push_back("   ");
    lines.push_back("  Name      Ra             Dec             Alt     Az");
    for (const TBodyName& body : kPlanetTableBodies) {
        TSatState state{};
        state.body = body.body;
        ComputeBodyState(state, frame, kFillLookAngles);
        TPlanetRow row;
        row.body = body.body;
        row.name = body.name;
        row.ra = state.radec.ra;
        row.dec = state.radec.dec;
        row.distance = state.radec.dist;
        row.altitude = Degrees(state.altaz.alt);
        row.azimuth = Degrees(state.altaz.az);
        // The library's texts live in one buffer per thread: copy each at once.
        const std::string ra = Conv_to_str_hrs(true, 1, row.ra);
        const std::string dec = Conv_to_str_deg(true, 1, row.dec);
        lines.push_back(FormatArgs("  %0:-9s %1:12s  %2:12s %3:7s %4:7s",
                                   {row.name, ra, dec, FormatFloat("#0.00", row.altitude),
                                    FormatFloat("##0.00", row.azimuth)}));
        table.rows.push_back(row);
    }
    return table;
}
