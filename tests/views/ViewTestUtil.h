// Shared fixtures of the view tests: view states, frames with crafted or
// computed states, and PNG output for a person to look at.
#pragma once
#include <QColor>
#include <QDir>
#include <QImage>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "uGraphicTools.h"
#include "uInitialize.h"
#include "uTracking.h"

constexpr double kDeg = std::numbers::pi / 180.0;

// A view of the given mode and size with the default options, collecting
// what it reports.
struct TTestView {
    TViewState vs;
    TOptions options;
    std::vector<std::string> messages;

    TTestView(int mode, int width, int height) : options(DefaultOptions("")) {
        options.viewMode = mode;
        vs.Messages = [this](const std::string& text) { messages.push_back(text); };
        ResizeViews(vs, width, height);
        vs.ViewMode = mode;
        ApplyDisplayOptions(vs, options);
    }
};

inline TObserver TestObserver(double latDeg, double lonDeg) {
    TObserver o = DefaultObserver();
    o.name = "Test site";
    o.pos = TLatLon{latDeg * kDeg, lonDeg * kDeg, 0.0};
    UpdateParallax(o);
    return o;
}

// Sun and Moon (or the ten sky bodies) computed for t, no satellites.
inline TFrameState TestFrame(int mode, double t, const TObserver& observer) {
    TFrameState f;
    f.options = DefaultOptions("");
    f.options.viewMode = mode;
    f.observer = observer;
    ComputeFrame(f, t);
    return f;
}

// A satellite with a state made by hand: sub-point, distance, ra/dec.
inline TFrameSat CraftedSat(double latDeg, double lonDeg, double distance, bool sunlit, const char* label = "SAT") {
    TFrameSat s;
    s.rec.stdMag = 4.0;
    s.label = label;
    s.state.latlon = TLatLon{latDeg * kDeg, lonDeg * kDeg, distance - kEarthRadius};
    s.state.pos.r = distance;
    s.state.sunlit = sunlit ? 1 : 0;
    return s;
}

// Every pixel tells which image pixel it is: red and green the low bytes of
// the column and row, blue their high bits.
inline QImage CodedMap(int width, int height) {
    QImage map(width, height, QImage::Format_RGB32);
    for (int v = 0; v < height; ++v)
        for (int u = 0; u < width; ++u)
            map.setPixel(u, v, qRgb(u & 255, v & 255, ((u >> 8) << 4) | (v >> 8)));
    return map;
}

inline QRgb Pixel(const QImage& image, const QPoint& p) { return image.pixel(p) & 0xFFFFFF; }
inline bool IsYellow(QRgb c) { return c == 0xFFFF00; }

// Keeps a picture under the build folder's test output.
inline void SavePng(const QImage& image, const std::string& name) {
    QDir().mkpath(VIEWS_TEST_OUTPUT);
    image.save(QString::fromStdString(std::string(VIEWS_TEST_OUTPUT) + "/" + name + ".png"), "PNG");
}
