// The clock of the main window as plain values: the step ladder, the texts
// the clock shows, and one tick's advance. No widgets, so it tests alone.
#pragma once
#include <array>
#include <cstdint>
#include <string>

// Simulated milliseconds per tick, slowest to fastest.
inline constexpr std::array<int32_t, 12> kStepLadder = {50,    100,   200,   500,    1000,   5000,
                                                        10000, 30000, 60000, 120000, 300000, 600000};
inline constexpr int kTickIntervalMs = 1000;

// SetClockStep's actions.
enum TClockAction : int { kClockStart = 0, kClockFaster = 1, kClockSlower = -1, kClockStop = 2 };

// One rung up (kClockFaster) or down (kClockSlower) from step's magnitude; the
// ends of the ladder stay where they are and a step that is not on the ladder
// is kept. Any other action returns the magnitude unchanged.
int32_t LadderStep(int32_t step, int action);

// "1 Sec", "-5 Sec", "0.05 Sec" up to 30 s; "2 Min", "-10 Min" above.
std::string StepText(int32_t magnitude, int direction);

// The clock one tick on: t plus stepMs milliseconds (stepMs < 0 runs back).
double AdvanceClock(double t, int32_t stepMs);

// "yyyy MMM dd   HH:mm:ss" of t (UTC), or of local time when !utc.
std::string ClockText(double t, bool utc, double utcOffset);
// "dd MMM HH:nn:ss", the next rise and set in the status bar.
std::string PassTimeText(double t, bool utc, double utcOffset);
