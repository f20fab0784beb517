// Globe mode: the Earth as an orthographic globe around GlobeCentre, textured
// with the map image, with graticule, home and ground track in the
// background, and the night side, satellites and visibility circles on
// every frame.
#pragma once
#include "uGraphicCalc.h"

// The globe's radius must exceed this for the night side to be drawn, pixels.
inline constexpr double kMinNightGlobeScale = 20.0;

void DrawGlobeBackground(TViewState& vs, const TFrameState& frame);
void DrawGlobeFrame(TViewState& vs, const TFrameState& frame, QImage& display);
