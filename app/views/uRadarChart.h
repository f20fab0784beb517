// The radar chart: one predicted pass on a disc of the whole sky above the
// observer (zenith at the centre, horizon at the rim), with the stars and
// figures of the sky view, the Sun, Moon and planets, the pass's data beside
// the disc and the track from AOS to LOS with a marker every 15 seconds.
// Drawn into a QImage with the sky view's projection on the chart's own
// view state, so it needs no widgets.
#pragma once
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <string>
#include <vector>

#include "uGraphicCalc.h"
#include "uSearchTypes.h"

inline constexpr int kRadarStartRotation = 180;  // degrees: north at the top
inline constexpr int kRadarRotationStep = 30;
inline constexpr double kRadarTrackStep = 15.0;  // s between track markers
inline constexpr double kRadarStarLimit = 4.5;   // faintest star drawn

// The rotation one step on: "<" turns by -30 (below 0 it becomes 330), ">"
// by +30 (above 330 it becomes 0).
int RadarRotationStep(int rotation, bool forward);

// A fresh view state for a chart of width x height: the disc is the square
// of the height at the left, its centre at half the height.
void SetupRadarView(TViewState& vs, int width, int height);

// What the chart shows: the pass, the observer it was found for, the star
// and figure lists, and how times are shown.
struct TRadarScene {
    TPassRecord pass{};
    TObserver observer{};
    double displayOffset = 0.0;  // days added to every time shown
    const std::vector<TSkyRecord>* stars = nullptr;
    const std::vector<TSkyRecord>* figures = nullptr;
    QFont font;                  // the display font, at the options' size + 2
    bool showMagnitude = true;   // the MAG line beside the disc
    THorizonHandle horizon;      // the observer's horizon mask, a band at the rim (null: none)
};

// Where the chart put what a user looks for.
struct TRadarDrawn {
    std::vector<QPoint> track;   // markers on the chart, in time order
    bool aos = false, los = false;
    QPoint aosLabel, losLabel;   // top-left corners of " AOS" and " LOS"
    std::string sunText, moonText;  // altitudes at the pass start, "#0.0°"
    std::vector<std::string> dataLines;  // beside the disc, top to bottom
    std::vector<QRect> compass;  // the N, E, S, W letters
};

// Where a label of size text goes beside a mark of radius r at p so that it
// stays on the disc, the rim's marks included: on the mark's side towards
// the disc's centre, turned aside where that would cover one of avoid (the
// compass letters sit just inside the rim).
QRect LabelTowardsCentre(const TViewState& vs, QPoint p, int r, QSize text, const std::vector<QRect>& avoid = {});

// Draws the chart into image (its size as set up in vs): the screen view
// (black disc, white stars and text, yellow track) or the print view (white
// disc, black stars and text, maroon track). rotation: degrees, the azimuth
// at the top of the chart is rotation - 180.
TRadarDrawn DrawRadarChart(QImage& image, TViewState& vs, const TRadarScene& scene, int rotation, bool printView);
