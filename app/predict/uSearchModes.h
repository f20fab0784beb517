// The flare, transit and ground-path modes of orbisk-predict: their options
// and their run, kept apart from the pass-search front end.
#pragma once
#include <string>
#include <vector>

#include "uPassSearch.h"
#include "uPredictArgs.h"
#include "uTargets.h"

enum class TSearchMode { kPasses, kFlares, kTransit, kPath };

struct TSearchModeArgs {
    TSearchMode mode = TSearchMode::kPasses;
    bool dayFlares = false;     // --day-flares
    bool haveMag = false;
    double mag = 0.0;           // --mag, -6..2 (default 0, -5 with --day-flares)
    std::string target = "Sun"; // --target
    double sep = 30.0;          // --sep, arc minutes 5..300
    bool haveTrack = false;
    double track = 25.0;        // --track, distance unit of the options
    std::string kml;            // --kml FILE
};

// Takes this module's options (and "--mode flares|transit|path") out of
// args, leaving the rest for ParsePredictArgs. "" or the reason they are
// wrong.
std::string ExtractSearchModeArgs(std::vector<std::string>& args, TSearchModeArgs& out);

// The Iridium name rule of the Iridium catalogue: no '?' and no upper-case 'T'.
bool IsIridiumCatalogueName(const std::string& name);

// Target of --target: a list entry (case ignored), "radec:HHMMSS,+DDMMSS" or
// "star:NAME" (star.dat in dataFolder, precessed to epoch). "" or a message.
std::string ParseTargetArg(const std::string& text, const std::string& dataFolder, double epoch,
                           TTransitTarget& target);

// Runs the chosen mode and prints its report to stdout (messages to
// stderr). sats: the window's list (MainSat.bin or --tle). Exit status as
// orbisk-predict's: 0 printed, 1 data could not be read or written, 2 bad
// arguments.
int RunSearchMode(const TSearchModeArgs& mode, const TPredictArgs& args,
                  const TPredictionInputs& inputs, const TObserver& observer,
                  const TReportSettings& settings, const std::vector<TSatRec>& sats);

std::string SearchModeUsage();

// orbisk-predict's output: report lines to stdout, "orbisk-predict: <text>"
// to stderr, with control characters replaced (PrintableText).
void PrintReport(const TReportLines& lines);
void PrintMessage(const std::string& text);
