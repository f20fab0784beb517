#include "uPredictOptions.h"

#include <algorithm>

namespace {
constexpr std::size_t kHelpColumn = 23;
}  // namespace

const std::vector<TOptionInfo>& PredictOptionTable() {
    static const std::vector<TOptionInfo> table = {
        {"", "", "Usage: orbisk-predict [OPTION]...\n"
         "Prints the visible passes of the selected satellites of data/MainSat.bin\n"
         "(or of every set of an element file) over the observer, as a line report\n"
         "(one line per pass) or a tabular report (one row per time step).\n"
         "\n", "", TOptionGroup::kPredict},
        {"--mode", "line|table",
         "report kind (default line)",
         "", TOptionGroup::kPredict},
        {"--tle", "FILE",
         "search every element set of FILE instead of MainSat.bin\n"
         "(two-line or three-line text, or OMM as CSV, JSON or XML)",
         "@file", TOptionGroup::kPredict},
        {"--data", "DIR",
         "data folder holding MainSat.bin and Observer.bin\n"
         "(default: the data folder beside the program)",
         "@dir", TOptionGroup::kPredict},
        {"--sat", "NAME|NUMBER",
         "search only this satellite of the catalogue or element\n"
         "file (a catalogue number, or a name: whole, or its\n"
         "first words); may be given again for more",
         "", TOptionGroup::kPredict},
        {"--list", "",
         "list the satellites of the catalogue or element file\n"
         "and stop",
         "", TOptionGroup::kPredict},
        {"--lat", "DEG",
         "",
         "", TOptionGroup::kPredict},
        {"--lon", "DEG",
         "observer latitude and longitude (east positive);\n"
         "default: the observer of Observer.bin",
         "", TOptionGroup::kPredict},
        {"--height", "M",
         "observer height above the ellipsoid in metres (0)",
         "", TOptionGroup::kPredict},
        {"--name", "TEXT",
         "observer name for --lat/--lon (\"Command line\")",
         "", TOptionGroup::kPredict},
        {"--tz", "ZONE",
         "the observer's time zone, such as Europe/Berlin (from\n"
         "the system's time-zone database, daylight saving\n"
         "included): local times are that zone's",
         "@zone", TOptionGroup::kPredict},
        {"--utc-offset", "HOURS",
         "observer's UTC offset instead (default: Observer.bin's,\n"
         "or 0 with --lat/--lon)",
         "", TOptionGroup::kPredict},
        {"--start", "DATE",
         "search start (default now): \"YYYY-MM-DD HH:MM:SS\",\n"
         "\"YYYY-MM-DDTHH:MM\" and the like; with a zone (\"Z\",\n"
         "\"+01:00\") it is that moment, else a local time\n"
         "(UTC with --utc)",
         "", TOptionGroup::kPredict},
        {"--stop", "DATE",
         "search stop, at most 15 days after the start",
         "", TOptionGroup::kPredict},
        {"--days", "N",
         "length of the search instead of --stop, more than 0\n"
         "and at most 15 (default 3)",
         "", TOptionGroup::kPredict},
        {"--utc", "",
         "read and print times in UTC (default: the observer's\n"
         "local time, UTC plus its offset)",
         "", TOptionGroup::kPredict},
        {"--min-elev", "DEG",
         "minimum satellite elevation, 0 to 45 (10)",
         "", TOptionGroup::kPredict},
        {"--horizon", "FILE",
         "a horizon mask: \"az alt\" lines in degrees ('#'\n"
         "comments, \"# floor: DEG\"), or \"az,alt\" rows in a .csv\n"
         "file; passes are listed where they clear it (the\n"
         "minimum elevation stays the floor)",
         "@file", TOptionGroup::kPredict},
        {"--sun-alt", "DEG",
         "Sun altitude limit of darkness, -18 to 0 (-6)",
         "", TOptionGroup::kPredict},
        {"--min-revs", "N",
         "search satellites of more than N revolutions a day,\n"
         "2 to 18 (13); 20 or more are never searched",
         "", TOptionGroup::kPredict},
        {"--step", "S",
         "tabular step in seconds, 10 to 300 by 10 (60)",
         "", TOptionGroup::kPredict},
        {"--all", "",
         "list whole passes, not only their sunlit part",
         "", TOptionGroup::kPredict},
        {"--day-night", "",
         "search day and night, not only darkness",
         "", TOptionGroup::kPredict},
        {"--sort", "satellite|time",
         "passes grouped by satellite (default), or the\n"
         "passes of all satellites in time order",
         "satellite time", TOptionGroup::kPredict},
        {"--format", "text|csv|json|ics",
         "the report (default); or one record per pass,\n"
         "row, flare, transit or path point, as CSV with a header\n"
         "row or as JSON, times in ISO 8601 UTC; or ics: a\n"
         "calendar (iCalendar) with one event per pass, flare\n"
         "or transit (line, flares and transit modes)",
         "text csv json ics", TOptionGroup::kPredict},
        {"--alarm", "MIN",
         "with --format ics: a reminder MIN minutes before each\n"
         "event, 0 to 1440",
         "", TOptionGroup::kPredict},
        {"--phase", "fraction|lambert",
         "how brightness follows the phase: in proportion\n"
         "to the illuminated fraction (the default) or as a\n"
         "diffuse (Lambertian) sphere",
         "fraction lambert", TOptionGroup::kPredict},
        {"--extinction", "K",
         "dim magnitudes by K per airmass (Kasten-Young), 0 to\n"
         "2.55 (0.2 for a clear rural sky); 0 turns it off\n"
         "(default: the options file's, off)",
         "", TOptionGroup::kPredict},
        {"--import-magnitudes", "FILE",
         "merge the standard magnitudes of FILE into the data\n"
         "folder's Mag.dat, print what was added, updated and\n"
         "skipped, and stop: a qs.mag list (full-phase values,\n"
         "converted to half phase), SATCAT CSV (estimates from\n"
         "the RCS column) or an element file (the family name\n"
         "rules); the user's own values are never replaced",
         "@file", TOptionGroup::kPredict},
        {"--import-kind", "qsmag|satcat|rules",
         "what FILE is (default: told from its text)",
         "qsmag satcat rules", TOptionGroup::kPredict},
        {"--threads", "N",
         "worker threads (default: one per core)",
         "", TOptionGroup::kPredict},
        {"--help", "",
         "show this help",
         "", TOptionGroup::kPredict},
        {"--version", "",
         "show the version",
         "", TOptionGroup::kPredict},
        {"", "", "\n"
         "Options take their value as the next argument or after '=' (--lat=52.5).\n"
         "The bundled element sets are of January 2018: search near 2018-01-22, or\n"
         "get fresh elements (see the README).\n"
         "\n"
         "Exit status: 0 report printed (also when nothing was found), 1 data could\n"
         "not be read, a file not written or the search failed, 2 bad arguments or\n"
         "period, 130 stopped with Ctrl+C.\n"
         "\n", "", TOptionGroup::kPredict},
        {"", "", "Flares, transits and ground paths:\n", "", TOptionGroup::kSearchModes},
        {"--mode", "flares",
         "Iridium flares of data/IridSat.bin (with --tle: the\n"
         "Iridium-named sets of FILE); minimum elevation 10 and\n"
         "Sun limit -1 degrees are fixed",
         "", TOptionGroup::kSearchModes},
        {"--day-flares", "",
         "search flares by day instead of by night",
         "", TOptionGroup::kSearchModes},
        {"--mag", "M",
         "faintest flare listed, -6 to 2 (0; -5 with --day-flares)",
         "", TOptionGroup::kSearchModes},
        {"--mode", "transit",
         "closest approaches of the satellites to a target",
         "", TOptionGroup::kSearchModes},
        {"--mode", "path",
         "ground path from which a satellite is seen in front\n"
         "of the target",
         "", TOptionGroup::kSearchModes},
        {"--target", "T",
         "Sun, Moon, Mercury, Venus, Mars, Jupiter, Saturn,\n"
         "Uranus, Neptune, Pluto, radec:HHMMSS,+DDMMSS or\n"
         "star:NAME (a name of data/star.dat) (Sun);\n"
         "radec: coordinates are of date (the equator and\n"
         "equinox of the search's dates), not J2000",
         "Sun Moon Mercury Venus Mars Jupiter Saturn Uranus Neptune Pluto radec: star:", TOptionGroup::kSearchModes},
        {"--sep", "MIN",
         "transits closer than MIN arc minutes, 5 to 300 (30)",
         "", TOptionGroup::kSearchModes},
        {"--track", "D",
         "list a path within D of the observer, 10 to 160 km\n"
         "(100 mi.) (25)",
         "", TOptionGroup::kSearchModes},
        {"--kml", "FILE",
         "also write the flare or path tracks as KML to FILE",
         "@file", TOptionGroup::kSearchModes},
        {"", "", "\n", "", TOptionGroup::kSearchModes},
        {"", "", "Analysis of a whole element file (--tle FILE) at the moment --start:\n", "", TOptionGroup::kAnalysisModes},
        {"--mode", "visible",
         "the satellites up now within the limits below, with\n"
         "their magnitude (standard magnitudes from data/Mag.dat,\n"
         "10 for a satellite it does not list)",
         "", TOptionGroup::kAnalysisModes},
        {"--mode", "decayed",
         "the satellites whose estimated decay date has passed",
         "", TOptionGroup::kAnalysisModes},
        {"--mode", "analysis-transit",
         "transits of --target (see above) within --span",
         "", TOptionGroup::kAnalysisModes},
        {"--revs", "LOW,HIGH",
         "revolutions a day, 1 to 18 (14,18); limits exclusive",
         "", TOptionGroup::kAnalysisModes},
        {"--az", "LOW,HIGH",
         "azimuth, 0 to 360 (0,360)",
         "", TOptionGroup::kAnalysisModes},
        {"--alt", "LOW,HIGH",
         "elevation, 0 to 90 (10,90)",
         "", TOptionGroup::kAnalysisModes},
        {"--span", "MIN",
         "analysis-transit: minutes after --start, 5 to 1495 (90)",
         "", TOptionGroup::kAnalysisModes},
        {"--sep", "MIN",
         "analysis-transit: arc minutes, 15 to 300 (15)",
         "", TOptionGroup::kAnalysisModes},
        {"--target-alt", "DEG",
         "analysis-transit: least elevation of target and\n"
         "satellite, 5 to 90 (10)",
         "", TOptionGroup::kAnalysisModes},
        {"--day-night", "",
         "analysis-transit: daylight transits of the Moon,\n"
         "planets and fixed targets too",
         "", TOptionGroup::kAnalysisModes},
        {"", "", "\n", "", TOptionGroup::kAnalysisModes},
        {"", "", "Radio frequencies through a pass:\n", "", TOptionGroup::kDopplerMode},
        {"--mode", "doppler",
         "for each pass of the --sat satellites (all passes, day\n"
         "and night, from 0 degrees unless --min-elev is given):\n"
         "time, azimuth, elevation, range, range rate (positive\n"
         "receding) and the frequencies at the radio, at AOS,\n"
         "the highest point and LOS",
         "", TOptionGroup::kDopplerMode},
        {"--freq-down", "MHZ",
         "the downlink as the satellite sends it",
         "", TOptionGroup::kDopplerMode},
        {"--freq-up", "MHZ",
         "the uplink as the satellite is to receive it",
         "", TOptionGroup::kDopplerMode},
        {"--step", "S",
         "every S seconds of the first pass instead, 1 to 600",
         "", TOptionGroup::kDopplerMode},
        {"--rotator", "LO-HI",
         "add the rotator's planned azimuth and elevation for an\n"
         "azimuth range of 0-360, -180-180, 0-450 (stop at\n"
         "north) or any LO-HI of 360 to 540 degrees",
         "0-360 -180-180 0-450", TOptionGroup::kDopplerMode},
        {"--flip", "DEG",
         "the rotator's elevation reaches 180: passes from DEG\n"
         "up (0 to 90) are flipped over the zenith",
         "", TOptionGroup::kDopplerMode},
    };
    return table;
}

std::string OptionHelp(const std::vector<TOptionInfo>& table) {
    std::string text;
    std::string left;  // the option column so far
    for (const TOptionInfo& row : table) {
        if (row.name.empty()) {
            text += row.help;
            continue;
        }
        if (!left.empty()) left += ' ';
        left.append(row.name);
        if (!row.argument.empty()) left.append(" ").append(row.argument);
        if (row.help.empty()) continue;
        std::string line = "  ";
        line += left;
        line.append(std::max<std::size_t>(2, kHelpColumn > line.size() ? kHelpColumn - line.size() : 0), ' ');
        std::string_view help = row.help;
        for (bool first = true; !help.empty() || first; first = false) {
            const std::size_t end = std::min(help.find('\n'), help.size());
            if (!first) line = std::string(kHelpColumn, ' ');
            text += line;
            text.append(help.substr(0, end)).append("\n");
            help.remove_prefix(std::min(end + 1, help.size()));
        }
        left.clear();
    }
    return text;
}

std::vector<std::string_view> OptionNames(const std::vector<TOptionInfo>& table, const TOptionGroup* group) {
    std::vector<std::string_view> names;
    for (const TOptionInfo& row : table) {
        if (row.name.empty() || (group && row.group != *group)) continue;
        if (std::find(names.begin(), names.end(), row.name) == names.end()) names.push_back(row.name);
    }
    return names;
}

bool OptionTakesValue(const std::vector<TOptionInfo>& table, TOptionGroup group, std::string_view name) {
    return std::any_of(table.begin(), table.end(), [&](const TOptionInfo& row) {
        return row.group == group && row.name == name && !row.argument.empty();
    });
}

std::string CompletionWords(const std::vector<TOptionInfo>& table, std::string_view name) {
    std::string words;
    const auto add = [&](std::string_view w) {
        if (w.empty()) return;
        if (!words.empty()) words += ' ';
        words.append(w);
    };
    for (const TOptionInfo& row : table) {
        if (row.name != name) continue;
        if (name != "--mode") {
            if (words.empty()) add(row.words);
            continue;
        }
        for (std::string_view modes = row.argument; !modes.empty();) {
            const std::size_t bar = std::min(modes.find('|'), modes.size());
            add(modes.substr(0, bar));
            modes.remove_prefix(std::min(bar + 1, modes.size()));
        }
    }
    return words;
}
