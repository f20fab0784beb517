// Pictures of the window for the documentation and for looking at changes:
// one PNG per view, taken once the window has settled, then the window closes.
#pragma once
#include <string>

class TfrMainWnd;

// Writes folder/orbisk-map.png, orbisk-sky.png and orbisk-globe.png (the
// folder is made when missing). A picture that cannot be written is
// reported on stderr.
void SaveScreenshots(TfrMainWnd& window, const std::string& folder);
