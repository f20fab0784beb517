// Draws one frame of the map, sky or globe view to a PNG file, with no
// display: the views as a script or a web page needs them.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "Zenora.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uGraphicTools.h"
#include "uLoadSave.h"
#include "uMap.h"
#include "uPredictArgs.h"
#include "uSky.h"
#include "uToolOptions.h"
#include "uTracking.h"

namespace {

struct TRenderArgs {
    int view = 0;  // 0: the view of Options.bin
    bool haveTime = false;
    double time = 0.0;  // UTC day number
    int width = 1280, height = 720;
    std::string out;
    std::string first;  // catalogue number or name of the first satellite
    bool haveGlobeCentre = false;
    double globeLat = 0.0, globeLon = 0.0;  // degrees
    double globeZoom = 0.0;                 // 0: the options' value
    bool haveSkyAltAz = false, haveSkyRaDec = false;
    double skyA = 0.0, skyB = 0.0;  // alt/az in degrees, or ra in hours and dec in degrees
    double field = 0.0;             // 0: the options' value
    bool zenith = false;
    int orientation = -1;  // -1: Options.bin's; 0 ra/dec (north up); 1 alt/az (horizon level)
    int mirror = -1;       // -1: Options.bin's; 0 none, 1 inverted, 2 east-west, 3 north-south
    bool follow = false;
    std::vector<std::string> show, hide;
    std::string horizon;   // a horizon mask file, drawn in the horizon-level sky chart
};

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "orbisk-render: %s\n", PrintableText(message).c_str());
    if (code == 2) std::fprintf(stderr, "Try 'orbisk-render --help'.\n");
    return code;
}

bool ParseDouble(std::string_view s, double& v) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size() && std::isfinite(v);
}

std::string RangeText(const std::string& option, double lo, double hi) {
    return option + " must be a number from " + FormatGeneral(lo) + " to " + FormatGeneral(hi);
}

// "A,B" with A in [loA, hiA] and B in [loB, hiB].
std::string ParsePair(const std::string& option, const std::string& text, double loA, double hiA, double loB,
                      double hiB, double& a, double& b) {
    const auto comma = text.find(',');
    if (comma == std::string::npos || !ParseDouble(std::string_view(text).substr(0, comma), a) ||
        !ParseDouble(std::string_view(text).substr(comma + 1), b))
        return option + " needs two numbers separated by a comma, not '" + text + "'";
    if (a < loA || a > hiA) return RangeText(option + "'s first number", loA, hiA);
    if (b < loB || b > hiB) return RangeText(option + "'s second number", loB, hiB);
    return {};
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto comma = std::min(text.find(',', start), text.size());
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

// The layers that --show and --hide switch, by name.
bool* LayerFlag(TViewMenu& m, const std::string& name) {
    struct TLayer {
        const char* name;
        bool TViewMenu::*flag;
    };
    static const TLayer kLayers[] = {
        {"cities", &TViewMenu::displayCities},       {"home", &TViewMenu::displayHome},
        {"grid", &TViewMenu::grids},                 {"track", &TViewMenu::tracks},
        {"satvis", &TViewMenu::satVis},              {"locvis", &TViewMenu::locVis},
        {"labels", &TViewMenu::showLabel},           {"numbers", &TViewMenu::displayNumber},
        {"magnitudes", &TViewMenu::showMagnitude},   {"skysats", &TViewMenu::showSkySat},
        {"constellations", &TViewMenu::constellations},
        {"constnames", &TViewMenu::constellationNames},
        {"starnames", &TViewMenu::starNames},        {"horizon", &TViewMenu::starToHorizon},
    };
    for (const TLayer& l : kLayers)
        if (name == l.name) return &(m.*l.flag);
    return nullptr;
}

std::string ParseRenderArgs(const std::vector<std::string>& args, TRenderArgs& r, std::vector<std::string>& shared,
                            bool& help, bool& version) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        auto number = [&](double& v, double lo, double hi) -> std::string {
            std::string text;
            if (!value(text)) return a + " needs a value";
            if (!ParseDouble(text, v) || v < lo || v > hi) return RangeText(a, lo, hi);
            return {};
        };
        std::string text, error;
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--version") {
            version = true;
        } else if (OptionInGroup(RenderOptionTable(), TOptionGroup::kRenderObserver, a)) {
            shared.push_back(a);
            if (value(text)) shared.push_back(text);
        } else if (a == "--view") {
            if (!value(text)) return "--view needs a value: map, sky or globe";
            if (text == "map") r.view = kViewMap;
            else if (text == "sky") r.view = kViewSky;
            else if (text == "globe") r.view = kViewGlobe;
            else return "--view must be map, sky or globe, not '" + text + "'";
        } else if (a == "--time") {
            if (!value(text)) return "--time needs a date and time";
            if (!ParseDateTimeArg(text, r.time))
                return "--time must be a date and time like \"2018-01-05 18:00:00\", not '" + text + "'";
            r.haveTime = true;
        } else if (a == "--size") {
            if (!value(text)) return "--size needs a value like 1280x720";
            const auto x = text.find('x');
            double w = 0, h = 0;
            if (x == std::string::npos || !ParseDouble(std::string_view(text).substr(0, x), w) ||
                !ParseDouble(std::string_view(text).substr(x + 1), h) || w != std::floor(w) ||
                h != std::floor(h) || w < 64 || h < 64 || w > 8192 || h > 8192)
                return "--size must be WIDTHxHEIGHT, each a whole number from 64 to 8192, not '" + text + "'";
            r.width = static_cast<int>(w);
            r.height = static_cast<int>(h);
        } else if (a == "--horizon") {
            if (!value(r.horizon) || r.horizon.empty()) return "--horizon needs a mask file";
        } else if (a == "--out") {
            if (!value(r.out) || r.out.empty()) return "--out needs a file name";
        } else if (a == "--first") {
            if (!value(r.first) || r.first.empty()) return "--first needs a catalogue number or name";
        } else if (a == "--globe-centre") {
            if (!value(text)) return "--globe-centre needs LAT,LON in degrees";
            if (!(error = ParsePair(a, text, -90, 90, -180, 180, r.globeLat, r.globeLon)).empty()) return error;
            r.haveGlobeCentre = true;
        } else if (a == "--globe-zoom") {
            if (!(error = number(r.globeZoom, 2.2, 100.0)).empty()) return error;
        } else if (a == "--sky-centre" || a == "--sky-radec") {
            if (!value(text)) return a + " needs two numbers separated by a comma";
            const bool altaz = a == "--sky-centre";
            error = altaz ? ParsePair(a, text, -90, 90, 0, 360, r.skyA, r.skyB)
                          : ParsePair(a, text, 0, 24, -90, 90, r.skyA, r.skyB);
            if (!error.empty()) return error;
            (altaz ? r.haveSkyAltAz : r.haveSkyRaDec) = true;
        } else if (a == "--field") {
            if (!(error = number(r.field, 0.1, 170.0)).empty()) return error;
        } else if (a == "--zenith") {
            r.zenith = true;
        } else if (a == "--follow") {
            r.follow = true;
        } else if (a == "--orientation") {
            if (!value(text)) return "--orientation needs a value: radec or altaz";
            if (text == "radec") r.orientation = 0;
            else if (text == "altaz") r.orientation = 1;
            else return "--orientation must be radec or altaz, not '" + text + "'";
        } else if (a == "--mirror") {
            if (!value(text)) return "--mirror needs a value: none, inverted, ew or ns";
            static const char* const kMirrors[] = {"none", "inverted", "ew", "ns"};
            r.mirror = -1;
            for (int m = 0; m < 4; ++m)
                if (text == kMirrors[m]) r.mirror = m;
            if (r.mirror < 0) return "--mirror must be none, inverted, ew or ns, not '" + text + "'";
        } else if (a == "--show" || a == "--hide") {
            if (!value(text)) return a + " needs a list of layers";
            TViewMenu probe;
            for (const std::string& layer : SplitList(text)) {
                if (!LayerFlag(probe, layer)) return a + ": unknown layer '" + layer + "'";
                (a == "--show" ? r.show : r.hide).push_back(layer);
            }
        } else {
            return UnknownOptionMessage(a, OptionNames(RenderOptionTable()));
        }
    }
    if (r.haveSkyAltAz && r.haveSkyRaDec) return "give --sky-centre or --sky-radec, not both";
    if (!help && !version && r.out.empty()) return "--out FILE.png is required";
    return {};
}


void SelectFirst(TFrameState& frame, const std::string& wanted) {
    for (std::size_t i = 0; i < frame.sats.size(); ++i) {
        const TSatRec& rec = frame.sats[i].rec;
        if (std::string(TrimText(rec.catNo.view())) == wanted || rec.name.view() == wanted) {
            frame.sat1 = i;
            return;
        }
    }
}

template <class T>
std::shared_ptr<const std::vector<T>> Shared(std::vector<T>&& list) {
    return std::make_shared<const std::vector<T>>(std::move(list));
}

// Qt's own chatter about the runtime folder of a display-less run is noise here.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || type == QtInfoMsg || text.startsWith(QLatin1String("QStandardPaths:"))) return;
    std::fprintf(stderr, "orbisk-render: %s\n", text.toLocal8Bit().constData());
}

void Warn(const std::string& text) {
    if (!text.empty()) std::fprintf(stderr, "orbisk-render: %s\n", PrintableText(text).c_str());
}

// Stars, constellations, extra satellites and cities as the view needs them.
void LoadViewData(TFrameState& frame, const std::string& dataFolder) {
    if (frame.options.viewMode == kViewSky) {
        std::vector<TSkyRecord> stars, lines;
        Warn(ReadSkyFile(dataFolder + "SaoStar.bin", stars).message);
        Warn(ReadSkyFile(dataFolder + "Constellation.bin", lines).message);
        frame.stars = Shared(std::move(stars));
        frame.constellations = Shared(std::move(lines));
        if (frame.menu.showSkySat) {
            std::vector<TSatRec> skySats;
            const std::string path = dataFolder + "SkySat.bin";
            if (CheckFile(path))
                LoadCatalogue(skySats, path);
            else
                Warn(FileProblemText(path));
            frame.skySats = Shared(std::move(skySats));
        }
    }
    if (frame.options.viewMode == kViewMap && frame.menu.displayCities) {
        std::vector<TMapCity> cities;
        std::string message;
        LoadMapCities(dataFolder + kMapLocationsFile, cities, message);
        Warn(message);
        frame.cities = Shared(std::move(cities));
    }
}

void AimSky(TViewState& vs, const TRenderArgs& r, const TFrameState& frame, TOptions& options) {
    if (r.haveSkyAltAz) vs.SkyCentreHoriz = TAltAz{r.skyA * kDegToRad, r.skyB * kDegToRad};
    Alt_az_to_ra_dec(&frame.observer.pos, &vs.SkyCentreHoriz, &vs.SkyCentre, frame.gha);
    if (r.haveSkyRaDec) vs.SkyCentre = TRaDec{r.skyA * 15.0 * kDegToRad, r.skyB * kDegToRad, 0.0};
    if (r.zenith) GoToZenith(vs, options);
    if (r.mirror >= 0) {
        static const int32_t kSigns[4][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
        vs.SignX = kSigns[r.mirror][0];
        vs.SignY = kSigns[r.mirror][1];
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = SplitOptionValues(std::vector<std::string>(argv + 1, argv + argc));
    TRenderArgs r;
    std::vector<std::string> shared;
    bool help = false, version = false;
    if (const std::string error = ParseRenderArgs(args, r, shared, help, version); !error.empty()) return Fail(2, error);
    if (help) {
        std::fputs(OptionHelp(RenderOptionTable()).c_str(), stdout);
        return 0;
    }
    if (version) {
        std::printf("%s\n", VersionLine("orbisk-render").c_str());
        return 0;
    }
    TPredictArgs a;
    if (const std::string error = ParsePredictArgs(shared, a); !error.empty()) return Fail(2, error);

    // Pictures only: never a window, whatever display the environment names.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QtMessages);
    QGuiApplication app(argc, argv);

    const std::string programFolder = ExecutableFolder();
    const std::string dataFolder = cli::DataFolderFor(a, programFolder);
    TOptions options{};
    TMenuSettings menu{};
    // Settings and catalogue that cannot be used as they stand are told as orbisk-predict tells them.
    std::vector<std::string> warnings;
    LoadOptions(dataFolder, programFolder, options, menu, &warnings);
    const TObserver observer = cli::ObserverFor(a, dataFolder, &warnings);
    if (r.view) options.viewMode = r.view;
    if (r.field > 0) options.skyField = r.field;
    if (r.globeZoom > 0) options.globeZoom = r.globeZoom;
    if (r.orientation >= 0) {
        menu.checked[kMenuSkyViewAltAz] = r.orientation == 1;
        menu.checked[kMenuSkyViewRaDec] = r.orientation == 0;
    }

    std::vector<TSatRec> sats;
    const TStatus loaded = cli::LoadSatellites(a, dataFolder, sats, &warnings);
    for (const std::string& w : warnings) Warn("warning: " + w);
    if (!loaded) return Fail(1, loaded.message);

    TFrameState frame;
    frame.observer = observer;
    frame.options = options;
    frame.menu = ViewMenuFrom(menu);
    for (const std::string& layer : r.show) *LayerFlag(frame.menu, layer) = true;
    for (const std::string& layer : r.hide) *LayerFlag(frame.menu, layer) = false;
    if (r.follow) frame.menu.skyViewFixSatellite = true;
    if (r.haveSkyAltAz) frame.menu.skyViewFixAltAz = true;
    if (r.haveSkyRaDec) frame.menu.skyViewFixAltAz = false;
    if (!r.horizon.empty()) {
        std::string note;
        if (const TStatus loaded = LoadHorizonMask(r.horizon, HorizonFormatForName(r.horizon), frame.horizon, &note);
            !loaded)
            return Fail(1, loaded.message);
        if (!note.empty()) Warn("warning: " + note);
    }
    // MainSat.bin's ticks, or every set of an element file.
    SetFrameSatellites(frame, sats, TChoice::Where(sats, [](const TSatRec& s) { return s.selected != 0; }));
    if (!r.first.empty()) SelectFirst(frame, r.first);
    ComputeFrame(frame, r.haveTime ? r.time : NowDayNumber());
    LoadViewData(frame, dataFolder);

    TViewState vs;
    vs.Messages = Warn;
    InitViews(vs, programFolder, options, menu, r.width, r.height);
    ApplyDisplayOptions(vs, options);
    vs.GlobeCentre = frame.observer.pos;
    if (r.haveGlobeCentre) vs.GlobeCentre = TLatLon{r.globeLat * kDegToRad, r.globeLon * kDegToRad, 0.0};
    AimSky(vs, r, frame, options);
    frame.options.skyField = options.skyField;
    vs.TrackStart = vs.TrackAnchor = frame.time;

    QImage image;
    RefreshView(vs, frame, image);
    // Encoded in memory and put in place atomically: a failed write never
    // leaves half a picture, and a device or FIFO given as --out is refused.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return Fail(1, "cannot write " + r.out + ": the picture cannot be encoded");
    if (const TStatus saved = WriteFileAtomic(r.out, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
        !saved)
        return Fail(1, saved.message);  // "cannot write <out>: <reason>"
    return 0;
}
