// A pass on a polar plot of the observer's sky: the zenith at the centre,
// the horizon at the rim, the zenith distance growing evenly to the rim,
// north at the top and azimuth clockwise (east to the right). Elevation
// rings at 0, 30 and 60 degrees, azimuth ticks every 30 degrees, the track
// with its time marks and the satellite where it is now. The rings and ticks
// are drawn through a projection, so the radar chart shares them.
#pragma once
#include <QColor>
#include <QPainter>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <functional>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uSite.h"
#include "uVarDef.h"

inline constexpr int kPolarRingStep = 30;  // degrees of elevation between rings
inline constexpr int kPolarTickStep = 30;  // degrees of azimuth between ticks

struct TPolarPoint {
    double t = 0.0;          // UTC day number
    double azimuth = 0.0;    // rad, from north through east
    double elevation = 0.0;  // rad
};

// The track of sat from aos to los, one point every stepSeconds and one at
// los; points where the propagation fails are left out.
std::vector<TPolarPoint> PolarTrack(const TSatRec& sat, const TSite& site, double aos, double los,
                                    double stepSeconds);

// Minutes between time marks for a pass of that many minutes: 1, 2, 5 or 10,
// so a pass has at most about a dozen.
int PolarMarkMinutes(double passMinutes);

// Where (azimuth, elevation) lies on a plot of that centre and rim radius.
QPointF PolarPixel(const QPointF& centre, double radius, double azimuth, double elevation);

// Colours of a plot; the night set is red on black.
struct TPolarColours {
    QColor background, disc, grid, text, track, mark, now, nowShadow;
};
TPolarColours PolarColours(bool night);

// The rings and ticks through place (false: that point is off the chart):
// rings at 0, 30 and 60 degrees with their numbers, a tick every 30 degrees
// of azimuth reaching in from the horizon, N, E, S and W when letters.
// A ring's number goes at the first of a few azimuths where it meets none
// of avoid (the satellite, its marks). The boxes of the texts drawn are
// returned, so later labels can keep off them.
std::vector<QRect> DrawSkyGrid(QPainter& painter, const std::function<bool(double az, double el, QPointF& p)>& place,
                               const QColor& grid, const QColor& text, bool letters,
                               const std::vector<QRectF>& avoid = {});

struct TPolarScene {
    std::string title;                // the satellite
    std::string heading;              // "Pass now", "Next pass", "never rises", ...
    std::vector<TPolarPoint> track;   // AOS to LOS, may be empty
    bool haveNow = false;             // the satellite is up: where it is now
    TPolarPoint now;
    bool sunlit = false;
    double displayOffset = 0.0;       // days added to the times shown
    bool night = false;
};

struct TPolarDrawn {
    QRectF disc;                      // the horizon circle's box
    std::vector<QPointF> marks;       // time marks along the track
    std::vector<QRect> labels;        // the time labels drawn (none overlap)
    std::vector<QRect> gridLabels;    // ring numbers and compass letters
    bool nowShown = false;
    QPointF now;
};

// Draws the plot over the whole image (its device pixel ratio kept).
TPolarDrawn DrawPolarPlot(QImage& image, const TPolarScene& scene);
