// Sky mode: a chart of the sky around a chosen centre as the observer sees
// it, computed in right ascension and declination; the horizon-based
// presentations come from the choice of centre and rotation.
#pragma once
#include <QColor>
#include <QPainter>

#include <vector>

#include "uGraphicCalc.h"

struct TSkyBody {
    int32_t code;
    const char* label;
    double diameter;  // km
    QColor colour;
};
// The Sun, Moon or planet with this body code; nullptr for any other code.
const TSkyBody* SkyBodyInfo(int32_t code);

// The sky's colour for the Sun at that altitude (rad): day blue above the
// horizon, twilight shades to -18 degrees, black below.
QColor SkyColourForSun(double sunAltitude);
// A label's colour on that sky: its own, or white or black where it would
// not stand out from a lit sky; on the night sky always its own.
QColor ReadableOn(const QColor& ink, const QColor& ground);

// Mirror factors of the four orientation menu items (normal, inverted,
// mirror east-west, mirror north-south); normal when none is checked.
void SkySignsFromMenu(const TMenuSettings& menu, int32_t& signX, int32_t& signY);

// Chart centre and rotation for a frame: zoomed out, both come from
// SkyCentreHoriz; otherwise the centre follows the satellite (follow not
// null), keeps its altitude and azimuth (fixAltAz) or its ra/dec, and the
// chart is turned so the horizon is level (horizonOrientation) or north up.
void SkyFrame(TViewState& vs, const TLatLon& site, double gst, bool fixAltAz, bool horizonOrientation,
              const TRaDec* follow);

// Stars brighter than limit as discs in colour (names when ShowStarNames).
void DrawStars(QPainter& painter, const TViewState& vs, const std::vector<TSkyRecord>& stars, double limit,
               const QColor& colour);
// Figure lines whose both ends are on the chart (names when ShowConstellationNames).
void DrawConstellations(QPainter& painter, const TViewState& vs, const std::vector<TSkyRecord>& lines);

// The horizon mask as a band filled in colour from altitude base (rad) up
// to the mask's limit, where the limit stands above the horizon; the far
// side of the sky from the chart's centre is left out.
void DrawHorizonMask(QPainter& painter, TViewState& vs, const TLatLon& site, double gst, const THorizonMask& mask,
                     double base, const QColor& colour);
// Colour of the horizon mask's band.
inline const QColor kHorizonMaskColour(112, 84, 52);

void DrawSkyFrame(TViewState& vs, const TFrameState& frame, QImage& display);
