// Pictures of the window for the documentation and for looking at changes:
// one PNG per view and one per dialog, taken once the window has settled, then
// the window closes.
#pragma once
#include <string>

class TfrMainWnd;

// Writes folder/orbisk-map.png, orbisk-sky.png, orbisk-globe.png, the
// dialogs orbisk-selector.png, orbisk-location.png, orbisk-options.png,
// orbisk-download.png, orbisk-data.png, orbisk-magnitudes.png,
// orbisk-info.png and orbisk-firststart.png (the first start's place
// dialog), then orbisk-prediction.png (the
// prediction window after a flare search) and orbisk-radar.png (the radar
// chart of its first flare); the folder is made when missing. A picture that
// cannot be written is reported on stderr.
void SaveScreenshots(TfrMainWnd& window, const std::string& folder);
