#include "uSearchModes.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "uFlares.h"
#include "uFormat.h"
#include "uGoogle.h"
#include "uLoadSave.h"
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
bool LoadIridium(const TPredictArgs& args, const std::string& dataFolder,
                 std::vector<TSatRec>& sats, std::string& source, std::string& error) {
    if (args.tleFile.empty()) {
        source = dataFolder + "IridSat.bin";
        std::string warning;
        if (!LoadCatalogueForSearch(sats, source, error, &warning)) return false;
        if (!warning.empty()) PrintMessage("warning: " + warning);
        return true;
    }
    source = args.tleFile;
    std::vector<TElementEntry> entries;
    std::string warning;
    if (!ReadElementsForSearch(entries, source, error, &warning)) return false;
    if (!warning.empty()) PrintMessage("warning: " + warning);
    for (const TElementEntry& entry : entries) {
        if (!IsIridiumCatalogueName(entry.name.str())) continue;
        TSatRec sat{};
        if (InitSatelliteFromEntry(sat, entry, 0.0, 1000.0)) sats.push_back(sat);
    }
    if (sats.empty()) {
        error = "no usable Iridium element sets in " + source;
        return false;
    }
    return true;
}
}  // namespace

bool IsIridiumCatalogueName(const std::string& name) {
    return name.find('?') == std::string::npos && name.find('T') == std::string::npos;
}

std::string ExtractSearchModeArgs(std::vector<std::string>& args, TSearchModeArgs& out) {
    std::vector<std::string> rest;
    bool haveTarget = false, haveSep = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // Another option's value is never taken for an option of this module
        // ("--mode" is shared: its flares, transit and path values are ours).
        if (a != "--mode" && PredictOptionTakesValue(a)) {
            rest.push_back(a);
            if (i + 1 < args.size()) rest.push_back(args[++i]);
            continue;
        }
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
            return "--mode must be line, table, flares, transit or path, not '" + args[i + 1] + "'";
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
        if (!ReadStarFile(path, lines)) return "File: " + path + " not found";
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
    if (std::fflush(stdout) != 0) return 1;
    if (!status.cutShort) return 0;
    PrintMessage("interrupted: " + std::to_string(status.satellitesDone) + " of " +
                 std::to_string(status.satellitesTotal) + " satellites searched");
    return kInterruptedStatus;
}

int RunSearchMode(const TSearchModeArgs& mode, const TPredictArgs& args,
                  const std::string& dataFolder, const TPredictionInputs& inputs,
                  const TObserver& observer, const TReportSettings& settings,
                  const std::vector<TSatRec>& sats, TSearchControl* control) {
    if (mode.mode == TSearchMode::kFlares) {
        std::vector<TSatRec> iridium;
        std::string source, error;
        if (!LoadIridium(args, dataFolder, iridium, source, error)) return Fail(1, error);
        TFlareInputs in;
        in.start = inputs.start;
        in.stop = inputs.stop;
        in.utcMode = inputs.utcMode;
        in.displayOffset = inputs.displayOffset;
        in.dayFlares = mode.dayFlares;
        in.magLimit = mode.mag;
        in.elementDate = FileDateText(source);
        const TFlareResult result =
            RunFlareSearch(in, iridium, observer, settings, args.threads, control);
        PrintReport(FlareReport(result, in, settings));
        std::string writeError;
        if (!mode.kml.empty() && !result.status.cutShort &&
            !ExportFlareKml(result.passes, mode.kml, observer, inputs.displayOffset, &writeError))
            return Fail(1, writeError.empty() ? kKmlExportFailed : writeError);
        return FinishReport(result.status);
    }

    TTransitTarget target;
    if (const std::string error = ParseTargetArg(mode.target, dataFolder, inputs.start, target);
        !error.empty())
        return Fail(2, error);
    if (mode.mode == TSearchMode::kTransit) {
        const TTransitResult result = RunTransitSearch(inputs, mode.sep / 60.0, target, sats,
                                                       observer, settings, args.threads, control);
        PrintReport(TransitReport(result, sats, target, inputs, settings));
        return FinishReport(result.status);
    }
    double track = mode.track;
    if (!mode.haveTrack) track = 25.0;
    if (settings.distanceFactor != 1.0 && track > 100.0) return Fail(2, "--track is at most 100 mi.");
    const TGroundPathResult result = RunGroundPathSearch(inputs, track, target, sats, observer,
                                                         settings, args.threads, control);
    PrintReport(GroundPathReport(result, sats, target, inputs, settings));
    std::string writeError;
    if (!mode.kml.empty() && !result.status.cutShort &&
        (!result.google || !ExportGroundPathKml(result, sats, TransitTitle(target.name), mode.kml,
                                                observer, inputs.displayOffset, &writeError)))
        return Fail(1, writeError.empty() ? kKmlExportFailed : writeError);
    return FinishReport(result.status);
}

void PrintReport(const TReportLines& lines) {
    for (const std::string& line : lines) {
        const std::string shown = PrintableText(line);
        std::fwrite(shown.data(), 1, shown.size(), stdout);
        std::fputc('\n', stdout);
    }
}

void PrintMessage(const std::string& text) {
    std::fprintf(stderr, "orbisk-predict: %s\n", PrintableText(text).c_str());
}

std::string SearchModeUsage() {
    return R"(
Flares, transits and ground paths:
  --mode flares        Iridium flares of data/IridSat.bin (with --tle: the
                       Iridium-named sets of FILE); minimum elevation 10 and
                       Sun limit -1 degrees are fixed
  --day-flares         search flares by day instead of by night
  --mag M              faintest flare listed, -6 to 2 (0; -5 with --day-flares)
  --mode transit       closest approaches of the satellites to a target
  --mode path          ground path from which a satellite is seen in front
                       of the target
  --target T           Sun, Moon, Mercury, Venus, Mars, Jupiter, Saturn,
                       Uranus, Neptune, Pluto, radec:HHMMSS,+DDMMSS or
                       star:NAME (a name of data/star.dat) (Sun)
  --sep MIN            transits closer than MIN arc minutes, 5 to 300 (30)
  --track D            list a path within D of the observer, 10 to 160 km
                       (100 mi.) (25)
  --kml FILE           also write the flare or path tracks as KML to FILE
)";
}
