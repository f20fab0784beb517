#include "uAnalysisModes.h"

#include <memory>

#include "uElementGroups.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uPredictOptions.h"
#include "uRecordOutput.h"
#include "uSearchModes.h"
#include "uSearchOutput.h"

namespace {
// "LOW,HIGH" within lo..hi with LOW below HIGH.
std::string ParsePair(const std::string& option, const std::string& text, double lo, double hi, double& low,
                      double& high) {
    const auto comma = text.find(',');
    double a = 0.0, b = 0.0;
    if (comma == std::string::npos || !ParseArgNumber(text.substr(0, comma), a) ||
        !ParseArgNumber(text.substr(comma + 1), b) || a < lo || b > hi || !(a < b))
        return option + " must be two numbers LOW,HIGH from " + FormatGeneral(lo) + " to " + FormatGeneral(hi) +
               " with LOW below HIGH, not '" + text + "'";
    low = a;
    high = b;
    return {};
}

// The report, or its records as CSV or JSON (ics is refused before a run).
void Output(TOutputFormat format, const TReportLines& report, const TRecordTable& records) {
    if (format == TOutputFormat::kText) {
        PrintReport(report);
        return;
    }
    const std::string text = format == TOutputFormat::kJson ? RecordsJson(records) : RecordsCsv(records);
    std::fwrite(text.data(), 1, text.size(), stdout);
}
}  // namespace

const std::vector<std::string_view>& AnalysisModeOptions() {
    static const TOptionGroup group = TOptionGroup::kAnalysisModes;
    static const std::vector<std::string_view> names = OptionNames(PredictOptionTable(), &group);
    return names;
}

std::string ExtractAnalysisModeArgs(std::vector<std::string>& args, TAnalysisModeArgs& out) {
    std::vector<std::string> rest;
    bool limits = false, transit = false;
    std::string targetText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (PassPredictOption(args, i, rest)) continue;
        const bool hasValue = i + 1 < args.size() && !IsOption(args[i + 1]);
        const std::string value = hasValue ? args[i + 1] : std::string();
        std::string error;
        auto number = [&](double& v, double lo, double hi) {
            if (!ParseArgNumber(value, v) || v < lo || v > hi)
                error = a + " must be a number from " + FormatGeneral(lo) + " to " + FormatGeneral(hi);
        };
        if (a == "--mode" && (value == "visible" || value == "decayed" || value == "analysis-transit")) {
            out.mode = value == "visible"   ? TAnalysisMode::kVisible
                       : value == "decayed" ? TAnalysisMode::kDecayed
                                            : TAnalysisMode::kTransit;
        } else if (a == "--revs" || a == "--az" || a == "--alt") {
            if (!hasValue) return a + " needs LOW,HIGH";
            TAnalysisInputs& l = out.limits;
            error = a == "--revs" ? ParsePair(a, value, 1.0, 18.0, l.minRevs, l.maxRevs)
                    : a == "--az" ? ParsePair(a, value, 0.0, 360.0, l.minAz, l.maxAz)
                                  : ParsePair(a, value, 0.0, 90.0, l.minAlt, l.maxAlt);
            limits = true;
        } else if (a == "--span" || a == "--target-alt") {
            if (!hasValue) return a + " needs a value";
            if (a == "--span") number(out.transit.spanMinutes, 5.0, 24 * 60.0 + 55.0);
            else number(out.transit.minElevation, 5.0, 90.0);
            transit = true;
        } else if ((a == "--sep" || a == "--target") && hasValue) {
            // Shared with the transit mode of the prediction window; ours only
            // with an analysis mode, decided below.
            rest.push_back(a);
            rest.push_back(value);
            ++i;
            continue;
        } else {
            rest.push_back(a);
            continue;
        }
        if (!error.empty()) return error;
        if (hasValue) ++i;
    }
    if (out.mode == TAnalysisMode::kNone) {
        if (limits || transit) return "--revs, --az, --alt, --span and --target-alt need an analysis mode";
        return {};
    }
    if (transit && out.mode != TAnalysisMode::kTransit) return "--span and --target-alt need --mode analysis-transit";
    if (limits && out.mode == TAnalysisMode::kDecayed) return "--revs, --az and --alt do not apply to --mode decayed";
    // The analysis transit takes --target and --sep for itself.
    std::vector<std::string> left;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if ((rest[i] == "--target" || rest[i] == "--sep") && i + 1 < rest.size()) {
            if (out.mode != TAnalysisMode::kTransit) return rest[i] + " needs --mode analysis-transit here";
            if (rest[i] == "--target") {
                out.target = rest[++i];
            } else {
                double v = 0.0;
                if (!ParseArgNumber(rest[++i], v) || v < 15.0 || v > 300.0)
                    return "--sep must be a number from 15 to 300";
                out.transit.separation = v;
            }
            continue;
        }
        left.push_back(rest[i]);
    }
    args = std::move(left);
    return {};
}

int RunAnalysisMode(const TAnalysisModeArgs& mode, const TPredictArgs& args, const std::string& dataFolder,
                    const TPredictionInputs& inputs, const TObserver& observer, const TReportSettings& settings,
                    TSearchControl* control) {
    if (args.tleFile.empty()) {
        PrintMessage("the analysis modes search an element file: give --tle FILE");
        return 2;
    }
    TAnalysisInputs in = mode.limits;
    in.time = inputs.start;
    in.utcMode = inputs.utcMode;
    in.displayOffset = inputs.displayOffset;
    in.magModel = inputs.magModel;
    in.horizon = inputs.horizon;

    TTransitTarget target;
    if (mode.mode == TAnalysisMode::kTransit) {
        if (const std::string error = ParseTargetArg(mode.target, dataFolder, in.time, target); !error.empty()) {
            PrintMessage(error);
            return 2;
        }
    }
    std::vector<TElementEntry> entries;
    std::string warning;
    if (const TStatus read = ReadElementsForSearch(entries, args.tleFile, &warning); !read) {
        PrintMessage(read.message);
        return 1;
    }
    if (!warning.empty()) PrintMessage("warning: " + warning);
    // Several sets of one object (a supplemental file): the one nearest the moment searched.
    entries = SetsNearestEpoch(entries, in.time);

    TSearchRequest request;
    request.threads = args.threads;
    std::unique_ptr<TMagList> mags;
    if (mode.mode == TAnalysisMode::kVisible) {
        TMagFile mag;
        LoadMagFile(dataFolder + "Mag.dat", mag);
        mags = std::make_unique<TMagList>(std::move(mag.lines));
        request.kind = TVisibleRequest{in};
    } else if (mode.mode == TAnalysisMode::kDecayed) {
        request.kind = TDecayedRequest{in};
    } else {
        TAnalysisTransitInputs transit = mode.transit;
        transit.dayAndNight = inputs.dayAndNight;
        request.kind = TAnalysisTransitRequest{in, transit, target};
    }
    const TSearchSatellites satellites{nullptr, &entries, mags.get()};
    const TSearchOutcome outcome = RunSearch(request, satellites, observer, control);
    TOutputSettings output;
    output.report = settings;
    Output(args.format, OutcomeReport(request, outcome, satellites, output),
           OutcomeRecords(request, outcome, satellites, output));
    return FinishReport(outcome.status);
}
