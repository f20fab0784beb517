// Fixed-column text reports of the prediction and analysis searches, and the
// paging rule of their printouts. Every line is built with the program's
// formatter (uFormat); times are UTC day numbers plus a display offset.
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uSearchTypes.h"
#include "uStatus.h"
#include "uTargets.h"

using TReportLines = std::vector<std::string>;

// How old the element sets of a search are. Ages are the search start minus
// the epoch, in days (negative for sets newer than the start).
struct TElementAges {
    std::size_t satellites = 0;       // sets counted; 0: no age line
    double youngest = 0.0, oldest = 0.0;
    double newestEpoch = 0.0;         // UTC day number
    std::size_t stale = 0;            // sets used further than kStaleElementDays from their epoch
    double staleNearest = 0.0, staleFurthest = 0.0;  // days from the epoch to the far end of the period
};

// What the header blocks need besides the search's own values; taken as a
// copy so a worker never reads the shared observer or options.
struct TReportSettings {
    std::string observerName;
    double latitude = 0.0;      // rad
    double longitude = 0.0;     // rad, east positive
    double produced = 0.0;      // computer's local clock, day number
    double distanceFactor = 1.0;
    bool metric = true;         // unit word "km", else "mi."
    double displayOffset = 0.0; // days added to UTC when a time is printed
    TElementAges elementAges;   // the header's element-age line, when it counts sets
    std::string horizonLine;    // the header's line for a horizon mask in use ("" none)
};

// "UTC+01:00", "UTC-05:30": a display offset in days, to the minute.
std::string UtcOffsetText(double offsetDays);

// Element sets predict well only near their epoch: a set used further than
// this from it is stale (the reports warn, the window's clock shows a notice).
inline constexpr double kStaleElementDays = 30.0;
// ElementAges of every record of sats that `used(index, record)` accepts, for the period
// start..stop (UTC day numbers); of an object's several sets, each for the
// part of the period it serves (SetSpansByObject), those serving none left out.
TElementAges ElementAges(const std::vector<TSatRec>& sats, double start, double stop,
                         const std::function<bool(std::size_t, const TSatRec&)>& used);
// The warning for stale sets: how many and how far from their epochs; ""
// when none is stale.
std::string StaleElementsWarning(const TElementAges& ages);
// The element date of the flare report: the newest epoch of the sets
// searched, UTC, "yyyy-mm-dd HH:nn:ss (Z)"; "" for no set.
std::string NewestEpochText(const TElementAges& ages);

// Report and satellite headers. Local mode names the offset of the times
// (settings.displayOffset); the element-age line follows the period when
// settings.elementAges counts sets.
void WriteReportHeader(bool utcMode, TReportLines& lines, double start, double stop,
                       const TReportSettings& settings);
void WriteSatelliteHeader(const TSatRec& satellite, TReportLines& lines,
                          const TReportSettings& settings);

// Magnitudes worked out from an unknown standard magnitude are guesses: their
// rows end in the mark, a satellite's block says so under its header and a
// time-ordered list in a last line. The fixed columns stay as they are.
inline constexpr const char* kEstimatedMark = "  est";
inline constexpr const char* kEstimatedBlockLine =
    "  Standard magnitude unknown: its magnitudes are estimates (est)";
inline constexpr const char* kEstimatedFootnote =
    "  est: estimated magnitude, no standard magnitude is known for the satellite";

// Line-mode pass list.
std::string LineColumnHeader(bool sunlitOnly);
// estimated: the satellite's standard magnitude is unknown; a shown
// magnitude gets kEstimatedMark after the last column.
std::string LinePassLine(const TLinePass& pass, double displayOffset, bool estimated = false);

// Tabular pass list.
void WriteTabularPassHeader(TReportLines& lines, long long revolution, bool sunlitOnly);
// sunlitOnly: the "Slt" mark is left empty.
std::string TableRowLine(const TTableRow& row, double displayOffset, bool sunlitOnly, bool estimated = false);

// Iridium flares.
void WriteFlareHeader(TReportLines& lines, const std::string& elementDate, bool utcMode,
                      double start, double stop, const TReportSettings& settings);
// Rows hold km; distanceFactor turns them into the display unit.
std::string FlareRowLine(const TFlareRow& row, double displayOffset, double distanceFactor);

// Transits and ground paths. raDecLines: the epoch and RA/DEC lines of a
// "Ra/Dec" target, empty for every other target.
void WriteTransitTitle(TReportLines& lines, const std::string& targetName);
// The title without its indent: the target's name and " Transit".
std::string TransitTitle(const std::string& targetName);
// The ground-path report's title without its indent: the target's name and " Ground Track".
std::string GroundPathTitle(const std::string& targetName);
std::string TransitColumnHeader();
std::string TransitRowLine(const TTransitRow& row, double displayOffset, double distanceFactor,
                           bool estimated = false);
std::string TransitEpochLine(double start, double displayOffset);     // "MMM dd yyyy HH:nn:ss"
std::string GroundPathEpochLine(double start, double displayOffset);  // two-digit year
std::string RaDecLine(double ra, double dec);                         // radians
std::string GroundPathColumnHeader();
std::string GroundPathRowLine(const TGroundPathRow& row, double displayOffset, double distanceFactor);
inline constexpr const char* kEndOfTrack = "  End of track";

// A pass report in parts, for printing it as a search goes: the period
// header, then each satellite's block (its header and its passes, all of one
// satellite) in list order. LineReport and TabularReport are these parts.
void WritePeriodHeader(TReportLines& lines, const TPredictionInputs& inputs,
                       const TReportSettings& settings);
void WriteLineSatellite(TReportLines& lines, const TSatRec& satellite,
                        std::span<const TLinePass> passes, const TPredictionInputs& inputs,
                        const TReportSettings& settings);
void WriteTabularSatellite(TReportLines& lines, const TSatRec& satellite,
                           std::span<const TTablePass> passes, const TPredictionInputs& inputs,
                           const TReportSettings& settings);

// Whole reports from search results. sats: the list the search was given
// (records hold indexes into it). A report without records says so in a
// line after its headers (NothingFoundLine).
// kByTime lists the passes of all satellites in time order: the line report
// as one list with the satellite's name before each pass, the tabular report
// with the satellite header before each pass of another satellite.
enum class TReportOrder { kBySatellite, kByTime };
TReportLines LineReport(const TPredictionResult& result, const std::vector<TSatRec>& sats,
                        const TPredictionInputs& inputs, const TReportSettings& settings,
                        TReportOrder order = TReportOrder::kBySatellite);
TReportLines TabularReport(const TPredictionResult& result, const std::vector<TSatRec>& sats,
                           const TPredictionInputs& inputs, const TReportSettings& settings,
                           TReportOrder order = TReportOrder::kBySatellite);
// "  No passes found: 12 satellites searched." (what: "passes", "flares" ...).
std::string NothingFoundLine(const std::string& what, const TSearchStatus& status);
// Width of the satellite column of the time-ordered line report (its indent
// and the name; a blank follows).
inline constexpr std::size_t kSatelliteColumnWidth = 22;
TReportLines FlareReport(const TFlareResult& result, const TFlareInputs& inputs,
                         const TReportSettings& settings);
TReportLines TransitReport(const TTransitResult& result, const std::vector<TSatRec>& sats,
                           const TTransitTarget& target, const TPredictionInputs& inputs,
                           const TReportSettings& settings);
TReportLines GroundPathReport(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                              const TTransitTarget& target, const TPredictionInputs& inputs,
                              const TReportSettings& settings);
// Puts flares in report order: their rows sorted as text, ignoring case (so
// by date within one year).
void SortFlaresForReport(std::vector<TFlare>& flares, double displayOffset);

// Analysis lists.
std::string DecayColumnLine();
std::string DecayTitle(const TSatRec& satellite);      // stripped
std::string VisibleTitle(const TSatRec& satellite);    // not stripped
std::string DecayRowLine(const TSatRec& satellite, double decayDate, double displayOffset,
                         double distanceFactor);
std::string VisibleSunLine(double sunElevation);
std::string VisibleColumnLine();
struct TVisibleRow {
    std::string title;
    double azimuth = 0, elevation = 0, magnitude = 0, range = 0, height = 0;  // degrees, km
    bool sunlit = false;
    bool estimated = false;  // no standard magnitude known: the magnitude is a guess
};
std::string VisibleRowLine(const TVisibleRow& row, double distanceFactor);

// Title of a pass record: name and " - " cut to 23 characters, then the
// catalogue number, the whole cut to 28. With fullNumber (places with room,
// such as KML) an Alpha-5 number is shown as its six digits and nothing is cut.
std::string PassTitle(const TSatRec& satellite, bool fullNumber = false);

// Saves a report as plain text, one line per report line, replacing the
// file atomically. An ioError with the reason when it cannot be written (the
// old file stays).
TStatus SaveReport(const std::string& path, const TReportLines& lines);

// Printing. The print dialog counts 55-line pages; the printer puts 61 lines
// on a sheet (rows 2 to 62, 100 units apart, at x = 40).
inline constexpr std::size_t kDialogPageLines = 55;
inline constexpr std::size_t kSheetLines = 61;
std::size_t PrintPageCount(std::size_t lineCount);
struct TPrintRange {
    std::size_t first = 0;  // index of the first line printed
    std::size_t count = 0;  // lines printed
};
// allPages: the whole report; otherwise dialog pages fromPage..toPage
// (1-based), bounded by the report. An inverted or empty range prints nothing.
TPrintRange PrintLineRange(std::size_t lineCount, bool allPages, int fromPage, int toPage);
struct TPrintPlace {
    std::size_t sheet = 0;  // 0-based sheet of the printout
    int x = 40;
    int y = 200;
};
// Where the n-th printed line (0-based within the printed range) goes.
TPrintPlace PrintPlace(std::size_t n);
