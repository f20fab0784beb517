// The analysis modes of orbisk-predict (visible, decayed, analysis-transit):
// their options and their run over a whole element file.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "uAnalysis.h"
#include "uPredictArgs.h"

enum class TAnalysisMode { kNone, kVisible, kDecayed, kTransit };

struct TAnalysisModeArgs {
    TAnalysisMode mode = TAnalysisMode::kNone;
    TAnalysisInputs limits;            // --revs, --az, --alt (time and offset set later)
    TAnalysisTransitInputs transit;    // --span, --sep, --target-alt
    std::string target = "Sun";        // --target
};

// Takes "--mode visible|decayed|analysis-transit" and the options of these
// modes out of args, leaving the rest for the other front ends. "" or the
// reason they are wrong.
std::string ExtractAnalysisModeArgs(std::vector<std::string>& args, TAnalysisModeArgs& out);
// The options of these modes, for suggestions on a mistyped one.
const std::vector<std::string_view>& AnalysisModeOptions();

// Runs the mode on every set of args.tleFile at the search start of inputs
// and prints the report; exit status as orbisk-predict's.
int RunAnalysisMode(const TAnalysisModeArgs& mode, const TPredictArgs& args, const std::string& dataFolder,
                    const TPredictionInputs& inputs, const TObserver& observer, const TReportSettings& settings,
                    TSearchControl* control = nullptr);
