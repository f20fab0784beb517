// Pass alert rules: which satellites, which passes, how long before AOS to
// tell, and what to run at AOS and LOS. Kept in a text file of their own in
// the data folder ("AlertRules.txt"), one "[rule]" section per rule with
// "key = value" lines, written atomically.
#pragma once
#include <string>
#include <vector>

#include "uStatus.h"

inline constexpr const char* kAlertRulesFile = "AlertRules.txt";

enum class TAlertSatellites { kTracked, kList, kFile };

struct TAlertRule {
    std::string name = "Passes";
    bool enabled = true;
    TAlertSatellites satellites = TAlertSatellites::kTracked;
    std::vector<std::string> numbers;  // kList: catalogue numbers
    std::string file;                  // kFile: an element file (relative: to the data folder)
    double minElevation = 10.0;        // degrees: AOS and LOS are taken here
    double minMaxElevation = 30.0;     // degrees: lower passes are not told
    bool haveMagnitude = false;
    double brighterThan = 0.0;         // only passes brighter (smaller) than this
    bool visibleOnly = true;           // sunlit satellite, Sun below sunAltitude
    double sunAltitude = -6.0;         // degrees
    std::vector<int> leadMinutes = {10, 1};  // notifications before AOS; 0 = at AOS
    // Programs with their arguments, started directly (no shell); empty: none.
    std::vector<std::string> aosProgram, losProgram;
    int actionLeadMinutes = -1;        // also run aosProgram this long before AOS; -1: not
    int actionTimeoutSeconds = 30;     // a program still running then is stopped
};

// Limits of the values a rule may hold.
inline constexpr int kMaxLeadMinutes = 24 * 60;
inline constexpr int kMaxLeads = 8;
inline constexpr int kMaxActionTimeout = 3600;

struct TAlertRulesRead {
    std::vector<TAlertRule> rules;
    // One line per problem: "line 7: unknown key 'colour'" and the like.
    // A rule with a bad value is left out, the others are kept.
    std::vector<std::string> problems;
    bool readable = true;  // false: the file is there but could not be read
};

TAlertRulesRead ParseAlertRules(const std::string& text);
// A missing file is no rules and no problem.
TAlertRulesRead ReadAlertRules(const std::string& path);
std::string AlertRulesText(const std::vector<TAlertRule>& rules);
// Written atomically (WriteFileAtomic's status).
TStatus WriteAlertRules(const std::string& path, const std::vector<TAlertRule>& rules);

// A program and its arguments as one line: words split at blanks, "..."
// groups a word, a backslash takes the next character as it is. Invalid
// ("a quote is not closed", words untouched) for an unclosed quote.
TStatus SplitCommandLine(const std::string& text, std::vector<std::string>& words);
// The inverse: words quoted where they need it, so SplitCommandLine gives them back.
std::string JoinCommandLine(const std::vector<std::string>& words);

// What a rule's satellites are, for a table ("tracked", "25544 43205", "file visual.txt").
std::string AlertSatellitesText(const TAlertRule& rule);
// "10 1" and back; false for anything but up to kMaxLeads whole minutes 0..kMaxLeadMinutes.
std::string LeadsText(const std::vector<int>& leads);
bool ParseLeads(const std::string& text, std::vector<int>& leads);
