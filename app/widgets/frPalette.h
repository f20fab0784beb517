// The night palette: every window in dim red on black, for eyes adapted to
// the dark. Applied to the whole application, so windows opened later
// follow it too.
#pragma once
#include <QPalette>

QPalette NightPalette();
// Switches the application to the night palette or back to the one it had.
void ApplyNightPalette(bool on);
bool NightPaletteOn();
