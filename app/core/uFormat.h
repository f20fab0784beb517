// Text formatting for reports, readouts and captions, independent of the
// process locale: '.' is always the decimal point, ',' the thousands
// separator, month names are English. Texts are 8-bit (Latin-1) bytes; the
// degree sign is the single byte 0xB0 (kDegree).
//
// Rounding: a double is first taken to 15 significant decimal digits (so
// 0.15, 2.675 and 1.005 behave as written, not as their binary neighbours),
// then rounded half away from zero to the requested decimals.
//
// 1. Argument patterns: FormatArgs("%0:-16s%1:5.1f", {name, elevation})
//      %[index:][-][width][.precision]type
//    index   argument number followed by ':'; without it (or with an empty
//            one, "%:0s") the argument after the previous one is taken.
//            Digits NOT followed by ':' are a width: "%3d" is width 3.
//    -       left-align (right by default); width is a minimum, never cuts.
//    .prec   f/n: decimals (default 2); s: at most prec characters;
//            d/x: at least prec digits, zero-padded.
//    type    s text, d integer, f fixed, n fixed with ',' thousands,
//            g shortest general, x hexadecimal (upper case), %% a percent sign.
//    Mixed kinds are converted rather than refused: a number given to %s is
//    printed in the shortest general form, a double given to %d is rounded,
//    an integer given to %f is widened. A missing argument prints nothing.
//
// 2. Number patterns: FormatFloat("##0.0000", value)
//    '0' digit always shown, '#' digit shown only when significant, '.' the
//    decimal point (decimals = digit marks after it; '#' decimals drop
//    trailing zeros), ',' between integer marks turns on thousands groups,
//    text in '...' or "..." and every other character is copied. Digits
//    beyond the integer marks are printed whole; the minus sign goes before
//    the first digit; a result that rounds to zero has no sign.
//    Example: FormatFloat(" Az: 000", -5.4) == " Az: -005";
//             FormatFloat("# Days", 0.2) == " Days".
//
// 3. Date patterns: FormatDateTime("MMM dd yyyy HH:nn:ss", dayNumber)
//    Letters are case-insensitive. yyyy / yy year; m, mm month (minutes when
//    directly after an hour field, separators in between allowed: "hh:mm");
//    mmm month abbreviation ("Jan"), mmmm full month name; d, dd day;
//    ddd, dddd day of week; h, hh hour 0-23; n, nn minute; s, ss second;
//    z, zzz millisecond; text in quotes and any other character is copied.
//    The time is taken to the nearest millisecond and then truncated, so
//    12:00:59.9996 prints as 12:01:00 but 12:00:59.6 as 12:00:59.
//    A day number that is not finite or outside years 1..9999 gives "".
//
// Day numbers count days since 1899-12-30 00:00 (UTC inside computations);
// Julian date = day number + 2415018.5. Calendars are proleptic Gregorian.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "uUnits.h"

inline constexpr char kDegree = '\xB0';

// One argument of FormatArgs: text, integer or double.
struct FmtArg {
    enum class Kind : uint8_t { Text, Int, Float };
    Kind kind;
    std::string_view text;
    int64_t i = 0;
    double f = 0.0;

    FmtArg(std::string_view s) : kind(Kind::Text), text(s) {}
    FmtArg(const char* s) : kind(Kind::Text), text(s ? s : "") {}
    FmtArg(const std::string& s) : kind(Kind::Text), text(s) {}
    FmtArg(int v) : kind(Kind::Int), i(v) {}
    FmtArg(unsigned v) : kind(Kind::Int), i(v) {}
    FmtArg(long v) : kind(Kind::Int), i(v) {}
    FmtArg(long long v) : kind(Kind::Int), i(v) {}
    FmtArg(unsigned long v) : kind(Kind::Int), i(static_cast<int64_t>(v)) {}
    FmtArg(double v) : kind(Kind::Float), f(v) {}
    FmtArg(float v) : kind(Kind::Float), f(v) {}
};

// The arguments are only borrowed: pass texts that outlive the call.
std::string FormatArgs(std::string_view pattern, std::initializer_list<FmtArg> args);
std::string FormatArgs(std::string_view pattern, std::span<const FmtArg> args);

std::string FormatFloat(std::string_view pattern, double value);
std::string FormatDateTime(std::string_view pattern, double dayNumber);

// Fixed notation with `decimals` decimals after rounding to `precision`
// significant digits (precision 4, 2 decimals: 95.3456 -> "95.35",
// 1436.12 -> "1436.00"). Integer digits beyond the precision are kept.
std::string FloatToStrFixed(double value, int precision, int decimals);

// Shortest general form with up to 15 significant digits: no trailing
// zeros, no point for whole numbers ("-5", "0.05", "2"), exponent form
// "1.5E-7" / "1E20" below 1e-5 or from 1e15 up.
std::string FormatGeneral(double value);

// Text as a terminal may show it: control characters (C0, DEL and the C1
// range of 8-bit text) become '?', so a name or path from a file cannot
// move the cursor or change the terminal.
std::string PrintableText(std::string_view text);

// Program text (8-bit Latin-1) as UTF-8, for files and streams that other
// programs read as UTF-8 (CSV, JSON, a UTF-8 terminal).
std::string Latin1ToUtf8(std::string_view latin1);

// Appends Latin1ToUtf8(PrintableText(text)) to out, without the two copies.
void AppendPrintableUtf8(std::string& out, std::string_view text);

// Calendar <-> day number.
struct TDateParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
    int dayOfWeek = 6;  // 0 Sunday .. 6 Saturday
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12
// False (and *dayNumber untouched) when a field is out of range.
bool TryEncodeDayNumber(int year, int month, int day, int hour, int minute, int second, int msec,
                        double* dayNumber);
// Out-of-range fields are not checked: day 0 or hour 25 simply carry over.
double EncodeDayNumber(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                       int msec = 0);
// False for a day number that is not finite or outside years 1..9999.
bool DecodeDayNumber(double dayNumber, TDateParts* parts);

inline double JulianToDayNumber(double jd) { return jd - kJulianOffset; }
inline double DayNumberToJulian(double dn) { return dn + kJulianOffset; }

// "Jan".."Dec" for 1..12, "" otherwise.
std::string_view ShortMonthName(int month);
