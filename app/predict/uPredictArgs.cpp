#include "uPredictArgs.h"

#include <cmath>

#include "uFormat.h"
#include "uText.h"

namespace {
bool ParseDigits(std::string_view s, int& value) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    int32_t v = 0;
    if (!ParseInteger(s, v)) return false;
    value = v;
    return true;
}

std::string Range(const std::string& option, double lo, double hi) {
    return option + " must be a number from " + FormatGeneral(lo) + " to " + FormatGeneral(hi);
}
}  // namespace

bool ParseArgNumber(std::string_view text, double& value) {
    return !text.empty() && TrimText(text).size() == text.size() && ParseNumber(text, value);
}

bool ParseDateTimeArg(std::string_view text, double& dayNumber) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    if (!ParseDigits(text.substr(0, 4), year) || !ParseDigits(text.substr(5, 2), month) ||
        !ParseDigits(text.substr(8, 2), day))
        return false;
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
        if (rest[0] != ' ' && rest[0] != 'T') return false;
        rest.remove_prefix(1);
        if (rest.size() != 5 && rest.size() != 8) return false;
        if (rest[2] != ':' || !ParseDigits(rest.substr(0, 2), hour) ||
            !ParseDigits(rest.substr(3, 2), minute))
            return false;
        if (rest.size() == 8 && (rest[5] != ':' || !ParseDigits(rest.substr(6, 2), second)))
            return false;
    }
    return TryEncodeDayNumber(year, month, day, hour, minute, second, 0, &dayNumber);
}

bool IsOption(std::string_view arg) { return arg.size() >= 2 && arg[0] == '-' && arg[1] == '-'; }

bool PredictOptionTakesValue(std::string_view arg) {
    for (std::string_view o : {"--mode", "--tle", "--data", "--lat", "--lon", "--height", "--utc-offset", "--name",
                               "--start", "--stop", "--days", "--min-elev", "--sun-alt", "--min-revs", "--step",
                               "--threads"})
        if (arg == o) return true;
    return false;
}

std::string ParsePredictArgs(const std::vector<std::string>& args, TPredictArgs& out) {
    bool haveLat = false, haveLon = false, haveDays = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) -> bool {
            if (i + 1 >= args.size() || IsOption(args[i + 1])) return false;
            v = args[++i];
            return true;
        };
        auto number = [&](double& v, double lo, double hi, std::string& error) -> bool {
            std::string text;
            if (!value(text)) {
                error = a + " needs a value";
                return false;
            }
            if (!ParseArgNumber(text, v) || v < lo || v > hi) {
                error = Range(a, lo, hi);
                return false;
            }
            return true;
        };
        std::string error;
        std::string text;
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--mode") {
            if (!value(text)) return "--mode needs a value: line or table";
            if (text == "line")
                out.table = false;
            else if (text == "table")
                out.table = true;
            else
                return "--mode must be line or table, not '" + text + "'";
        } else if (a == "--tle") {
            if (!value(out.tleFile) || out.tleFile.empty()) return "--tle needs a file name";
        } else if (a == "--data") {
            if (!value(out.dataDir) || out.dataDir.empty()) return "--data needs a folder";
        } else if (a == "--lat") {
            if (!number(out.latitude, -90.0, 90.0, error)) return error;
            haveLat = true;
        } else if (a == "--lon") {
            if (!number(out.longitude, -180.0, 180.0, error)) return error;
            haveLon = true;
        } else if (a == "--height") {
            if (!number(out.heightM, -500.0, 10000.0, error)) return error;
        } else if (a == "--utc-offset") {
            if (!number(out.offsetHours, -14.0, 14.0, error)) return error;
            out.haveOffset = true;
        } else if (a == "--name") {
            if (!value(out.siteName)) return "--name needs a value";
        } else if (a == "--start" || a == "--stop") {
            if (!value(text)) return a + " needs a date and time";
            double t = 0.0;
            if (!ParseDateTimeArg(text, t))
                return a + " must be a date and time like \"2018-01-05 18:00:00\", not '" + text +
                       "'";
            (a == "--start" ? out.start : out.stop) = t;
            (a == "--start" ? out.haveStart : out.haveStop) = true;
        } else if (a == "--days") {
            if (!number(out.days, 0.0, 15.0, error)) return error;
            haveDays = true;
        } else if (a == "--utc") {
            out.controls.utcMode = true;
        } else if (a == "--min-elev") {
            if (!number(out.controls.satAlt, 0.0, 45.0, error)) return error;
        } else if (a == "--sun-alt") {
            if (!number(out.controls.sunAlt, -18.0, 0.0, error)) return error;
        } else if (a == "--min-revs") {
            if (!number(out.controls.revs, 2.0, 18.0, error)) return error;
        } else if (a == "--step") {
            double step = 0.0;
            if (!number(step, 10.0, 300.0, error)) return error;
            if (std::fmod(step, 10.0) != 0.0) return "--step must be a multiple of 10 seconds";
            out.controls.steps = static_cast<int>(step);
        } else if (a == "--all") {
            out.controls.sunlitOnly = false;
        } else if (a == "--day-night") {
            out.controls.dayNight = true;
        } else if (a == "--threads") {
            double n = 0.0;
            if (!number(n, 0.0, 1024.0, error)) return error;
            if (n != std::floor(n)) return "--threads must be a whole number";
            out.threads = static_cast<unsigned>(n);
        } else {
            return "unknown argument '" + a + "'";
        }
    }
    if (haveLat != haveLon) return "--lat and --lon go together";
    out.haveSite = haveLat && haveLon;
    if (haveDays && out.haveStop) return "give --stop or --days, not both";
    return {};
}

std::string PredictUsage() {
    return R"(Usage: orbisk-predict [OPTION]...
Prints the visible passes of the selected satellites of data/MainSat.bin
(or of every set of an element file) over the observer, as a line report
(one line per pass) or a tabular report (one row per time step).

  --mode line|table    report kind (default line)
  --tle FILE           search every element set of FILE instead of MainSat.bin
                       (two-line or three-line text, or OMM as CSV, JSON or XML)
  --data DIR           data folder holding MainSat.bin and Observer.bin
                       (default: the data folder beside the program)
  --lat DEG --lon DEG  observer latitude and longitude (east positive);
                       default: the observer of Observer.bin
  --height M           observer height above the ellipsoid in metres (0)
  --name TEXT          observer name for --lat/--lon ("Command line")
  --utc-offset HOURS   observer's UTC offset (default: Observer.bin's, or 0)
  --start "YYYY-MM-DD HH:MM:SS"  search start (default now)
  --stop "YYYY-MM-DD HH:MM:SS"   search stop, at most 15 days after the start
  --days N             length of the search instead of --stop (default 3)
  --utc                read and print times in UTC (default: the observer's
                       local time, UTC plus its offset)
  --min-elev DEG       minimum satellite elevation, 0 to 45 (10)
  --sun-alt DEG        Sun altitude limit of darkness, -18 to 0 (-6)
  --min-revs N         search satellites of more than N revolutions a day,
                       2 to 18 (13); 20 or more are never searched
  --step S             tabular step in seconds, 10 to 300 by 10 (60)
  --all                list whole passes, not only their sunlit part
  --day-night          search day and night, not only darkness
  --threads N          worker threads (default: one per core)
  --help               show this help

Exit status: 0 report printed, 1 data could not be read, 2 bad arguments
or period.
)";
}
