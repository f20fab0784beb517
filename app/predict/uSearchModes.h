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

// Exit status of a search stopped by the user (as a shell reports SIGINT).
inline constexpr int kInterruptedStatus = 130;

// Runs the chosen mode and prints its report to stdout (messages to
// stderr). sats: the window's list (MainSat.bin or --tle); dataFolder: where
// IridSat.bin and star.dat are. control (may be
// null): cancel and progress. Exit status as orbisk-predict's: 0 printed,
// 1 data could not be read or written, 2 bad arguments, kInterruptedStatus
// when cancelled (what was found is printed; no KML is written).
int RunSearchMode(const TSearchModeArgs& mode, const TPredictArgs& args,
                  const std::string& dataFolder, const TPredictionInputs& inputs,
                  const TObserver& observer, const TReportSettings& settings,
                  const std::vector<TSatRec>& sats, TSearchControl* control = nullptr);

// After PrintReport: 1 when stdout failed, else kInterruptedStatus (with a
// note on stderr) when the search was cut short, else 0.
int FinishReport(const TSearchStatus& status);

std::string SearchModeUsage();

// orbisk-predict's output: report lines to stdout, "orbisk-predict: <text>"
// to stderr, with control characters replaced (PrintableText).
void PrintReport(const TReportLines& lines);
void PrintMessage(const std::string& text);
