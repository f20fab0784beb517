#include "uPredictArgs.h"

#include <algorithm>
#include <cmath>

#include "uFormat.h"
#include "uPredictOptions.h"
#include "uText.h"

namespace {
std::string Range(const std::string& option, double lo, double hi) {
    return option + " must be a number from " + FormatGeneral(lo) + " to " + FormatGeneral(hi);
}


// Edits (insert, delete, replace, swap of neighbours) from a to b, for the
// "did you mean" hint.
std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::string_view WithoutDashes(std::string_view s) {
    while (!s.empty() && s.front() == '-') s.remove_prefix(1);
    return s;
}
}  // namespace

bool IsOption(std::string_view arg) { return arg.size() >= 2 && arg[0] == '-' && arg[1] == '-'; }

bool PredictOptionTakesValue(std::string_view arg) {
    return OptionTakesValue(PredictOptionTable(), TOptionGroup::kPredict, arg);
}

bool PassPredictOption(const std::vector<std::string>& args, std::size_t& i, std::vector<std::string>& rest) {
    if (args[i] == "--mode" || !PredictOptionTakesValue(args[i])) return false;
    rest.push_back(args[i]);
    if (i + 1 < args.size()) rest.push_back(args[++i]);
    return true;
}

const std::vector<std::string_view>& PredictOptions() {
    static const TOptionGroup group = TOptionGroup::kPredict;
    static const std::vector<std::string_view> names = OptionNames(PredictOptionTable(), &group);
    return names;
}

std::vector<std::string> SplitOptionValues(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const std::string& a : args) {
        const auto eq = a.find('=');
        if (IsOption(a) && eq != std::string::npos) {
            out.push_back(a.substr(0, eq));
            out.push_back(a.substr(eq + 1));
        } else {
            out.push_back(a);
        }
    }
    return out;
}

std::string UnknownOptionMessage(std::string_view typed, const std::vector<std::string_view>& known) {
    std::string message = "unknown argument '" + std::string(typed) + "'";
    const std::string_view bare = WithoutDashes(typed);
    if (bare.empty()) return message;
    std::string_view best;
    // More edits than this are no longer a slip: none for a word of one or
    // two letters, one up to five letters, two beyond.
    std::size_t bestDistance = std::min<std::size_t>(2, bare.size() / 3) + 1;
    for (std::string_view option : known) {
        const std::string_view name = WithoutDashes(option);
        const std::size_t d = EditDistance(bare, name);
        if (d < bestDistance) best = option, bestDistance = d;
    }
    // "--latitude" for "--lat": the longest option the typed word starts with.
    if (best.empty())
        for (std::string_view option : known) {
            const std::string_view name = WithoutDashes(option);
            if (name.size() >= 3 && bare.substr(0, name.size()) == name && name.size() > WithoutDashes(best).size())
                best = option;
        }
    if (!best.empty()) message += "; did you mean " + std::string(best) + "?";
    return message;
}

std::string ParsePredictArgs(const std::vector<std::string>& args, TPredictArgs& out,
                             const std::vector<std::string_view>& otherOptions) {
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
        } else if (a == "--version") {
            out.version = true;
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
        } else if (a == "--horizon") {
            if (!value(out.horizonFile) || out.horizonFile.empty()) return "--horizon needs a mask file";
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
        } else if (a == "--tz") {
            if (!value(out.zone) || out.zone.empty()) return "--tz needs a zone name like Europe/Berlin";
        } else if (a == "--name") {
            if (!value(out.siteName)) return "--name needs a value";
        } else if (a == "--start" || a == "--stop") {
            if (!value(text)) return a + " needs a date and time";
            TDateTimeArg t;
            if (!ParseDateTimeArg(text, t)) return DateTimeArgError(a, text);
            const bool start = a == "--start";
            (start ? out.start : out.stop) = t.dayNumber;
            (start ? out.startIsUtc : out.stopIsUtc) = t.zoned;
            (start ? out.haveStart : out.haveStop) = true;
        } else if (a == "--days") {
            if (!number(out.days, 0.0, 15.0, error)) return error;
            if (!(out.days > 0.0)) return "--days must be more than 0 (and at most 15)";
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
        } else if (a == "--sat") {
            if (!value(text) || TrimText(text).empty()) return "--sat needs a satellite name or catalogue number";
            out.sats.emplace_back(TrimText(text));
        } else if (a == "--list") {
            out.list = true;
        } else if (a == "--sort") {
            if (!value(text)) return "--sort needs a value: satellite or time";
            if (text != "satellite" && text != "time")
                return "--sort must be satellite or time, not '" + text + "'";
            out.byTime = text == "time";
        } else if (a == "--format") {
            if (!value(text)) return "--format needs a value: text, csv, json or ics";
            if (text == "text")
                out.format = TOutputFormat::kText;
            else if (text == "csv")
                out.format = TOutputFormat::kCsv;
            else if (text == "json")
                out.format = TOutputFormat::kJson;
            else if (text == "ics")
                out.format = TOutputFormat::kIcs;
            else
                return "--format must be text, csv, json or ics, not '" + text + "'";
        } else if (a == "--phase") {
            if (!value(text)) return "--phase needs a value: fraction or lambert";
            if (!ParsePhaseModel(text, out.phase)) return "--phase must be fraction or lambert, not '" + text + "'";
            out.havePhase = true;
        } else if (a == "--extinction") {
            if (!number(out.extinction, 0.0, kMaxExtinction, error)) return error;
        } else if (a == "--import-magnitudes") {
            if (!value(out.importMagnitudes) || out.importMagnitudes.empty())
                return "--import-magnitudes needs a file name";
        } else if (a == "--import-kind") {
            if (!value(text)) return "--import-kind needs a value: qsmag, satcat or rules";
            if (!ParseMagImportKind(text, out.importKind))
                return "--import-kind must be qsmag, satcat or rules, not '" + text + "'";
        } else if (a == "--alarm") {
            double minutes = 0.0;
            if (!number(minutes, 0.0, 1440.0, error)) return error;
            if (minutes != std::floor(minutes)) return "--alarm must be whole minutes";
            out.icsAlarm = static_cast<int>(minutes);
        } else {
            std::vector<std::string_view> known = PredictOptions();
            known.insert(known.end(), otherOptions.begin(), otherOptions.end());
            return UnknownOptionMessage(a, known);
        }
    }
    if (haveLat != haveLon) return "--lat and --lon go together";
    out.haveSite = haveLat && haveLon;
    if (haveDays && out.haveStop) return "give --stop or --days, not both";
    if (!out.zone.empty() && out.haveOffset) return "give --tz or --utc-offset, not both";
    if (out.icsAlarm >= 0 && out.format != TOutputFormat::kIcs) return "--alarm needs --format ics";
    if (out.importKind != TMagImportKind::kNone && out.importMagnitudes.empty())
        return "--import-kind needs --import-magnitudes";
    return {};
}

TMagModel PredictMagModel(const TPredictArgs& args, const TMagModel& fromOptions) {
    TMagModel m = fromOptions;
    if (args.havePhase) m.phase = args.phase;
    if (args.extinction == 0.0) m.extinction = false;
    if (args.extinction > 0.0) {
        m.extinction = true;
        m.extinctionPerAirmass = args.extinction;
    }
    return m;
}

std::string PredictUsage() { return OptionHelp(PredictOptionTable()); }
