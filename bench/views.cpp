// One frame of each view at 1920x1080 with the bundled data: 15 satellites,
// stars to magnitude 6.5, the map image; the map in the night palette; the
// backgrounds; the night palette's red pass; and a sky frame with 20,000
// extra sky satellites (all bright enough to be propagated), their labels
// placed apart.
#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "uFormat.h"
#include "uGlobe.h"
#include "uGraphicTools.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uMap.h"
#include "uSky.h"
#include "uTracking.h"

namespace {

const std::string kProgram = ORBISK_PROGRAM_DIR "/";
constexpr int kWidth = 1920, kHeight = 1080;
constexpr double kStarLimit = 6.5;
constexpr int kSkySats = 20000;

std::vector<TSatRec> ElementFileSats(const std::string& path) {
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, path);
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        TSatRec rec{};
        if (InitSatelliteFromEntry(rec, e, 0.0, 1000.0)) sats.push_back(rec);
    }
    return sats;
}

std::string WithChecksum(std::string line) {
    line.resize(68);
    int sum = 0;
    for (char c : line) sum += (c >= '0' && c <= '9') ? c - '0' : (c == '-');
    return line + static_cast<char>('0' + sum % 10);
}

// Copies of the bundled sets spread around their orbits and nodes.
std::vector<TSatRec> ExtraSkySats(int count) {
    std::vector<TElementEntry> entries;
    ReadElementFile(entries, kProgram + "tle/visual.tle");
    std::vector<TSatRec> sats;
    for (int k = 0; sats.size() < static_cast<std::size_t>(count) && !entries.empty(); ++k) {
        const TElementEntry& e = entries[static_cast<std::size_t>(k) % entries.size()];
        const int copy = k / static_cast<int>(entries.size());
        std::string l2 = e.line2.str();
        const double node = std::fmod(std::atof(l2.substr(17, 8).c_str()) + copy * 7.3, 360.0);
        const double anomaly = std::fmod(std::atof(l2.substr(43, 8).c_str()) + copy * 41.7, 360.0);
        l2.replace(17, 8, FormatArgs("%0:8.4f", {node}));
        l2.replace(43, 8, FormatArgs("%0:8.4f", {anomaly}));
        TSatRec rec{};
        if (MakeSatelliteRecord(rec, "EXTRA", e.catNo.view(), 5.0, e.line1.str(), WithChecksum(l2)))
            sats.push_back(rec);
    }
    return sats;
}

struct TScene {
    TFrameState frame;
    TViewState vs;
    QImage display;

    explicit TScene(int mode, bool skySats = false, bool night = false) {
        TMenuSettings menu = DefaultMenuSettings();
        frame.options = DefaultOptions(kProgram);
        frame.options.viewMode = mode;
        frame.observer = DefaultObserver();
        frame.menu = ViewMenuFrom(menu);
        frame.menu.displayCities = frame.menu.displayHome = frame.menu.grids = true;
        frame.menu.locVis = frame.menu.showMagnitude = true;
        std::vector<TSatRec> sats = ElementFileSats(kProgram + "tle/visual.tle");
        for (TSatRec& s : sats) s.selected = 1;
        SetFrameSatellites(frame, sats, TChoice{});
        ComputeFrame(frame, EncodeDayNumber(2018, 1, 22, 3, 0, 0));
        std::vector<TSkyRecord> stars, lines;
        LoadSkyData(kProgram + "data/", stars, lines);
        frame.stars = std::make_shared<const std::vector<TSkyRecord>>(std::move(stars));
        frame.constellations = std::make_shared<const std::vector<TSkyRecord>>(std::move(lines));
        std::vector<TMapCity> cities;
        std::string message;
        LoadMapCities(kProgram + "data/MapLocations.dat", cities, message);
        frame.cities = std::make_shared<const std::vector<TMapCity>>(std::move(cities));
        frame.night = night;
        if (skySats) {
            frame.menu.showSkySat = true;
            frame.skySats = std::make_shared<const std::vector<TSatRec>>(ExtraSkySats(kSkySats));
        }

        InitViews(vs, kProgram, frame.options, menu, kWidth, kHeight);
        ApplyDisplayOptions(vs, frame.options);
        frame.options.starMagBase = kStarLimit - 0.03 * vs.SkyScale;
        vs.GlobeCentre = frame.observer.pos;
        vs.TrackStart = vs.TrackAnchor = frame.time;
        RefreshView(vs, frame, display);  // track and background
    }
};

template <class Draw>
void Repeat(benchmark::State& st, int mode, bool skySats, Draw draw, bool night = false) {
    TScene s(mode, skySats, night);
    for (auto _ : st) draw(s);
    if (skySats) st.counters["sky_sats"] = static_cast<double>(s.frame.skySats->size());
}

void BM_MapFrame(benchmark::State& st) {
    Repeat(st, kViewMap, false, [](TScene& s) { DrawMapFrame(s.vs, s.frame, s.display); });
}
void BM_SkyFrame(benchmark::State& st) {
    Repeat(st, kViewSky, false, [](TScene& s) { DrawSkyFrame(s.vs, s.frame, s.display); });
}
void BM_GlobeFrame(benchmark::State& st) {
    Repeat(st, kViewGlobe, false, [](TScene& s) { DrawGlobeFrame(s.vs, s.frame, s.display); });
}
// The map in the night palette (its background already red).
void BM_MapFrameNight(benchmark::State& st) {
    Repeat(st, kViewMap, false, [](TScene& s) { DrawMapFrame(s.vs, s.frame, s.display); }, true);
}
// The red pass the sky and the globe take at night, over a whole frame.
void BM_NightColours(benchmark::State& st) {
    Repeat(st, kViewSky, false, [](TScene& s) { NightColours(s.display); });
}
void BM_MapBackground(benchmark::State& st) {
    Repeat(st, kViewMap, false, [](TScene& s) { DrawMapBackground(s.vs, s.frame); });
}
void BM_GlobeBackground(benchmark::State& st) {
    Repeat(st, kViewGlobe, false, [](TScene& s) { DrawGlobeBackground(s.vs, s.frame); });
}
void BM_SkyFrameWithSkySats(benchmark::State& st) {
    Repeat(st, kViewSky, true, [](TScene& s) { DrawSkyFrame(s.vs, s.frame, s.display); });
}
BENCHMARK(BM_MapFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkyFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlobeFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapFrameNight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NightColours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapBackground)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlobeBackground)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SkyFrameWithSkySats)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
