// The window's display choices kept between runs in a text file of their
// own (kDisplaySettingsFile in the data folder): one "name=value" a line,
// unknown lines kept out, bad values left at their defaults and told.
#pragma once
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kDisplaySettingsFile = "Display.ini";

struct TDisplaySettings {
    bool nightPalette = false;  // red on black, for dark-adapted eyes
    bool polarPlot = true;      // the polar plot panel shown
    // The window's place and size and its docks' places and sizes, as the
    // window toolkit saves them, in base64; empty: none kept.
    std::string windowGeometry, windowState;
};

// A kept layout longer than this is not one the window wrote.
inline constexpr std::size_t kMaxLayoutText = 16384;

// notes (may be null) gets one line per line it could not use.
TDisplaySettings ReadDisplaySettings(std::string_view text, std::vector<std::string>* notes = nullptr);
std::string DisplaySettingsText(const TDisplaySettings& s);
