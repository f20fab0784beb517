// Search results as records for other programs: one CSV line (after a header
// row) or one JSON object per pass, table row, flare, transit or path point,
// built from the result records (never from the report text). Field names
// carry their unit ("elevation_deg", "range_km"); times are ISO 8601 UTC to
// the second, as the reports show them; texts are UTF-8.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "uAnalysis.h"
#include "uReport.h"
#include "uTargets.h"

// One value of a record.
struct TCell {
    enum class Kind { kNone, kNumber, kInteger, kText, kBool, kTime };
    Kind kind = Kind::kNone;
    double number = 0.0;   // kNumber; kTime: UTC day number
    int decimals = 0;      // kNumber
    long long integer = 0;
    std::string text;      // kText, program text (Latin-1)
    bool flag = false;

    static TCell None() { return {}; }
    static TCell Number(double v, int decimals);
    static TCell Integer(long long v);
    static TCell Text(std::string v);
    static TCell Bool(bool v);
    static TCell Time(double utcDayNumber);
};

struct TRecordTable {
    std::string arrayName;                 // the JSON array: "passes", "rows", ...
    std::vector<std::string> columns;      // field names with their units
    std::vector<std::vector<TCell>> rows;  // one value per column
    // What the search was (JSON only, before the records): program, mode,
    // observer, period, counts.
    std::vector<std::pair<std::string, TCell>> about;
};

std::string RecordsCsv(const TRecordTable& table);
std::string RecordsJson(const TRecordTable& table);

// What every search's "about" holds: the program, the mode, the observer,
// the period (UTC), the offset local reports would use, the distance unit
// and how much was searched.
std::vector<std::pair<std::string, TCell>> SearchAbout(const std::string& mode, const TPredictionInputs& inputs,
                                                       const TReportSettings& settings, const TSearchStatus& status);

// The records of each search. byTime: passes (and their rows), transits
// and paths in time order instead of grouped by satellite. Distances are in
// the report's unit (settings: "km" or "mi" in the field name).
TRecordTable LinePassRecords(const TPredictionResult& result, const std::vector<TSatRec>& sats, bool byTime);
// A record's cells one at a time with its texts lent, so that rows packed
// where they are made need no cells of their own.
class TCellWriter {
public:
    virtual void Text(std::string_view text) = 0;
    virtual void Value(const TCell& cell) = 0;  // any kind but a text
    virtual void EndRow() = 0;

protected:
    ~TCellWriter() = default;
};
// The rows of LinePassRecords and TablePassRecords, in the passes' order.
void WriteLinePassRows(std::span<const TLinePass> passes, const std::vector<TSatRec>& sats, TCellWriter& out);
void WriteTablePassRows(std::span<const TTablePass> passes, const std::vector<TSatRec>& sats, TCellWriter& out);
TRecordTable TablePassRecords(const TPredictionResult& result, const std::vector<TSatRec>& sats, bool byTime);
TRecordTable FlareRecords(const TFlareResult& result, const std::vector<TSatRec>& iridium,
                          const TReportSettings& settings);
TRecordTable TransitRecords(const TTransitResult& result, const std::vector<TSatRec>& sats,
                            const TReportSettings& settings, bool byTime);
TRecordTable GroundPathRecords(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                               const TReportSettings& settings, bool byTime);
// The analysis searches: what is up now (entries: the searched ones),
// what has decayed, and transits within a span.
TRecordTable VisibleRecords(const TVisibleResult& result, const std::vector<TElementEntry>& entries,
                            const TReportSettings& settings);
TRecordTable DecayedRecords(const TDecayedResult& result, const TReportSettings& settings);
TRecordTable AnalysisTransitRecords(const TAnalysisTransitResult& result, const TReportSettings& settings);
// What a catalogue or element file holds, and which of it is selected.
TRecordTable SatelliteRecords(const std::vector<TSatRec>& sats, const TChoice& selected);
// The same as a text list, one line per satellite.
TReportLines SatelliteListReport(const std::vector<TSatRec>& sats, const TChoice& selected,
                                 const TReportSettings& settings);
