#include "uCommandLine.h"

#include "uPredictOptions.h"

std::string ParsePredictCommandLine(const std::vector<std::string>& argv, TPredictCommandLine& out) {
    std::vector<std::string> args = SplitOptionValues(argv);
    if (std::string error = ExtractDopplerModeArgs(args, out.doppler); !error.empty()) return error;
    if (std::string error = ExtractAnalysisModeArgs(args, out.analysis); !error.empty()) return error;
    if (std::string error = ExtractSearchModeArgs(args, out.search); !error.empty()) return error;
    // A mistyped option is answered with the nearest of every mode's.
    return ParsePredictArgs(args, out.predict, OptionNames(PredictOptionTable()));
}
