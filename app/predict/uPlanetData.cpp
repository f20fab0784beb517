#include "uPlanetData.h"

#include <cmath>

#include "Zenora.h"
#include "uFormat.h"
#include "uText.h"
#include "uTracking.h"

namespace {
constexpr double kMinute = 1.0 / kMinutesPerDay;
constexpr double kDegreesPerMinute = 0.25;  // the sky turns a quarter degree a minute
constexpr int kMaxTransitSteps = 64;        // the walk needs a handful; a bad position must not hang it
constexpr const char* kNoTime = "  :  ";

// The body's hour angle west of the observer's meridian, degrees in
// (-180, 180], from its sub-point (the state's mode must fill it).
double HourAngle(const TSatState& state, const TObserver& observer) {
    return std::remainder(Degrees(observer.pos.lon - state.latlon.lon), 360.0);
}

// The meridian transit within [a, b), stepping by the hour angle still to
// go at the sky's rate until the step is under a minute. The first step
// always goes forward to the next transit; later ones correct either way, so
// a body that moves slower or faster than a quarter degree a minute (the
// Moon, the Sun in some seasons) lands on its transit rather than a day on.
bool Transit(TSatState state, TObserver observer, double a, double b, double& t) {
    state.mode = kFillSubPoint;
    t = a;
    for (int step = 0; step < kMaxTransitSteps; ++step) {
        ComputeBodyState(state, t, ObserverVector(t, observer), observer);
        const double h = HourAngle(state, observer);
        if (!std::isfinite(h)) return false;
        const double ahead = step == 0 ? std::fmod(360.0 - h, 360.0) : -h;
        const double minutes = ahead / kDegreesPerMinute;
        t += minutes * kMinute;
        if (t >= b) return false;
        if (std::fabs(minutes) < 1.0) return t >= a;
    }
    return false;
}

std::string TimeText(bool has, double t, double offset) {
    return has ? FormatDateTime("hh:mm", t + offset) : kNoTime;
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
    TObserver observer = in.observer;
    TSatState state{};
    state.body = in.body;
    state.mode = kFillPosition;

    const double h = in.horizon - Refraction(0.0, in.pressure, in.temperature);
    const double offset = in.utcMode ? 0.0 : observer.utcOffset;
    const double firstDay = std::floor(in.date) - offset;

    TReportLines& lines = table.lines;
    lines.push_back("  ");
    lines.push_back(in.title + std::to_string(in.days) + " days ");
    lines.push_back("  Location: " + observer.name.str() + "     Utc Offset: " +
                    FormatArgs("%0:3.1f", {observer.utcOffset * 24.0}));
    lines.push_back("  Lat: " + FormatFloat("#0.0000", Degrees(observer.pos.lat)) +
                    "    Lon: " + FormatFloat("#0.0000", Degrees(observer.pos.lon)));
    lines.push_back("  ");
    lines.push_back(moon ? "  MM/DD/Year  Rise    Mid     Set     SL%" : "  MM/DD/Year  Rise    Mid     Set");

    for (int i = 0; i <= in.days; ++i) {
        TRiseSetRow row;
        const double a = firstDay + i, b = a + 1.0;
        row.dayStart = a;
        // Whichever comes first in the day is searched first; the other is
        // searched from a minute after it.
        if (BodyElevation(state, a, observer) < h) {
            const double r = BodyRise(state, h, a, b, observer);
            if ((row.hasRise = r < b)) {
                row.rise = r;
                const double s = BodySet(state, h, r + kMinute, b, observer);
                if ((row.hasSet = s < b)) row.set = s;
            }
        } else {
            const double s = BodySet(state, h, a, b, observer);
            if ((row.hasSet = s < b)) {
                row.set = s;
                const double r = BodyRise(state, h, s + kMinute, b, observer);
                if ((row.hasRise = r < b)) row.rise = r;
            }
        }
        row.hasTransit = Transit(state, observer, a, b, row.transit);

        const std::string date = FormatDateTime("mm/dd/yyyy", a + offset);
        const std::string rise = TimeText(row.hasRise, row.rise, offset);
        const std::string mid = TimeText(row.hasTransit, row.transit, offset);
        const std::string set = TimeText(row.hasSet, row.set, offset);
        if (moon) {
            ObserverVector(a, observer);
            TVector moonPos{}, sunPos{};
            PlanetVector(kBodyMoon, moonPos, a);
            PlanetVector(kBodySun, sunPos, a);
            row.illuminated = illum_fraction(&observer.vect, &moonPos, &sunPos) * 100.0;
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
    TObserver observer = in.observer;
    table.t = in.time - (in.utcMode ? 0.0 : observer.utcOffset);
    const double gha = ObserverVector(table.t, observer);

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
        state.mode = kFillLookAngles;
        ComputeBodyState(state, table.t, gha, observer);
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
