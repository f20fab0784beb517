#include "uDopplerMode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "uCatNumber.h"
#include "uDoppler.h"
#include "uFormat.h"
#include "uPassSearch.h"
#include "uPredictOptions.h"
#include "uRecordOutput.h"
#include "uText.h"

namespace {
constexpr double kMaxMhz = 1.0e6;  // 1 THz: anything above is a typing slip

struct TDopplerRow {
    std::size_t satellite = 0;
    std::string event;  // "AOS", "MAX", "LOS" or "" for a step row
    TLook look;
    double down = 0.0, up = 0.0;  // Hz at the radio
    bool haveRotator = false;
    double rotAz = 0.0, rotEl = 0.0;
};
}  // namespace

const std::vector<std::string_view>& DopplerModeOptions() {
    static const TOptionGroup group = TOptionGroup::kDopplerMode;
    static const std::vector<std::string_view> names = OptionNames(PredictOptionTable(), &group);
    return names;
}

std::string ExtractDopplerModeArgs(std::vector<std::string>& args, TDopplerModeArgs& out) {
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--mode" && args[i + 1] == "doppler") out.active = true;
    std::vector<std::string> rest;
    bool haveDown = false, haveFlip = false, haveOwn = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--mode" && i + 1 < args.size() && args[i + 1] == "doppler") {
            ++i;
            continue;
        }
        if (a == "--min-elev") out.haveMinElevation = true;
        const bool mine = a == "--freq-down" || a == "--freq-up" || a == "--rotator" || a == "--flip" ||
                          (out.active && a == "--step");
        if (!mine) {
            if (PassPredictOption(args, i, rest)) continue;
            rest.push_back(a);
            continue;
        }
        haveOwn = haveOwn || a != "--step";
        // A negative range ("-180-180") is a value here, though it starts with '-'.
        const bool hasValue = i + 1 < args.size() && (!IsOption(args[i + 1]) || a == "--rotator");
        if (!hasValue) return a + " needs a value";
        const std::string& value = args[++i];
        double v = 0.0;
        if (a == "--freq-down" || a == "--freq-up") {
            if (!ParseArgNumber(value, v) || !(v > 0.0) || v > kMaxMhz)
                return a + " must be a frequency in MHz above 0, not '" + value + "'";
            (a == "--freq-down" ? out.downMhz : out.upMhz) = v;
            haveDown = haveDown || a == "--freq-down";
        } else if (a == "--step") {
            if (!ParseArgNumber(value, v) || v < 1.0 || v > 600.0) return "--step must be a number from 1 to 600 here";
            out.step = v;
        } else if (a == "--rotator") {
            if (std::string e = ParseAzimuthRange(value, out.rotatorSettings.limits); !e.empty()) return e;
            out.rotator = true;
        } else {
            if (!ParseArgNumber(value, v) || v < 0.0 || v > 90.0) return "--flip must be a number from 0 to 90";
            out.rotatorSettings.flipAbove = v;
            haveFlip = true;
        }
    }
    if (!out.active) {
        if (haveOwn) return "--freq-down, --freq-up, --rotator and --flip need --mode doppler";
        return {};
    }
    if (!haveDown) return "--mode doppler needs --freq-down MHZ";
    if (haveFlip && !out.rotator) return "--flip needs --rotator";
    // A rotator that flips turns its elevation over the zenith to 180 degrees.
    if (haveFlip) out.rotatorSettings.limits.elMax = 180.0;
    args = std::move(rest);
    return {};
}

void DopplerControls(const TDopplerModeArgs& mode, TPredictionControls& controls) {
    controls.sunlitOnly = false;
    controls.dayNight = true;
    if (!mode.haveMinElevation) controls.satAlt = 0.0;
}

namespace {
TDopplerRow MakeRow(std::size_t satellite, const char* event, const TLook& look, const TDopplerModeArgs& mode,
                    const TRotatorPlan* plan) {
    TDopplerRow row;
    row.satellite = satellite;
    row.event = event;
    row.look = look;
    row.down = DownlinkAtRadio(mode.downMhz * 1.0e6, look.rangeRate);
    row.up = mode.upMhz > 0.0 ? UplinkAtRadio(mode.upMhz * 1.0e6, look.rangeRate) : 0.0;
    if (plan)
        if (const TRotatorCommand* c = plan->At(look.t)) row.haveRotator = true, row.rotAz = c->az, row.rotEl = c->el;
    return row;
}

std::string Fixed(double v, int width, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", width, decimals, v);
    return buf;
}

TReportLines DopplerReport(const std::vector<TDopplerRow>& rows, const std::vector<TSatRec>& sats,
                           const TDopplerModeArgs& mode, const TPredictionInputs& inputs, const TReportSettings& settings) {
    TReportLines lines;
    const std::string unit = settings.metric ? "km" : "mi";
    lines.push_back("Doppler: downlink " + Fixed(mode.downMhz, 0, 6) + " MHz" +
                    (mode.upMhz > 0.0 ? ", uplink " + Fixed(mode.upMhz, 0, 6) + " MHz" : std::string()) +
                    " at the satellite");
    lines.push_back("Observer: " + settings.observerName + "  " + Fixed(Degrees(settings.latitude), 0, 4) + ", " +
                    Fixed(Degrees(settings.longitude), 0, 4) + (inputs.displayOffset == 0.0 ? "  (times UTC)" : "  (local times)"));
    if (mode.rotator)
        lines.push_back("Rotator: azimuth " + FormatGeneral(mode.rotatorSettings.limits.azMin) + " to " +
                        FormatGeneral(mode.rotatorSettings.limits.azMax) + ", elevation to " +
                        FormatGeneral(mode.rotatorSettings.limits.elMax) +
                        (mode.rotatorSettings.limits.elMax >= 180.0 ? ", flips passes from " + FormatGeneral(mode.rotatorSettings.flipAbove) + " degrees" : std::string()));
    std::size_t last = static_cast<std::size_t>(-1);
    for (const TDopplerRow& r : rows) {
        if (r.satellite != last) {
            last = r.satellite;
            lines.push_back("");
            lines.push_back(std::string(TrimText(sats[r.satellite].name.view())) + " (" +
                            CatalogueNumberText(sats[r.satellite].catNo.view()) + ")");
            std::string head = "Date       Time      Event  Azimuth  Elev.  Range " + unit + "  Rate " + unit +
                               "/s    Downlink MHz";
            if (mode.upMhz > 0.0) head += "      Uplink MHz";
            if (mode.rotator) head += "  Rot.Az  Rot.El";
            lines.push_back(head);
        } else if (r.event == "AOS") {
            lines.push_back("");
        }
        std::string s = FormatDateTime("yyyy-mm-dd HH:nn:ss", r.look.t + inputs.displayOffset) + "  " +
                        (r.event + "     ").substr(0, 5) + Fixed(r.look.azimuth, 8, 1) + Fixed(r.look.elevation, 7, 1) +
                        Fixed(r.look.range * settings.distanceFactor, 10, 1) +
                        Fixed(r.look.rangeRate * settings.distanceFactor, 11, 3) + Fixed(r.down / 1.0e6, 16, 6);
        if (mode.upMhz > 0.0) s += Fixed(r.up / 1.0e6, 16, 6);
        if (mode.rotator) s += r.haveRotator ? Fixed(r.rotAz, 8, 1) + Fixed(r.rotEl, 8, 1) : std::string(16, ' ');
        lines.push_back(s);
    }
    if (rows.empty()) lines.push_back("No passes in the period.");
    return lines;
}

TRecordTable DopplerRecords(const std::vector<TDopplerRow>& rows, const std::vector<TSatRec>& sats,
                            const TDopplerModeArgs& mode, const TReportSettings& settings) {
    TRecordTable t;
    t.arrayName = "rows";
    const std::string unit = settings.metric ? "km" : "mi";
    t.columns = {"satellite", "catalogue_number", "time", "event", "azimuth_deg", "elevation_deg",
                 "range_" + unit, "range_rate_" + unit + "_s", "downlink_hz"};
    if (mode.upMhz > 0.0) t.columns.push_back("uplink_hz");
    if (mode.rotator) {
        t.columns.push_back("rotator_azimuth_deg");
        t.columns.push_back("rotator_elevation_deg");
    }
    for (const TDopplerRow& r : rows) {
        std::vector<TCell> c = {TCell::Text(std::string(TrimText(sats[r.satellite].name.view()))),
                                TCell::Text(CatalogueNumberText(sats[r.satellite].catNo.view())),
                                TCell::Time(r.look.t),
                                r.event.empty() ? TCell::None() : TCell::Text(r.event),
                                TCell::Number(r.look.azimuth, 1),
                                TCell::Number(r.look.elevation, 1),
                                TCell::Number(r.look.range * settings.distanceFactor, 1),
                                TCell::Number(r.look.rangeRate * settings.distanceFactor, 4),
                                TCell::Number(r.down, 0)};
        if (mode.upMhz > 0.0) c.push_back(TCell::Number(r.up, 0));
        if (mode.rotator) {
            c.push_back(r.haveRotator ? TCell::Number(r.rotAz, 1) : TCell::None());
            c.push_back(r.haveRotator ? TCell::Number(r.rotEl, 1) : TCell::None());
        }
        t.rows.push_back(std::move(c));
    }
    return t;
}
}  // namespace

int RunDopplerMode(const TDopplerModeArgs& mode, const TPredictArgs& args, const TPredictionInputs& inputs,
                   const TObserver& observer, const TReportSettings& settings, std::vector<TSatRec> sats,
                   const std::string& source, TSearchControl* control) {
    if (args.sats.empty()) {
        PrintMessage("--mode doppler needs --sat NAME|NUMBER");
        return 2;
    }
    std::string error;
    std::vector<std::string> notes;
    if (!PickSatellites(sats, args.sats, source, error, &notes)) {
        PrintMessage(error);
        return 2;
    }
    for (const std::string& note : notes) PrintMessage(note);
    const TPredictionResult result = RunLineSearch(inputs, sats, observer, args.threads, control);
    std::vector<TLinePass> passes = result.linePasses;
    if (args.byTime || mode.step > 0.0)
        std::stable_sort(passes.begin(), passes.end(), [](const TLinePass& a, const TLinePass& b) { return a.aos < b.aos; });
    if (mode.step > 0.0 && passes.size() > 1) passes.resize(1);

    std::vector<TDopplerRow> rows;
    for (const TLinePass& p : passes) {
        const TSatRec& sat = sats[p.satellite];
        TObserver obs = observer;
        TRotatorPlan plan;
        if (mode.rotator)
            plan = PlanPass(PassTrack(sat, obs, p.aos, p.los, 1.0), mode.rotatorSettings, mode.rotatorSettings.parkAz);
        const TRotatorPlan* planned = mode.rotator ? &plan : nullptr;
        auto add = [&](const char* event, double t) {
            TLook look;
            if (LookAt(sat, t, obs, look)) rows.push_back(MakeRow(p.satellite, event, look, mode, planned));
        };
        if (mode.step > 0.0) {
            const double n = std::floor((p.los - p.aos) * kSecondsPerDay / mode.step + 1e-9);
            for (double k = 0.0; k <= n; k += 1.0) add(k == 0.0 ? "AOS" : "", p.aos + k * mode.step / kSecondsPerDay);
            if (rows.empty() || rows.back().look.t < p.los - 1e-3 / kSecondsPerDay) add("LOS", p.los);
            else rows.back().event = "LOS";
        } else {
            add("AOS", p.aos);
            add("MAX", p.middle);
            add("LOS", p.los);
        }
    }
    if (args.format == TOutputFormat::kText) {
        PrintReport(DopplerReport(rows, sats, mode, inputs, settings));
    } else {
        TRecordTable table = DopplerRecords(rows, sats, mode, settings);
        table.about = SearchAbout("doppler", inputs, settings, result.status);
        table.about.emplace_back("downlink_hz", TCell::Number(mode.downMhz * 1.0e6, 0));
        if (mode.upMhz > 0.0) table.about.emplace_back("uplink_hz", TCell::Number(mode.upMhz * 1.0e6, 0));
        const std::string text = args.format == TOutputFormat::kCsv ? RecordsCsv(table) : RecordsJson(table);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return FinishReport(result.status);
}
