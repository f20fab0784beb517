// The modes of orbisk-predict (passes as lines or a table, flares, transits,
// ground paths, the satellite list): their options, their run and their
// output as a report, CSV or JSON.
#pragma once
#include <string>
#include <string_view>
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
// The options ExtractSearchModeArgs takes.
const std::vector<std::string_view>& SearchModeOptions();

// The Iridium name rule of the Iridium catalogue: no '?' and no upper-case 'T'.
bool IsIridiumCatalogueName(const std::string& name);

// Target of --target: a list entry (case ignored), "radec:HHMMSS,+DDMMSS" or
// "star:NAME" (star.dat in dataFolder, precessed to epoch). "" or a message.
std::string ParseTargetArg(const std::string& text, const std::string& dataFolder, double epoch,
                           TTransitTarget& target);

// Narrows list to the satellites --sat names, each selected, in list order:
// by catalogue number, else by whole name, else by the first words of the
// name (case ignored). A word that picks several is told in *notes; one
// that picks none is an error naming source.
bool PickSatellites(std::vector<TSatRec>& list, const std::vector<std::string>& wanted,
                    const std::string& source, std::string& error, std::vector<std::string>* notes = nullptr);

// Exit status of a search stopped by the user (as a shell reports SIGINT).
inline constexpr int kInterruptedStatus = 130;

// Runs the chosen mode (or --list) and writes its output to stdout in the
// format of args (messages to stderr: stale elements, satellites skipped
// for their revolutions, the KML outcome). sats: the window's list
// (MainSat.bin or --tle), read from source; dataFolder: where IridSat.bin and
// star.dat are. settings: the report's, without element ages (added here).
// control (may be null): cancel and progress. Exit status: 0 printed (also
// when nothing was found), 1 data could not be read, a file not written or
// the search failed,
// 2 bad arguments, kInterruptedStatus when cancelled (what was found is
// printed; no KML is written).
int RunSearchMode(const TSearchModeArgs& mode, const TPredictArgs& args, const std::string& dataFolder,
                  const TPredictionInputs& inputs, const TObserver& observer, TReportSettings settings,
                  std::vector<TSatRec> sats, const std::string& source, TSearchControl* control = nullptr);

// After the output: 1 when stdout failed or the search failed (the reason
// on stderr), else kInterruptedStatus (with a note on stderr) when the
// search was cut short, else 0.
int FinishReport(const TSearchStatus& status);

// orbisk-predict's output: report lines to stdout in UTF-8, "orbisk-predict:
// <text>" to stderr, with control characters replaced (PrintableText).
void PrintReport(const TReportLines& lines);
void PrintMessage(const std::string& text);
