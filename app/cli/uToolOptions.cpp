#include "uToolOptions.h"

#include <algorithm>

namespace {
constexpr TOptionGroup kSky = TOptionGroup::kSky, kSkyObserver = TOptionGroup::kSkyObserver;
constexpr TOptionGroup kRender = TOptionGroup::kRender, kRenderObserver = TOptionGroup::kRenderObserver;
}  // namespace

const std::vector<TOptionInfo>& SkyOptionTable() {
    static const std::vector<TOptionInfo> table = {
        {"", "", "Usage: orbisk-sky [OPTION]...\n"
         "Prints where the Sun and the Moon are for the observer at one moment (right\n"
         "ascension and declination of date and altitude and azimuth in degrees, all\n"
         "as seen from the observer, the Moon's parallax included), or one of the\n"
         "tables of the Sun, Moon and planet data window.\n"
         "\n", "", kSky},
        {"--table", "sun|moon",
         "rise, transit (\"Mid\") and set times of the Sun or the\n"
         "Moon, one row a day from the date of --time (the Moon's\n"
         "with its illuminated percent, \"SL%\")",
         "sun moon planets", kSky},
        {"--table", "planets",
         "right ascension, declination, altitude and azimuth of\n"
         "the Sun, the planets and the Moon",
         "", kSky},
        {"--days", "N", "rows of the rise/set table after the first, 1 to 60 (10)", "", kSky},
        {"--horizon", "H",
         "the Sun's horizon for --table sun: normal (the\n"
         "default: the upper edge at the horizon, 34' of\n"
         "refraction), civil, nautical or astronomical (the\n"
         "centre 6, 12 or 18 degrees below it)",
         "@file", kSky},
        {"--horizon", "FILE",
         "any other value: a horizon mask (\"az alt\" lines in\n"
         "degrees, '#' comments, \"# floor: DEG\"; \"az,alt\" rows\n"
         "in a .csv file). Rise and set are then where the body\n"
         "clears it, and the Sun and the Moon up but behind it\n"
         "are marked \"hidden\". May be given with a twilight\n"
         "word (name a file called \"civil\" as ./civil)",
         "", kSky},
        {"--time", "DATE",
         "the moment (default now): \"YYYY-MM-DD HH:MM:SS\",\n"
         "\"YYYY-MM-DDTHH:MM\" and the like; with a zone (\"Z\",\n"
         "\"+01:00\") it is that moment, else a local time (UTC\n"
         "with --utc)",
         "", kSky},
        {"--utc", "",
         "read and print times in UTC (default: the observer's\n"
         "local time)",
         "", kSkyObserver},
        {"--data", "DIR",
         "data folder holding Observer.bin and Options.bin\n"
         "(default: the data folder beside the program)",
         "@dir", kSkyObserver},
        {"--lat", "DEG", "", "", kSkyObserver},
        {"--lon", "DEG",
         "observer latitude and longitude (east positive);\n"
         "default: the observer of Observer.bin",
         "", kSkyObserver},
        {"--height", "M", "observer height above the ellipsoid in metres (0)", "", kSkyObserver},
        {"--name", "TEXT", "observer name for --lat/--lon (\"Command line\")", "", kSkyObserver},
        {"--tz", "ZONE", "the observer's time zone, such as Europe/Berlin", "@zone", kSkyObserver},
        {"--utc-offset", "HOURS", "the observer's UTC offset instead", "", kSkyObserver},
        {"--help", "", "show this help", "", kSkyObserver},
        {"--version", "", "show the version", "", kSkyObserver},
        {"", "", "\n"
         "Options take their value as the next argument or after '=' (--lat=52.5).\n"
         "\n"
         "Exit status: 0 printed, 1 the mask file cannot be read, 2 bad arguments.\n", "", kSky},
    };
    return table;
}

const std::vector<TOptionInfo>& RenderOptionTable() {
    static const std::vector<TOptionInfo> table = {
        {"", "", "Usage: orbisk-render --out FILE.png [OPTION]...\n"
         "Draws one frame of the map, sky or globe view, as the program shows it, to a\n"
         "PNG file. Needs no display.\n"
         "\n", "", kRender},
        {"--out", "FILE.png", "the picture to write (required)", "@file", kRender},
        {"--view", "map|sky|globe", "the view (default: the view of Options.bin)", "map sky globe", kRender},
        {"--time", "\"YYYY-MM-DD HH:MM:SS\"", "the moment, UTC (default now)", "", kRender},
        {"--size", "WxH", "picture size in pixels (default 1280x720)", "", kRender},
        {"--data", "DIR",
         "data folder holding MainSat.bin, Observer.bin and\n"
         "Options.bin (default: the data folder beside the program)",
         "@dir", kRenderObserver},
        {"--tle", "FILE",
         "the satellites of FILE instead of MainSat.bin (the\n"
         "first 15 are drawn)",
         "@file", kRenderObserver},
        {"--lat", "DEG", "", "", kRenderObserver},
        {"--lon", "DEG",
         "observer latitude and longitude (east positive);\n"
         "default: the observer of Observer.bin",
         "", kRenderObserver},
        {"--height", "M", "observer height above the ellipsoid in metres (0)", "", kRenderObserver},
        {"--name", "TEXT", "observer name for --lat/--lon (\"Command line\")", "", kRenderObserver},
        {"--first", "TEXT",
         "catalogue number or name of the first satellite (the\n"
         "one with ground track and visibility circle)",
         "", kRender},
        {"", "", "Globe:\n", "", kRender},
        {"--globe-centre", "LAT,LON", "point at the centre, degrees (default: the observer)", "", kRender},
        {"--globe-zoom", "V",
         "picture height over globe radius, 2.2 to 100\n"
         "(default: Options.bin's, pi)",
         "", kRender},
        {"", "", "Sky:\n", "", kRender},
        {"--sky-centre", "ALT,AZ",
         "altitude and azimuth of the chart centre, degrees\n"
         "(default: Options.bin's)",
         "", kRender},
        {"--sky-radec", "RA,DEC",
         "right ascension (hours) and declination (degrees) of\n"
         "the chart centre instead",
         "", kRender},
        {"--field", "DEG", "vertical field of the chart, 0.1 to 170", "", kRender},
        {"--zenith", "", "the whole sky around the zenith", "", kRender},
        {"--follow", "", "centre on the first satellite", "", kRender},
        // A leading blank: these long lines stand a column further off their text.
        {"--orientation", "radec|altaz", " north up, or the horizon level", "radec altaz", kRender},
        {"--mirror", "none|inverted|ew|ns", " chart orientation", "none inverted ew ns", kRender},
        {"--horizon", "FILE",
         "a horizon mask (\"az alt\" lines in degrees, or \"az,alt\"\n"
         "rows of a .csv file), a band in the altaz orientation",
         "@file", kRender},
        {"", "", "Layers (comma-separated names):\n", "", kRender},
        {"--show", "LIST,", "", "", kRender},
        {"--hide", "LIST",
         "  cities, home, grid, track, satvis, locvis,\n"
         "labels, numbers, magnitudes, skysats, constellations,\n"
         "constnames, starnames, horizon (stars down to the\n"
         "horizon only); default: the menu states of Options.bin",
         "", kRender},
        {"--help", "", "show this help", "", kRender},
        {"--version", "", "show the version", "", kRender},
        {"", "", "\n"
         "Options take their value as the next argument or after '=' (--view=sky).\n"
         "\n"
         "Exit status: 0 picture written, 1 data could not be read or the picture not\n"
         "written, 2 bad arguments. Problems with map, city or star files are reported\n"
         "and the frame is drawn without them.\n", "", kRender},
    };
    return table;
}

bool OptionInGroup(const std::vector<TOptionInfo>& table, TOptionGroup group, std::string_view name) {
    return std::any_of(table.begin(), table.end(),
                       [&](const TOptionInfo& row) { return row.group == group && row.name == name; });
}
