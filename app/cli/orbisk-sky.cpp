// The Sun and the Moon for an observer at one moment, and the tables of the
// Sun, Moon and planet data window: rise, transit and set for a run of
// days, and the positions of the Sun, the Moon and the planets.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Zenora.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uPlanetData.h"
#include "uPredictArgs.h"
#include "uReport.h"
#include "uToolOptions.h"
#include "uTracking.h"

namespace {

enum class TSkyTable { kNow, kSun, kMoon, kPlanets };

struct TSkyArgs {
    TSkyTable table = TSkyTable::kNow;
    int days = 10;
    bool haveHorizon = false;
    double horizon = kHorizonNormal;
    std::string maskFile;  // --horizon with any other value: a horizon mask file
};

// The observer and time options (kSkyObserver) go to orbisk-predict's
// parser; the rest are ours.
bool Shared(std::string_view a) {
    return a == "-h" || OptionInGroup(SkyOptionTable(), TOptionGroup::kSkyObserver, a);
}

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "orbisk-sky: %s\n", PrintableText(message).c_str());
    if (code == 2) std::fprintf(stderr, "Try 'orbisk-sky --help'.\n");
    return code;
}

std::string ParseSkyArgs(const std::vector<std::string>& args, TSkyArgs& s, TPredictArgs& a) {
    std::vector<std::string> shared;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& o = args[i];
        const bool hasValue = i + 1 < args.size() && !IsOption(args[i + 1]);
        if (Shared(o)) {
            shared.push_back(o);
            if (OptionTakesValue(SkyOptionTable(), TOptionGroup::kSkyObserver, o) && hasValue)
                shared.push_back(args[++i]);
        } else if (o == "--time") {
            if (!hasValue) return "--time needs a date and time";
            TDateTimeArg t;
            if (!ParseDateTimeArg(args[++i], t)) return DateTimeArgError(o, args[i]);
            a.haveStart = true;
            a.start = t.dayNumber;
            a.startIsUtc = t.zoned;
        } else if (o == "--table") {
            if (!hasValue) return "--table needs a value: sun, moon or planets";
            const std::string& v = args[++i];
            if (v == "sun") s.table = TSkyTable::kSun;
            else if (v == "moon") s.table = TSkyTable::kMoon;
            else if (v == "planets") s.table = TSkyTable::kPlanets;
            else return "--table must be sun, moon or planets, not '" + v + "'";
        } else if (o == "--days") {
            double days = 0.0;
            if (!hasValue || !ParseArgNumber(args[++i], days) || days < 1 || days > 60 || days != std::floor(days))
                return "--days must be a whole number from 1 to 60";
            s.days = static_cast<int>(days);
        } else if (o == "--horizon") {
            if (!hasValue || args[i + 1].empty())
                return "--horizon needs a value: normal, civil, nautical, astronomical or a mask file";
            const std::string& v = args[++i];
            bool twilight = true;
            if (v == "normal") s.horizon = kHorizonNormal;
            else if (v == "civil") s.horizon = kHorizonCivil;
            else if (v == "nautical") s.horizon = kHorizonNautical;
            else if (v == "astronomical") s.horizon = kHorizonAstronomical;
            else twilight = false, s.maskFile = v;
            s.haveHorizon = s.haveHorizon || twilight;
        } else {
            return UnknownOptionMessage(o, OptionNames(SkyOptionTable()));
        }
    }
    // Keep what --time set: the shared parser knows nothing of it.
    const bool haveStart = a.haveStart, startIsUtc = a.startIsUtc;
    const double start = a.start;
    if (std::string error = ParsePredictArgs(shared, a); !error.empty()) return error;
    a.haveStart = haveStart, a.startIsUtc = startIsUtc, a.start = start;
    if (s.haveHorizon && s.table != TSkyTable::kSun) return "--horizon needs --table sun";
    return {};
}


void Print(const TReportLines& lines) {
    for (const std::string& line : lines) std::printf("%s\n", Latin1ToUtf8(PrintableText(line)).c_str());
}

// The Sun and the Moon now, from the planet table's records.
TReportLines SunAndMoon(const TPlanetTable& table, const TObserver& observer, bool utc, double shown,
                        const THorizonMask* mask) {
    TReportLines lines;
    lines.push_back("  Observer: " + observer.name.str() + "  Lat: " + FormatFloat("#0.0000", Degrees(observer.pos.lat)) +
                    "  Lon: " + FormatFloat("#0.0000", Degrees(observer.pos.lon)) +
                    "  Height: " + FormatFloat("0", observer.pos.height * 1000.0) + " m");
    lines.push_back("  Time: " + FormatDateTime("yyyy-mm-dd HH:nn:ss", shown) +
                    (utc ? " UTC" : " Local, " + UtcOffsetText(observer.utcOffset)));
    if (mask) lines.push_back(HorizonHeaderLine(*mask));
    lines.push_back(FormatArgs("  %0:-6s%1:-15s%2:-15s%3:9s %4:9s %5:16s",
                               {"Body", "RA", "Dec", "Alt", "Az", "Distance"}));
    for (const TPlanetRow& row : table.rows) {
        if (row.body != kBodySun && row.body != kBodyMoon) continue;
        const std::string ra = Conv_to_str_hrs(true, 1, row.ra);
        const std::string dec = Conv_to_str_deg(true, 0, row.dec);
        lines.push_back(FormatArgs("  %0:-6s%1:-15s%2:-15s%3:8.3f%4:s %5:8.3f%4:s %6:13.0n km",
                                   {row.name, ra, dec, row.altitude, std::string(1, kDegree), row.azimuth,
                                    row.distance}));
        // Up, but behind an obstacle.
        if (mask && row.altitude >= 0.0 && row.altitude < mask->Limit(row.azimuth * kDegToRad, -kHalfPi) * kRadToDeg)
            lines.back() += "  hidden";
    }
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = SplitOptionValues(std::vector<std::string>(argv + 1, argv + argc));
    TSkyArgs s;
    TPredictArgs a;
    if (const std::string error = ParseSkyArgs(args, s, a); !error.empty()) return Fail(2, error);
    if (a.help) {
        std::fputs(OptionHelp(SkyOptionTable()).c_str(), stdout);
        return 0;
    }
    if (a.version) {
        std::printf("%s\n", VersionLine("orbisk-sky").c_str());
        return 0;
    }
    cli::TSetup setup;
    std::vector<std::string> warnings;
    if (const std::string error = cli::Setup(a, setup, &warnings); !error.empty()) return Fail(2, error);
    for (const std::string& w : warnings) Fail(0, "warning: " + w);
    TObserver& observer = setup.observer;
    THorizonHandle mask;
    if (!s.maskFile.empty()) {
        std::string note;
        if (const TStatus loaded = LoadHorizonMask(s.maskFile, HorizonFormatForName(s.maskFile), mask, &note); !loaded)
            return Fail(1, loaded.message);
        if (!note.empty()) Fail(0, "warning: " + note);
    }

    double utc = 0.0;
    if (std::string error = cli::StartAndZone(a, observer, NowDayNumber(), utc); !error.empty()) return Fail(2, error);
    const bool utcMode = a.controls.utcMode;
    const double shown = std::floor((utc + (utcMode ? 0.0 : observer.utcOffset)) * 86400.0 + 0.5) / 86400.0;

    if (s.table == TSkyTable::kSun || s.table == TSkyTable::kMoon) {
        TRiseSetInputs in;
        const bool moon = s.table == TSkyTable::kMoon;
        in.body = moon ? kBodyMoon : kBodySun;
        in.title = moon ? "  Moon Rise/Set " : "  Sun Rise/Set ";
        in.horizon = moon ? kHorizonMoon : s.horizon;
        in.date = shown;
        in.days = s.days;
        in.utcMode = utcMode;
        in.observer = observer;
        in.mask = mask;
        Print(RiseSetTable(in).lines);
    } else {
        TPlanetInputs in;
        in.time = shown;
        in.utcMode = utcMode;
        in.observer = observer;
        const TPlanetTable table = PlanetTable(in);
        Print(s.table == TSkyTable::kPlanets ? table.lines : SunAndMoon(table, observer, utcMode, shown, mask.get()));
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
