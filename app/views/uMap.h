// Map mode: the world map with cities, home, grid and ground track in the
// background, and the night shadow, Sun, Moon, satellites and visibility
// circles on every frame.
#pragma once
#include <string>
#include <vector>

#include "uGraphicCalc.h"

inline constexpr const char* kMapLocationsFile = "MapLocations.dat";
// Height below which a satellite gets no visibility circles, km.
inline constexpr double kMinCircleHeight = 25.0;

// Reads the cities of MapLocations.dat. Lines that are not cities are
// skipped; a missing file or skipped lines give one message. True when the
// file was read.
bool LoadMapCities(const std::string& path, std::vector<TMapCity>& cities, std::string& message);

// The first satellite's sub-points, one a minute, for the options' track
// length from the frame's time (backwards when the clock runs backwards);
// sets TrackStart and TrackAnchor.
void ComputeGroundTrack(TViewState& vs, const TFrameState& frame);
void DrawMapBackground(TViewState& vs, const TFrameState& frame);
void DrawMapFrame(TViewState& vs, const TFrameState& frame, QImage& display);
