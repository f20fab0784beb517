// The antenna rotator's plan for one pass: when to send which azimuth and
// elevation, within the rotator's mechanical ranges. Angles in degrees;
// the rotator's azimuth is the compass azimuth plus a whole number of turns
// (so a 0..450 rotator reaches north-east twice); times UTC day numbers.
// These are mechanical limits, apart from any horizon limit of the
// predictions.
#pragma once
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uSite.h"
#include "uVarDef.h"

struct TRotatorLimits {
    // The azimuth range: 0..360, -180..180 (stop in the south), 0..450 (the
    // stop at north, 90 degrees of overlap); any LO..HI of 360 to 540 degrees.
    double azMin = 0.0, azMax = 360.0;
    double elMin = 0.0;   // the floor
    double elMax = 90.0;  // 90, or 180 for a rotator that can flip
};

// "0-360", "-180-180", "0-450", or any "LO-HI" as above; "" or a reason.
std::string ParseAzimuthRange(const std::string& text, TRotatorLimits& limits);

struct TRotatorSettings {
    TRotatorLimits limits;
    // A pass this high or higher is flipped (when elMax allows), unless the
    // flip would unwind mid-pass and the plain pass would not.
    double flipAbove = 75.0;
    double preAos = 120.0;     // s: sent to the AOS position this long before AOS
    double lead = 4.0;         // the antenna stays at most this far ahead of the satellite
    double parkAz = 0.0, parkEl = 0.0;  // after LOS, in rotator degrees
    double parkDelay = 10.0;   // s after LOS
};

// The satellite's compass azimuth and elevation at t.
struct TTrackPoint {
    double t = 0.0;
    double az = 0.0, el = 0.0;
};

enum class TRotatorPhase { kPreposition, kTrack, kPark };

struct TRotatorCommand {
    double t = 0.0;          // when to send it
    double az = 0.0, el = 0.0;  // rotator degrees, within the limits
    TRotatorPhase phase = TRotatorPhase::kTrack;
};

struct TRotatorPlan {
    bool flipped = false;
    // No turn of the rotator holds the pass, as planned nor in the other
    // allowed plan (a 0..360 rotator, a pass across north): the antenna
    // unwinds once mid-pass.
    bool unwinds = false;
    double maxElevation = 0.0;  // of the track
    std::vector<TRotatorCommand> commands;  // in time order
    // The command in force at t (the last one sent by then); null before the first.
    const TRotatorCommand* At(double t) const;
};

// The plan for a pass's track (time order, one point every few seconds at
// most, AOS first and LOS last). fromAz: the rotator's azimuth before the
// pass (its reading, or the park position), to choose the shorter way
// round when the pass fits on more than one turn.
TRotatorPlan PlanPass(const std::vector<TTrackPoint>& track, const TRotatorSettings& settings, double fromAz);

// The track of sat from aos to los every step seconds (and at los).
std::vector<TTrackPoint> PassTrack(const TSatRec& sat, const TSite& site, double aos, double los, double step = 1.0);
