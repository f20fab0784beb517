// orbisk-predict's whole command line: every mode's parser in turn, each
// taking its options (uPredictOptions lists them all), the rest left for
// the next and the last refusing what none knows.
#pragma once
#include <string>
#include <vector>

#include "uAnalysisModes.h"
#include "uDopplerMode.h"
#include "uPredictArgs.h"
#include "uSearchModes.h"

struct TPredictCommandLine {
    TDopplerModeArgs doppler;
    TAnalysisModeArgs analysis;
    TSearchModeArgs search;
    TPredictArgs predict;
};

// "" on success, else the one-line reason (exit status 2).
std::string ParsePredictCommandLine(const std::vector<std::string>& args, TPredictCommandLine& out);
