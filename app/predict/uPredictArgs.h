// Command line of orbisk-predict: parsed into plain values so the parsing is
// testable without running a search.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "uPassSearch.h"

struct TPredictArgs {
    bool help = false;
    bool table = false;           // --mode table
    std::string tleFile;          // --tle: every set of this file instead of MainSat.bin
    std::string dataDir;          // --data
    bool haveSite = false;        // --lat and --lon given
    double latitude = 0.0;        // degrees, north positive
    double longitude = 0.0;       // degrees, east positive
    double heightM = 0.0;         // --height, metres
    bool haveOffset = false;
    double offsetHours = 0.0;     // --utc-offset
    std::string siteName;         // --name
    bool haveStart = false;
    double start = 0.0;           // day number as entered (UTC with --utc, else local)
    bool haveStop = false;
    double stop = 0.0;
    double days = 3.0;            // --days, when --stop is not given
    unsigned threads = 0;         // --threads, 0: one per core
    TPredictionControls controls; // --min-elev, --sun-alt, --min-revs, --step, --all, --day-night, --utc

    TPredictArgs() { controls.utcMode = false; }  // local time unless --utc
};

// "" on success, else a one-line reason for the user. An option's value
// may not itself look like an option ("--name --day-flares" is refused).
std::string ParsePredictArgs(const std::vector<std::string>& args, TPredictArgs& out);
// True for "--anything": never taken as an option's value.
bool IsOption(std::string_view arg);
// True for the options of ParsePredictArgs that take a value.
bool PredictOptionTakesValue(std::string_view arg);

// "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS", "YYYY-MM-DD HH:MM" or
// "YYYY-MM-DD" into a day number; false for anything else or an invalid date.
bool ParseDateTimeArg(std::string_view text, double& dayNumber);

// A number argument exactly as typed: no blanks around it, '.' decimals.
bool ParseArgNumber(std::string_view text, double& value);

std::string PredictUsage();
