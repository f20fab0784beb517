#include "uRecordOutput.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "uCatNumber.h"
#include "uFormat.h"
#include "uMagFile.h"
#include "uText.h"
#include "uVarDef.h"

namespace {
// Decimals of the values: finer than the reports print, so a reader can
// round them as the report does.
constexpr int kAngle = 3;       // degrees
constexpr int kMagnitude = 2;
constexpr int kDistance = 3;    // km or mi
constexpr int kCoordinate = 5;  // degrees of latitude and longitude

std::string IsoTime(double utc) { return FormatDateTime("yyyy-mm-dd'T'HH:nn:ss'Z'", utc); }

// A number in plain decimal notation, locale-free; non-finite values have
// no number form and are written as empty (CSV) or null (JSON).
std::string NumberText(const TCell& cell) {
    if (!std::isfinite(cell.number)) return {};
    return FormatArgs("%0:." + std::to_string(cell.decimals) + "f", {cell.number});
}

std::string CsvField(const TCell& cell) {
    switch (cell.kind) {
        case TCell::Kind::kNone: return {};
        case TCell::Kind::kNumber: return NumberText(cell);
        case TCell::Kind::kInteger: return std::to_string(cell.integer);
        case TCell::Kind::kBool: return cell.flag ? "true" : "false";
        case TCell::Kind::kTime: return IsoTime(cell.number);
        case TCell::Kind::kText: break;
    }
    const std::string text = Latin1ToUtf8(cell.text);
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string JsonString(const std::string& latin1) {
    std::string out = "\"";
    for (const char c : Latin1ToUtf8(latin1)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += FormatArgs("\\u%0:.4x", {static_cast<int>(u)});
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonValue(const TCell& cell) {
    switch (cell.kind) {
        case TCell::Kind::kNone: return "null";
        case TCell::Kind::kNumber: {
            const std::string n = NumberText(cell);
            return n.empty() ? "null" : n;
        }
        case TCell::Kind::kInteger: return std::to_string(cell.integer);
        case TCell::Kind::kBool: return cell.flag ? "true" : "false";
        case TCell::Kind::kTime: return JsonString(IsoTime(cell.number));
        case TCell::Kind::kText: break;
    }
    return JsonString(cell.text);
}

std::string UnitSuffix(const TReportSettings& settings) { return settings.metric ? "_km" : "_mi"; }

// The satellite columns that start most records.
void AddSatellite(std::vector<TCell>& row, const TSatRec& sat) {
    row.push_back(TCell::Text(std::string(TrimText(sat.name.view()))));
    row.push_back(TCell::Text(CatalogueNumberText(TrimText(sat.catNo.view()))));
}

// Indexes of records in time order (stable) or as they are.
template <typename Record, typename Time>
std::vector<std::size_t> Order(const std::vector<Record>& records, bool byTime, Time time) {
    std::vector<std::size_t> order(records.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (byTime)
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return time(records[a]) < time(records[b]); });
    return order;
}

const char* ShadowKind(TShadowNote note) {
    switch (note) {
        case TShadowNote::kSunlit: return "sunlit";
        case TShadowNote::kShadowed: return "shadow";
        case TShadowNote::kEntersShadow: return "enters_shadow";
        case TShadowNote::kLeavesShadow: return "leaves_shadow";
        case TShadowNote::kNone: break;
    }
    return "";
}
}  // namespace

TCell TCell::Number(double v, int decimals) {
    TCell c;
    c.kind = Kind::kNumber;
    c.number = v;
    c.decimals = decimals;
    return c;
}
TCell TCell::Integer(long long v) {
    TCell c;
    c.kind = Kind::kInteger;
    c.integer = v;
    return c;
}
TCell TCell::Text(std::string v) {
    TCell c;
    c.kind = Kind::kText;
    c.text = std::move(v);
    return c;
}
TCell TCell::Bool(bool v) {
    TCell c;
    c.kind = Kind::kBool;
    c.flag = v;
    return c;
}
TCell TCell::Time(double utcDayNumber) {
    TCell c;
    c.kind = Kind::kTime;
    c.number = utcDayNumber;
    return c;
}

std::string RecordsCsv(const TRecordTable& table) {
    std::string out;
    auto line = [&out](const auto& fields, auto text) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) out += ',';
            out += text(fields[i]);
        }
        out += '\n';
    };
    line(table.columns, [](const std::string& name) { return name; });
    for (const std::vector<TCell>& row : table.rows) line(row, CsvField);
    return out;
}

std::string RecordsJson(const TRecordTable& table) {
    std::string out = "{\n";
    for (const auto& [key, value] : table.about) out += "  " + JsonString(key) + ": " + JsonValue(value) + ",\n";
    out += "  " + JsonString(table.arrayName) + ": [";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        out += r ? ",\n    {" : "\n    {";
        for (std::size_t i = 0; i < table.columns.size() && i < table.rows[r].size(); ++i) {
            if (i) out += ", ";
            out += JsonString(table.columns[i]) + ": " + JsonValue(table.rows[r][i]);
        }
        out += "}";
    }
    out += table.rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::vector<std::pair<std::string, TCell>> SearchAbout(const std::string& mode, const TPredictionInputs& inputs,
                                                       const TReportSettings& settings, const TSearchStatus& status) {
    return {{"program", TCell::Text("orbisk-predict")},
            {"mode", TCell::Text(mode)},
            {"observer", TCell::Text(settings.observerName)},
            {"latitude_deg", TCell::Number(Degrees(settings.latitude), kCoordinate)},
            {"longitude_deg", TCell::Number(Degrees(settings.longitude), kCoordinate)},
            {"start", TCell::Time(inputs.start)},
            {"stop", TCell::Time(inputs.stop)},
            {"local_utc_offset_min", TCell::Integer(std::lround(inputs.displayOffset * 1440.0))},
            {"distance_unit", TCell::Text(settings.metric ? "km" : "mi")},
            {"satellites_searched", TCell::Integer(static_cast<long long>(status.satellitesDone))},
            {"complete", TCell::Bool(!status.cutShort)}};
}

namespace {
// A satellite in the Earth's shadow has no brightness: no value, as the
// report leaves the column blank. Nor has one whose standard magnitude is
// unknown: a guess is not given as a figure.
TCell MagnitudeCell(double magnitude, bool lit) {
    return lit ? TCell::Number(magnitude, kMagnitude) : TCell::None();
}
}  // namespace

namespace {
void WriteSatellite(const TSatRec& sat, TCellWriter& out) {
    out.Text(TrimText(sat.name.view()));
    out.Text(CatalogueNumberText(TrimText(sat.catNo.view())));
}

void WriteLinePass(const TLinePass& p, const TSatRec& sat, TCellWriter& out) {
    WriteSatellite(sat, out);
    for (const TCell& c : {TCell::Time(p.aos), TCell::Number(p.aosElevation, kAngle),
                           TCell::Number(p.aosAzimuth, kAngle), TCell::Time(p.middle),
                           TCell::Number(p.maxElevation, kAngle), TCell::Number(p.maxAzimuth, kAngle),
                           MagnitudeCell(p.magnitude, !p.shadowed && SatMagnitudeKnown(sat)), TCell::Time(p.los),
                           TCell::Number(p.losElevation, kAngle), TCell::Number(p.losAzimuth, kAngle),
                           TCell::Number(p.seconds, 0)})
        out.Value(c);
    if (p.shadow == TShadowNote::kNone)
        out.Value(TCell::None());
    else
        out.Text(ShadowKind(p.shadow));
    const bool timed = p.shadow == TShadowNote::kEntersShadow || p.shadow == TShadowNote::kLeavesShadow;
    out.Value(timed ? TCell::Time(p.shadowTime) : TCell::None());
    out.EndRow();
}

void WriteTablePass(const TTablePass& pass, const TSatRec& sat, TCellWriter& out) {
    const bool known = SatMagnitudeKnown(sat);
    for (const TTableRow& r : pass.rows) {
        WriteSatellite(sat, out);
        for (const TCell& c : {TCell::Integer(pass.revolution), TCell::Time(r.t), TCell::Number(r.elevation, kAngle),
                               TCell::Number(r.azimuth, kAngle), MagnitudeCell(r.magnitude, !r.shadowed && known),
                               TCell::Bool(r.sunlit), TCell::Number(r.range, kDistance)})
            out.Value(c);
        out.EndRow();
    }
}

// Into a table's rows.
class TRowWriter final : public TCellWriter {
public:
    explicit TRowWriter(std::vector<std::vector<TCell>>& rows) : Rows(rows) {}
    void Text(std::string_view text) override { Row.push_back(TCell::Text(std::string(text))); }
    void Value(const TCell& cell) override { Row.push_back(cell); }
    void EndRow() override { Rows.push_back(std::exchange(Row, {})); }

private:
    std::vector<std::vector<TCell>>& Rows;
    std::vector<TCell> Row;
};
}  // namespace

void WriteLinePassRows(std::span<const TLinePass> passes, const std::vector<TSatRec>& sats, TCellWriter& out) {
    for (const TLinePass& p : passes) WriteLinePass(p, sats[p.satellite], out);
}

void WriteTablePassRows(std::span<const TTablePass> passes, const std::vector<TSatRec>& sats, TCellWriter& out) {
    for (const TTablePass& p : passes) WriteTablePass(p, sats[p.satellite], out);
}

TRecordTable LinePassRecords(const TPredictionResult& result, const std::vector<TSatRec>& sats, bool byTime) {
    TRecordTable t;
    t.arrayName = "passes";
    t.columns = {"satellite",         "catalogue_number", "aos_time",        "aos_elevation_deg",
                 "aos_azimuth_deg",   "max_time",         "max_elevation_deg", "max_azimuth_deg",
                 "max_magnitude",     "los_time",         "los_elevation_deg", "los_azimuth_deg",
                 "duration_s",        "shadow",           "shadow_time"};
    const auto& passes = result.linePasses;
    TRowWriter out(t.rows);
    for (std::size_t i : Order(passes, byTime, [](const TLinePass& p) { return p.aos; }))
        WriteLinePass(passes[i], sats[passes[i].satellite], out);
    return t;
}

TRecordTable TablePassRecords(const TPredictionResult& result, const std::vector<TSatRec>& sats, bool byTime) {
    TRecordTable t;
    t.arrayName = "rows";
    t.columns = {"satellite", "catalogue_number", "revolution", "time", "elevation_deg",
                 "azimuth_deg", "magnitude", "sunlit", "range_km"};
    const auto& passes = result.tablePasses;
    TRowWriter out(t.rows);
    for (std::size_t i :
         Order(passes, byTime, [](const TTablePass& p) { return p.rows.empty() ? 0.0 : p.rows.front().t; }))
        WriteTablePass(passes[i], sats[passes[i].satellite], out);
    return t;
}

TRecordTable FlareRecords(const TFlareResult& result, const std::vector<TSatRec>& iridium,
                          const TReportSettings& settings) {
    TRecordTable t;
    t.arrayName = "flares";
    const std::string unit = UnitSuffix(settings);
    t.columns = {"satellite",     "catalogue_number",   "time",          "id",
                 "elevation_deg", "azimuth_deg",        "range_km",      "magnitude",
                 "centre_latitude_deg", "centre_longitude_deg", "centre_bearing_deg",
                 "centre_distance" + unit, "centre_magnitude"};
    for (const TFlare& f : result.flares) {
        std::vector<TCell> row;
        AddSatellite(row, iridium[f.satellite]);
        const TFlareRow& r = f.row;
        row.insert(row.end(), {TCell::Time(r.t), TCell::Text(r.id), TCell::Number(r.elevation, kAngle),
                               TCell::Number(r.azimuth, kAngle), TCell::Number(r.range, kDistance),
                               TCell::Number(r.magnitude, kMagnitude), TCell::Number(r.centreLat, kCoordinate),
                               TCell::Number(r.centreLon, kCoordinate), TCell::Number(r.bearing, kAngle),
                               TCell::Number(r.distance * settings.distanceFactor, kDistance),
                               TCell::Number(r.centreMagnitude, kMagnitude)});
        t.rows.push_back(std::move(row));
    }
    return t;
}

TRecordTable TransitRecords(const TTransitResult& result, const std::vector<TSatRec>& sats,
                            const TReportSettings& settings, bool byTime) {
    TRecordTable t;
    t.arrayName = "transits";
    t.columns = {"satellite", "catalogue_number", "time", "elevation_deg", "azimuth_deg", "magnitude",
                 "sunlit", "separation_arcmin", "range" + UnitSuffix(settings), "target_illuminated_percent"};
    const auto& transits = result.transits;
    for (std::size_t i : Order(transits, byTime, [](const TTransit& x) { return x.row.t; })) {
        const TTransitRow& r = transits[i].row;
        std::vector<TCell> row;
        AddSatellite(row, sats[transits[i].satellite]);
        row.insert(row.end(), {TCell::Time(r.t), TCell::Number(r.elevation, kAngle), TCell::Number(r.azimuth, kAngle),
                               MagnitudeCell(r.magnitude, r.sunlit && SatMagnitudeKnown(sats[transits[i].satellite])), TCell::Bool(r.sunlit),
                               TCell::Number(r.separation, kAngle), TCell::Number(r.range * settings.distanceFactor, kDistance),
                               TCell::Number(r.illumination, 2)});
        t.rows.push_back(std::move(row));
    }
    return t;
}

TRecordTable GroundPathRecords(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                               const TReportSettings& settings, bool byTime) {
    TRecordTable t;
    t.arrayName = "path_points";
    const std::string unit = UnitSuffix(settings);
    t.columns = {"satellite",     "catalogue_number", "path",           "time",
                 "latitude_deg",  "longitude_deg",    "half_width" + unit, "bearing_deg",
                 "distance" + unit, "range" + unit,   "elevation_deg",  "sunlit"};
    const auto& paths = result.paths;
    const auto order = Order(paths, byTime, [](const TGroundPath& p) { return p.rows.empty() ? 0.0 : p.rows.front().row.t; });
    const double f = settings.distanceFactor;
    for (std::size_t n = 0; n < order.size(); ++n) {
        const TGroundPath& path = paths[order[n]];
        for (const TPathRow& pr : path.rows) {
            const TGroundPathRow& r = pr.row;
            std::vector<TCell> row;
            AddSatellite(row, sats[path.satellite]);
            row.insert(row.end(), {TCell::Integer(static_cast<long long>(n + 1)), TCell::Time(r.t),
                                   TCell::Number(r.latitude, kCoordinate), TCell::Number(r.longitude, kCoordinate),
                                   TCell::Number(r.width * f, kDistance), TCell::Number(r.bearing, kAngle),
                                   TCell::Number(r.distance * f, kDistance), TCell::Number(r.range * f, kDistance),
                                   TCell::Number(r.elevation, kAngle), TCell::Bool(r.sunlit)});
            t.rows.push_back(std::move(row));
        }
    }
    return t;
}

TRecordTable VisibleRecords(const TVisibleResult& result, const std::vector<TElementEntry>& entries,
                            const TReportSettings& settings) {
    TRecordTable t;
    t.arrayName = "satellites";
    const std::string unit = UnitSuffix(settings);
    t.columns = {"satellite", "catalogue_number", "azimuth_deg", "elevation_deg", "magnitude",
                 "sunlit", "range" + unit, "height" + unit};
    for (const TVisibleSat& s : result.sats) {
        const TVisibleRow& r = s.row;
        std::vector<TCell> row;
        const bool known = s.entry < entries.size();
        row.push_back(TCell::Text(std::string(TrimText(known ? entries[s.entry].name.view() : r.title))));
        row.push_back(known ? TCell::Text(CatalogueNumberText(TrimText(entries[s.entry].catNo.view())))
                            : TCell::None());
        row.insert(row.end(), {TCell::Number(r.azimuth, kAngle), TCell::Number(r.elevation, kAngle),
                               MagnitudeCell(r.magnitude, r.sunlit && !r.estimated), TCell::Bool(r.sunlit),
                               TCell::Number(r.range * settings.distanceFactor, kDistance),
                               TCell::Number(r.height * settings.distanceFactor, kDistance)});
        t.rows.push_back(std::move(row));
    }
    return t;
}

TRecordTable DecayedRecords(const TDecayedResult& result, const TReportSettings& settings) {
    TRecordTable t;
    t.arrayName = "satellites";
    const std::string unit = UnitSuffix(settings);
    t.columns = {"satellite", "catalogue_number", "epoch", "apogee" + unit, "perigee" + unit, "decay_time"};
    for (const TDecayedSat& d : result.sats) {
        t.rows.push_back({TCell::Text(std::string(TrimText(d.name.view()))),
                          TCell::Text(CatalogueNumberText(TrimText(d.catNo.view()))),
                          TCell::Time(d.epoch - kJulianOffset),
                          TCell::Number(d.apogee * settings.distanceFactor, kDistance),
                          TCell::Number(d.perigee * settings.distanceFactor, kDistance), TCell::Time(d.decayDate)});
    }
    return t;
}

TRecordTable AnalysisTransitRecords(const TAnalysisTransitResult& result, const TReportSettings& settings) {
    return TransitRecords(result.transits, result.sats, settings, false);
}

TRecordTable SatelliteRecords(const std::vector<TSatRec>& sats, const TChoice& selected) {
    TRecordTable t;
    t.arrayName = "satellites";
    t.columns = {"satellite", "catalogue_number", "epoch", "revolutions_per_day", "inclination_deg",
                 "period_min", "apogee_km", "perigee_km", "selected"};
    for (std::size_t i = 0; i < sats.size(); ++i) {
        const TSatRec& sat = sats[i];
        std::vector<TCell> row;
        AddSatellite(row, sat);
        const bool usable = sat.decayed != kDecayedRejected;
        row.insert(row.end(), {usable ? TCell::Time(sat.epoch - kJulianOffset) : TCell::None(),
                               TCell::Number(sat.meanMotion, 8), TCell::Number(Degrees(sat.inclination), 4),
                               TCell::Number(sat.period, 3), TCell::Number(sat.apogee, 1),
                               TCell::Number(sat.perigee, 1), TCell::Bool(selected(i))});
        t.rows.push_back(std::move(row));
    }
    return t;
}

TReportLines SatelliteListReport(const std::vector<TSatRec>& sats, const TChoice& selected,
                                 const TReportSettings& settings) {
    TReportLines lines;
    const char* unit = settings.metric ? "km" : "mi.";
    lines.push_back(FormatArgs("  %0:-8s%1:-22s%2:-22s%3:9s%4:8s%5:8s  %6s",
                               {"Number", "Name", "Epoch (UTC)", "Revs/day", "Apogee", "Perigee", "Selected"}));
    for (std::size_t i = 0; i < sats.size(); ++i) {
        const TSatRec& sat = sats[i];
        const bool usable = sat.decayed != kDecayedRejected;
        const std::string epoch =
            usable ? FormatDateTime("yyyy-mm-dd HH:nn:ss", sat.epoch - kJulianOffset) : "unusable";
        lines.push_back(FormatArgs("  %0:-8s%1:-22s%2:-22s%3:9.4f%4:8.0f%5:8.0f  %6s",
                                   {CatalogueNumberText(TrimText(sat.catNo.view())), sat.name.str(), epoch,
                                    sat.meanMotion, sat.apogee * settings.distanceFactor,
                                    sat.perigee * settings.distanceFactor, selected(i) ? "yes" : "no"}));
    }
    lines.push_back(FormatArgs("  %0d satellites; apogee and perigee in %1s", {sats.size(), unit}));
    return lines;
}
