// Values typed on a command line (dates and times, numbers) and what every
// program says about itself, for the window and the command-line programs.
#pragma once
#include <string>
#include <string_view>

// A date and time argument: "YYYY-MM-DD", then ' ' or 'T' and "HH:MM" or
// "HH:MM:SS" (with decimals of a second), then optionally a zone, "Z" or
// "+HH:MM", "+HHMM", "+HH" (or '-'). With a zone the value is UTC.
struct TDateTimeArg {
    double dayNumber = 0.0;
    bool zoned = false;
};
bool ParseDateTimeArg(std::string_view text, TDateTimeArg& out);
// The same for a time that is UTC unless its zone says otherwise.
bool ParseDateTimeArg(std::string_view text, double& utcDayNumber);
// The message for a date argument that does not parse.
std::string DateTimeArgError(const std::string& option, const std::string& text);

// A number argument exactly as typed: no blanks around it, '.' decimals.
bool ParseArgNumber(std::string_view text, double& value);

// "orbisk-predict (Orbisk) 0.1": the first line of --version.
std::string VersionLine(const std::string& program);
// "0.1": the version alone.
std::string ProgramVersion();

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder();
