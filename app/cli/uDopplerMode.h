// The Doppler mode of orbisk-predict: for each pass of the picked
// satellites, or every few seconds of one pass, where the satellite is, its
// range rate and the frequencies to tune the radio to, and with a rotator
// the antenna positions its plan commands.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "uPredictArgs.h"
#include "uRotatorPlan.h"
#include "uSearchModes.h"

struct TDopplerModeArgs {
    bool active = false;        // --mode doppler
    double downMhz = 0.0;       // --freq-down, at the satellite
    double upMhz = 0.0;         // --freq-up, 0: none
    double step = 0.0;          // --step S: every S seconds of the first pass; 0: AOS, highest point, LOS of each
    bool rotator = false;       // --rotator LO-HI
    TRotatorSettings rotatorSettings;
    bool haveMinElevation = false;  // --min-elev given (else 0 here)
};

// Takes "--mode doppler" and this mode's options out of args, leaving the
// rest for the other front ends. "" or the reason they are wrong.
std::string ExtractDopplerModeArgs(std::vector<std::string>& args, TDopplerModeArgs& out);
const std::vector<std::string_view>& DopplerModeOptions();

// The controls a Doppler search runs with: all passes, day and night, from
// 0 degrees unless --min-elev was given.
void DopplerControls(const TDopplerModeArgs& mode, TPredictionControls& controls);

// Runs the mode and prints its output; exit status as orbisk-predict's.
int RunDopplerMode(const TDopplerModeArgs& mode, const TPredictArgs& args, const TPredictionInputs& inputs,
                   const TObserver& observer, const TReportSettings& settings, std::vector<TSatRec> sats,
                   const std::string& source, TSearchControl* control = nullptr);
