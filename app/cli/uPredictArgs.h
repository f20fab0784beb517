// Command line of orbisk-predict: parsed into plain values so the parsing is
// testable without running a search.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "uArgValues.h"
#include "uMagImport.h"
#include "uPassSearch.h"

// How results are written: the fixed-column report, or one record per line
// (CSV with a header row) or per object (JSON), or one calendar event per
// pass, flare or transit (iCalendar), from the result records.
enum class TOutputFormat { kText, kCsv, kJson, kIcs };

struct TPredictArgs {
    bool help = false;
    bool version = false;         // --version
    bool table = false;           // --mode table
    std::string tleFile;          // --tle: every set of this file instead of MainSat.bin
    std::string dataDir;          // --data
    std::string horizonFile;      // --horizon: a horizon mask file
    bool haveSite = false;        // --lat and --lon given
    double latitude = 0.0;        // degrees, north positive
    double longitude = 0.0;       // degrees, east positive
    double heightM = 0.0;         // --height, metres
    bool haveOffset = false;
    double offsetHours = 0.0;     // --utc-offset
    std::string zone;             // --tz: an IANA zone name
    std::string siteName;         // --name
    bool haveStart = false;
    double start = 0.0;           // day number as entered (UTC with --utc, else local) ...
    bool startIsUtc = false;      // ... or UTC when the date named its zone
    bool haveStop = false;
    double stop = 0.0;
    bool stopIsUtc = false;
    double days = 3.0;            // --days, when --stop is not given
    unsigned threads = 0;         // --threads, 0: one per core
    std::vector<std::string> sats;  // --sat NAME|NUMBER, repeatable
    bool list = false;            // --list
    bool byTime = false;          // --sort time
    TOutputFormat format = TOutputFormat::kText;  // --format
    int icsAlarm = -1;            // --alarm MIN: a calendar reminder this long before each event
    TPredictionControls controls; // --min-elev, --sun-alt, --min-revs, --step, --all, --day-night, --utc
    bool havePhase = false;
    TPhaseModel phase = TPhaseModel::kFraction;  // --phase fraction|lambert
    double extinction = -1.0;     // --extinction K (0: off); below 0: the options file's
    std::string importMagnitudes; // --import-magnitudes FILE: merge into the data folder's Mag.dat and stop
    TMagImportKind importKind = TMagImportKind::kNone;  // --import-kind; kNone: from the file

    TPredictArgs() { controls.utcMode = false; }  // local time unless --utc
};

// "" on success, else a one-line reason for the user. An option's value
// may not itself look like an option ("--name --day-flares" is refused).
// An unknown option is answered with the nearest of the options of this
// parser and of otherOptions ("did you mean --lat?").
std::string ParsePredictArgs(const std::vector<std::string>& args, TPredictArgs& out,
                             const std::vector<std::string_view>& otherOptions = {});
// True for "--anything": never taken as an option's value.
bool IsOption(std::string_view arg);
// True for the options of ParsePredictArgs that take a value.
bool PredictOptionTakesValue(std::string_view arg);
// For the mode parsers that run before ParsePredictArgs: when args[i] is one
// of its options with a value (other than "--mode", which they share), moves
// it and its value to rest, leaves i on the value and returns true, so that
// another option's value is never read as one of theirs.
bool PassPredictOption(const std::vector<std::string>& args, std::size_t& i, std::vector<std::string>& rest);
// Every option ParsePredictArgs knows.
const std::vector<std::string_view>& PredictOptions();

// "--opt=value" as "--opt" "value"; everything else as it is.
std::vector<std::string> SplitOptionValues(const std::vector<std::string>& args);

// "unknown argument 'X'", with "; did you mean --Y?" when one of known is
// near: a prefix of it ("--latitude" for "--lat") or at most two edits away.
std::string UnknownOptionMessage(std::string_view typed, const std::vector<std::string_view>& known);

// The magnitude model of the options file with --phase and --extinction
// put over it.
TMagModel PredictMagModel(const TPredictArgs& args, const TMagModel& fromOptions);

// The whole --help of orbisk-predict, every mode included (uPredictOptions).
std::string PredictUsage();
