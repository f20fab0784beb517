#include "uClock.h"

#include <algorithm>
#include <cstdlib>

#include "uFormat.h"

namespace {
constexpr double kMsPerDay = 86400000.0;
constexpr int32_t kLongestSecondsStep = 30000;  // longer steps read in minutes
}  // namespace

int32_t LadderStep(int32_t step, int action) {
    const int32_t magnitude = std::abs(step);
    const auto it = std::find(kStepLadder.begin(), kStepLadder.end(), magnitude);
    if (it == kStepLadder.end()) return magnitude;
    if (action == kClockFaster && it + 1 != kStepLadder.end()) return *(it + 1);
    if (action == kClockSlower && it != kStepLadder.begin()) return *(it - 1);
    return magnitude;
}

std::string StepText(int32_t magnitude, int direction) {
    const double signedStep = static_cast<double>(magnitude) * direction;
    if (magnitude <= kLongestSecondsStep) return FormatGeneral(signedStep * 0.001) + " Sec";
    return FormatGeneral(signedStep / 60000.0) + " Min";
}

double AdvanceClock(double t, int32_t stepMs) { return (t * kMsPerDay + stepMs) / kMsPerDay; }

std::string ClockText(double t, bool utc, double utcOffset) {
    return FormatDateTime("yyyy MMM dd   HH:mm:ss", utc ? t : t + utcOffset);
}

std::string PassTimeText(double t, bool utc, double utcOffset) {
    return FormatDateTime("dd MMM HH:nn:ss", utc ? t : t + utcOffset);
}
