#include "uSearchModes.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>

#include "uCatNumber.h"
#include "uFileIO.h"
#include "uFlares.h"
#include "uFormat.h"
#include "uGoogle.h"
#include "uIcs.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uPredictOptions.h"
#include "uRecordOutput.h"
#include "uSearchOutput.h"
#include "uText.h"
#include "uTransit.h"
#include "uVarDef.h"

namespace {
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int Fail(int code, const std::string& message) {
    PrintMessage(message);
    return code;
}

// The Iridium list: IridSat.bin, or the Iridium-named sets of an element file.
TStatus LoadIridium(const TPredictArgs& args, const std::string& dataFolder, std::vector<TSatRec>& sats,
                    std::string& source) {
    if (args.tleFile.empty()) {
        source = dataFolder + "IridSat.bin";
        std::string warning;
        if (TStatus loaded = LoadCatalogueForSearch(sats, source, &warning); !loaded) return loaded;
        if (!warning.empty()) PrintMessage("warning: " + warning);
        return TStatus::Success();
    }
    source = args.tleFile;
    std::vector<TElementEntry> entries;
    std::string warning;
    if (TStatus read = ReadSearchElements(entries, source, dataFolder + "Mag.dat", &warning); !read) return read;
    if (!warning.empty()) PrintMessage("warning: " + warning);
    for (const TElementEntry& entry : entries) {
        if (!IsIridiumCatalogueName(entry.name.str())) continue;
        TSatRec sat{};
        if (InitSatelliteFromEntry(sat, entry, 0.0, 1000.0)) sats.push_back(sat);
    }
    if (sats.empty()) return TStatus::Failure(TStatusKind::invalid, "no usable Iridium element sets in " + source);
    return TStatus::Success();
}
}  // namespace

const std::vector<std::string_view>& SearchModeOptions() {
    static const TOptionGroup group = TOptionGroup::kSearchModes;
    static const std::vector<std::string_view> names = OptionNames(PredictOptionTable(), &group);
    return names;
}

bool IsIridiumCatalogueName(const std::string& name) {
    return name.find('?') == std::string::npos && name.find('T') == std::string::npos;
}

std::string ExtractSearchModeArgs(std::vector<std::string>& args, TSearchModeArgs& out) {
    std::vector<std::string> rest;
    bool haveTarget = false, haveSep = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // "--mode" is shared: its flares, transit and path values are ours.
        if (PassPredictOption(args, i, rest)) continue;
        const bool hasValue = i + 1 < args.size() && !IsOption(args[i + 1]);
        auto number = [&](double& v, double lo, double hi) -> std::string {
            if (!hasValue) return a + " needs a value";
            if (!ParseArgNumber(args[++i], v) || v < lo || v > hi)
                return a + " must be a number from " + FormatGeneral(lo) + " to " +
                       FormatGeneral(hi);
            return {};
        };
        std::string error;
        if (a == "--mode" && hasValue &&
            (args[i + 1] == "flares" || args[i + 1] == "transit" || args[i + 1] == "path")) {
            const std::string& m = args[++i];
            out.mode = m == "flares" ? TSearchMode::kFlares
                       : m == "transit" ? TSearchMode::kTransit
                                        : TSearchMode::kPath;
        } else if (a == "--mode" && i + 1 < args.size() && args[i + 1] != "line" && args[i + 1] != "table") {
            return "--mode must be line, table, flares, transit, path, visible, decayed, analysis-transit or doppler, not '" +
                   args[i + 1] + "'";
        } else if (a == "--day-flares") {
            out.dayFlares = true;
        } else if (a == "--mag") {
            if (!(error = number(out.mag, -6.0, 2.0)).empty()) return error;
            out.haveMag = true;
        } else if (a == "--target") {
            if (!hasValue || args[i + 1].empty()) return "--target needs a value";
            out.target = args[++i];
            haveTarget = true;
        } else if (a == "--sep") {
            if (!(error = number(out.sep, 5.0, 300.0)).empty()) return error;
            haveSep = true;
        } else if (a == "--track") {
            if (!(error = number(out.track, 10.0, 160.0)).empty()) return error;
            out.haveTrack = true;
        } else if (a == "--kml") {
            if (!hasValue || args[i + 1].empty()) return "--kml needs a file name";
            out.kml = args[++i];
        } else {
            rest.push_back(a);
        }
    }
    if (!out.haveMag && out.dayFlares) out.mag = kDayFlareMagLimit;
    const bool flares = out.mode == TSearchMode::kFlares;
    const bool targeted = out.mode == TSearchMode::kTransit || out.mode == TSearchMode::kPath;
    if ((out.dayFlares || out.haveMag) && !flares) return "--day-flares and --mag need --mode flares";
    if ((haveTarget || haveSep || out.haveTrack) && !targeted)
        return "--target, --sep and --track need --mode transit or path";
    if (haveSep && out.mode != TSearchMode::kTransit) return "--sep needs --mode transit";
    if (out.haveTrack && out.mode != TSearchMode::kPath) return "--track needs --mode path";
    if (!out.kml.empty() && !flares && out.mode != TSearchMode::kPath)
        return "--kml needs --mode flares or path";
    args = std::move(rest);
    return {};
}

std::string ParseTargetArg(const std::string& text, const std::string& dataFolder, double epoch,
                           TTransitTarget& target) {
    if (text.rfind("radec:", 0) == 0) {
        const std::string value = text.substr(6);
        const auto comma = value.find(',');
        if (comma == std::string::npos) return "--target radec: needs HHMMSS,+DDMMSS";
        std::string message;
        double ra = 0.0, dec = 0.0;
        if (!ReadRaDecEntry(value.substr(0, comma), value.substr(comma + 1), ra, dec, &message))
            return message;
        SetRaDecTarget(target, ra, dec);
        return {};
    }
    if (text.rfind("star:", 0) == 0) {
        const std::string name = text.substr(5);
        std::vector<std::string> lines;
        const std::string path = dataFolder + "star.dat";
        if (!ReadStarFile(path, lines)) return FileProblemText(path);
        TStarChoice star;
        if (!FindStar(lines, name, epoch, star)) return "no star '" + name + "' in " + path;
        SetStarTarget(target, star.ra, star.dec, star.commonName);
        return {};
    }
    for (const std::string& entry : TargetEntries()) {
        if (Lower(entry) != Lower(text)) continue;
        if (MakeBodyTarget(entry, target)) return {};
        break;
    }
    return "--target must be Sun, Moon, Mercury, Venus, Mars, Jupiter, Saturn, Uranus, "
           "Neptune, Pluto, radec:HHMMSS,+DDMMSS or star:NAME, not '" +
           text + "'";
}

int FinishReport(const TSearchStatus& status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) return 1;
    if (!status.cutShort) return 0;
    if (!status.failure.empty()) {
        PrintMessage("search failed: " + status.failure + " (" + std::to_string(status.satellitesDone) + " of " +
                     std::to_string(status.satellitesTotal) + " satellites searched)");
        return 1;
    }
    PrintMessage("interrupted: " + std::to_string(status.satellitesDone) + " of " +
                 std::to_string(status.satellitesTotal) + " satellites searched");
    return kInterruptedStatus;
}

bool PickSatellites(std::vector<TSatRec>& list, const std::vector<std::string>& wanted,
                    const std::string& source, std::string& error, std::vector<std::string>* notes) {
    std::vector<bool> picked(list.size(), false);
    for (const std::string& word : wanted) {
        const std::string key = Lower(std::string(TrimText(word)));
        auto pick = [&](auto matches) {
            std::vector<std::size_t> found;
            for (std::size_t i = 0; i < list.size(); ++i)
                if (matches(list[i])) found.push_back(i);
            return found;
        };
        std::vector<std::size_t> found;
        if (CatalogueNumberValue(word) >= 0)
            found = pick([&](const TSatRec& s) {
                return CatalogueNumberValue(s.catNo.view()) == CatalogueNumberValue(word);
            });
        if (found.empty())
            found = pick([&](const TSatRec& s) { return Lower(std::string(TrimText(s.name.view()))) == key; });
        if (found.empty())
            found = pick([&](const TSatRec& s) {
                // The first words of the name: "ISS" picks "ISS (ZARYA)", not "ISSUS".
                const std::string name = Lower(std::string(TrimText(s.name.view())));
                return name.size() > key.size() && name.compare(0, key.size(), key) == 0 &&
                       !std::isalnum(static_cast<unsigned char>(name[key.size()]));
            });
        if (found.empty()) {
            error = "no satellite '" + word + "' in " + source + " (--list shows what it holds)";
            return false;
        }
        if (found.size() > 1 && notes) {
            std::string names;
            for (std::size_t i : found) names += (names.empty() ? "" : ", ") + std::string(TrimText(list[i].name.view()));
            notes->push_back("--sat " + word + " picks " + std::to_string(found.size()) + " satellites: " + names);
        }
        for (std::size_t i : found) picked[i] = true;
    }
    std::vector<TSatRec> kept;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (picked[i]) {
            kept.push_back(list[i]);
            kept.back().selected = 1;
        }
    list = std::move(kept);
    return true;
}

namespace {
// The calendar of a search's events for the observer of the report.
std::string Calendar(std::vector<TIcsEvent> events, const TReportSettings& settings, int alarmMinutes) {
    return ObserverCalendarText(std::move(events), settings, NowDayNumber(), alarmMinutes);
}

// Writes the output of a search: the report, or its records as CSV or JSON,
// or its calendar (ics: modes without one are refused before they run).
void Emit(TOutputFormat format, const std::function<TReportLines()>& report,
          const std::function<TRecordTable()>& records, const std::function<std::string()>& ics = {}) {
    if (format == TOutputFormat::kText) {
        PrintReport(report());
        return;
    }
    if (format == TOutputFormat::kIcs) {
        const std::string text = ics ? ics() : std::string();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return;
    }
    const TRecordTable table = records();
    const std::string text = format == TOutputFormat::kCsv ? RecordsCsv(table) : RecordsJson(table);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// Tells on stderr which selected satellites the revolutions limits keep out
// of a search, since they would otherwise just be missing from it.
void TellSkipped(const std::vector<TSatRec>& sats, const TPredictionInputs& in) {
    const double minRevs = in.minRevs;
    std::size_t slow = 0, fast = 0, selected = 0;
    for (std::size_t i = 0; i < sats.size(); ++i) {
        const TSatRec& sat = sats[i];
        if (!in.chosen(i) || sat.decayed == kDecayedRejected) continue;
        ++selected;
        if (sat.meanMotion <= minRevs) ++slow;
        else if (!IsSearched(sat, minRevs)) ++fast;
    }
    const std::string total = std::to_string(selected);
    if (slow > 0)
        PrintMessage(std::to_string(slow) + " of " + total + " satellites skipped: " + FormatGeneral(minRevs) +
                     " revolutions a day or fewer (--min-revs " + FormatGeneral(minRevs) +
                     "; a geostationary satellite makes 1)");
    if (fast > 0)
        PrintMessage(std::to_string(fast) + " of " + total +
                     " satellites skipped: 20 revolutions a day or more are never searched");
}

// The element ages of the sets a search uses: into the report header, and
// a warning when some are stale.
void NoteElementAges(TReportSettings& settings, const std::vector<TSatRec>& sats, const TPredictionInputs& in,
                     const std::function<bool(std::size_t, const TSatRec&)>& used) {
    settings.elementAges = ElementAges(sats, in.start, in.stop, used);
    if (const std::string warning = StaleElementsWarning(settings.elementAges); !warning.empty())
        PrintMessage("warning: " + warning);
}

// What became of the KML file of a flare or path search: no tracks is an
// outcome, not an error; a file that cannot be written is one.
int ReportKml(const std::string& path, const TStatus& written) {
    if (written) return 0;
    if (written.kind == TStatusKind::notFound) {
        PrintMessage("no track found, so " + path + " was not written");
        return 0;
    }
    return Fail(1, "cannot write the KML file " + path + ": " + NotWrittenReason(path, written.message));
}

// The calendar events of an outcome: passes, flares or transits (the other
// modes are refused before they run).
std::vector<TIcsEvent> OutcomeEvents(const TSearchRequest& request, const TSearchOutcome& outcome,
                                     const std::vector<TSatRec>& sats) {
    if (const auto* r = std::get_if<TFlareResult>(&outcome.records)) return FlareEvents(*r, sats);
    if (const auto* r = std::get_if<TTransitResult>(&outcome.records))
        return TransitEvents(*r, sats, std::get<TTransitRequest>(request.kind).target.name);
    if (const auto* r = std::get_if<TPredictionResult>(&outcome.records)) return LinePassEvents(*r, sats);
    return {};
}
}  // namespace

int RunSearchMode(const TSearchModeArgs& mode, const TPredictArgs& args, const std::string& dataFolder,
                  const TPredictionInputs& period, const TObserver& observer, TReportSettings settings,
                  std::vector<TSatRec> sats, const std::string& source, TSearchControl* control) {
    const bool flares = mode.mode == TSearchMode::kFlares;
    std::string listSource = source;
    if (flares) {
        sats.clear();
        if (const TStatus loaded = LoadIridium(args, dataFolder, sats, listSource); !loaded)
            return Fail(1, loaded.message);
    }
    if (!args.sats.empty()) {
        std::string error;
        std::vector<std::string> notes;
        if (!PickSatellites(sats, args.sats, listSource, error, &notes)) return Fail(2, error);
        for (const std::string& note : notes) PrintMessage(note);
    }
    // The records' selected byte is the choice here: MainSat.bin's ticks, or
    // every set of an element file or of the --sat picks.
    const TChoice selected = TChoice::Where(sats, [](const TSatRec& s) { return s.selected != 0; });
    TPredictionInputs inputs = period;
    if (!flares) inputs.chosen = selected;
    const bool ics = args.format == TOutputFormat::kIcs;
    if (ics && (args.list || args.table || mode.mode == TSearchMode::kPath))
        return Fail(2, "--format ics needs the line, flares or transit mode (not --list)");
    if (args.list) {
        Emit(args.format, [&] { return SatelliteListReport(sats, selected, settings); },
             [&] {
                 TRecordTable t = SatelliteRecords(sats, selected);
                 t.about = {{"program", TCell::Text("orbisk-predict")}, {"source", TCell::Text(listSource)}};
                 return t;
             });
        return FinishReport({});
    }

    TOutputSettings output;
    output.order = args.byTime ? TReportOrder::kByTime : TReportOrder::kBySatellite;
    TSearchRequest request;
    request.threads = args.threads;
    TTransitTarget target;
    if (flares) {
        NoteElementAges(settings, sats, inputs, [](std::size_t, const TSatRec&) { return true; });
        TFlareRequest r;
        TFlareInputs& in = r.flares;
        in.start = inputs.start;
        in.stop = inputs.stop;
        in.utcMode = inputs.utcMode;
        in.displayOffset = inputs.displayOffset;
        in.dayFlares = mode.dayFlares;
        in.magLimit = mode.mag;
        in.elementDate = NewestEpochText(settings.elementAges);
        in.horizon = inputs.horizon;
        request.kind = std::move(r);
    } else {
        const auto searched = [&](std::size_t i, const TSatRec& sat) { return IsSearched(inputs, i, sat); };
        TellSkipped(sats, inputs);
        NoteElementAges(settings, sats, inputs, searched);
        if (mode.mode == TSearchMode::kPasses) {
            if (args.table) request.kind = TTableRequest{inputs, {}};
            else request.kind = TLineRequest{inputs, {}};
        } else {
            if (const std::string error = ParseTargetArg(mode.target, dataFolder, inputs.start, target);
                !error.empty())
                return Fail(2, error);
            if (mode.mode == TSearchMode::kTransit) {
                request.kind = TTransitRequest{inputs, target, mode.sep / 60.0};
            } else {
                const double track = mode.haveTrack ? mode.track : 25.0;
                if (settings.distanceFactor != 1.0 && track > 100.0) return Fail(2, "--track is at most 100 mi.");
                request.kind = TPathRequest{inputs, target, track, settings.distanceFactor};
            }
        }
    }
    output.report = settings;
    const TSearchSatellites satellites{&sats, nullptr, nullptr};

    if (mode.mode == TSearchMode::kPasses && args.format == TOutputFormat::kText && !args.byTime) {
        // Each satellite's part goes out as soon as it and every one before
        // it are searched, so nothing piles up however many passes there are.
        TReportLines header;
        WritePeriodHeader(header, inputs, settings);
        PrintReport(header);
        std::size_t found = 0;
        const auto print = [&](auto write) {
            return [&, write](std::size_t i, const auto& passes) {
                TReportLines block;
                write(block, sats[i], passes, inputs, settings);
                found += passes.size();
                if (control && control->output)
                    control->output([&] { PrintReport(block); });
                else
                    PrintReport(block);
            };
        };
        if (auto* r = std::get_if<TTableRequest>(&request.kind)) r->sink = print(WriteTabularSatellite);
        if (auto* r = std::get_if<TLineRequest>(&request.kind)) r->sink = print(WriteLineSatellite);
        const TSearchStatus status = RunSearch(request, satellites, observer, control).status;
        if (found == 0) PrintReport({NothingFoundLine("passes", status)});
        return FinishReport(status);
    }

    const TSearchOutcome outcome = RunSearch(request, satellites, observer, control);
    Emit(args.format, [&] { return OutcomeReport(request, outcome, satellites, output); },
         [&] { return OutcomeRecords(request, outcome, satellites, output); },
         [&] { return Calendar(OutcomeEvents(request, outcome, sats), settings, args.icsAlarm); });
    if (!mode.kml.empty() && !outcome.status.cutShort) {
        TStatus kml = KmlNothingToExport();
        if (const auto* r = std::get_if<TFlareResult>(&outcome.records))
            kml = ExportFlareKml(r->passes, mode.kml, observer, inputs.displayOffset);
        else if (const auto* p = std::get_if<TGroundPathResult>(&outcome.records); p && p->google)
            kml = ExportGroundPathKml(*p, sats, GroundPathTitle(target.name), mode.kml, observer,
                                      inputs.displayOffset, settings.distanceFactor);
        if (const int status = ReportKml(mode.kml, kml); status != 0) return status;
    }
    return FinishReport(outcome.status);
}

void PrintReport(const TReportLines& lines) {
    // Each line shown as Latin1ToUtf8(PrintableText(line)) would show it,
    // the block gathered and written at once.
    std::string shown;
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 1;
    shown.reserve(size + size / 8);
    for (const std::string& line : lines) {
        AppendPrintableUtf8(shown, line);
        shown += '\n';
    }
    std::fwrite(shown.data(), 1, shown.size(), stdout);
}

void PrintMessage(const std::string& text) {
    std::fprintf(stderr, "orbisk-predict: %s\n", PrintableText(text).c_str());
}
