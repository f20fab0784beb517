// Command-line front end of the prediction engine: passes, flares, transits
// and ground paths of the installation's satellites (or of an element file)
// for its observer (or one given on the command line), as the reports of the
// prediction window or as CSV or JSON records.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "uCommandLine.h"
#include "uAnalysisModes.h"
#include "uDopplerMode.h"
#include "uElementGroups.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uMagImport.h"
#include "uPassSearch.h"
#include "uPredictArgs.h"
#include "uSearchModes.h"
#include "uTimeZone.h"
#include "uText.h"
#include "uVarDef.h"

namespace {
constexpr double kMileFactor = 0.621371;
// Progress shows only for runs longer than this, so short runs stay quiet.
constexpr auto kProgressDelay = std::chrono::seconds(1);

// The search's control; Ctrl+C sets its cancel flag (a lock-free atomic
// store is safe in a signal handler).
TSearchControl gControl;
static_assert(std::atomic<bool>::is_always_lock_free);

std::atomic<bool> gProgressShown{false};

// write() is async-signal-safe: clear the progress line so the partial report
// starts on a clean line.
extern "C" void OnInterrupt(int) {
    gControl.cancel.store(true);
    if (gProgressShown) {
        const ssize_t n = write(STDERR_FILENO, "\r\033[K", 4);
        (void)n;
    }
}

// "Searching: done of total satellites" on stderr while a terminal watches.
class TProgressLine {
public:
    TProgressLine() : start_(std::chrono::steady_clock::now()) {}
    void Show(std::size_t done, std::size_t total) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (done == total) {  // the report follows on a clean line
            if (gProgressShown) std::fputs("\r\033[K", stderr);
            return;
        }
        if (std::chrono::steady_clock::now() - start_ < kProgressDelay) return;
        std::fprintf(stderr, "\rSearching: %zu of %zu satellites", done, total);
        std::fflush(stderr);
        gProgressShown = true;
    }
    // Output written as the search goes starts on a clean line; the count
    // shows again with the next satellite.
    void Output(const std::function<void()>& write) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (gProgressShown) {
            std::fputs("\r\033[K", stderr);
            gProgressShown = false;
        }
        write();
    }

private:
    std::mutex mutex_;
    std::chrono::steady_clock::time_point start_;
};

int Fail(int code, const std::string& message) {
    PrintMessage(message);
    if (code == 2) std::fprintf(stderr, "Try 'orbisk-predict --help'.\n");
    return code;
}

void Warn(const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings) PrintMessage("warning: " + w);
}

double WholeSeconds(double t) { return std::floor(t * 86400.0 + 0.5) / 86400.0; }

// The search period as the report shows it (local or UTC), and with --tz
// the zone's offset at its start into the observer. "" or the reason it
// cannot be used.
std::string ShownPeriod(const TPredictArgs& a, TObserver& observer, TPredictionControls& controls) {
    const bool utc = a.controls.utcMode;
    const double now = NowDayNumber();
    double startUtc = now;
    if (std::string error = cli::StartAndZone(a, observer, now, startUtc); !error.empty()) return error;
    if (!a.zone.empty()) {
        double offsetAtStop = 0.0;
        const double stopUtc = a.haveStop ? (a.stopIsUtc || utc ? a.stop : a.stop - observer.utcOffset) : startUtc + a.days;
        if (ZoneOffsetAt(a.zone, stopUtc, offsetAtStop) && offsetAtStop != observer.utcOffset)
            PrintMessage("note: " + a.zone + " changes to " + UtcOffsetText(offsetAtStop) + " within the period; the report keeps " +
                         UtcOffsetText(observer.utcOffset) + ", the offset at its start");
    }
    const double shift = utc ? 0.0 : observer.utcOffset;
    controls.shownStart = !a.haveStart ? WholeSeconds(now + shift) : a.start + (a.startIsUtc ? shift : 0.0);
    controls.shownStop = !a.haveStop ? WholeSeconds(controls.shownStart + a.days) : a.stop + (a.stopIsUtc ? shift : 0.0);
    if (const TStatus dates = CheckDates(controls.shownStop, controls.shownStart); !dates) return dates.message;
    if (std::round((controls.shownStop - controls.shownStart) * 86400.0) == 0.0)
        return "the period is empty: --stop is the same as --start";
    return {};
}

// The computer's local clock, for the "Produced" line.
double LocalClockDayNumber() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return EncodeDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

// --import-magnitudes: the counts on stdout; 1 when nothing could be merged.
int ImportMagnitudes(const TPredictArgs& a, const std::string& dataFolder) {
    TMagImportReport report;
    const std::string magPath = dataFolder + "Mag.dat";
    if (const TStatus imported = ImportMagnitudeFile(a.importMagnitudes, magPath, report, a.importKind); !imported)
        return Fail(1, imported.message);
    std::printf("%s\n", report.Summary().c_str());
    if (report.added + report.updated > 0) std::printf("Saved %s\n", magPath.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A whole-catalogue report runs to tens of megabytes: written through a
    // pipe in stdio's 4 KiB pieces, it wakes the reader thousands of times.
    static char reportBuffer[1 << 16];
    if (!::isatty(STDOUT_FILENO)) std::setvbuf(stdout, reportBuffer, _IOFBF, sizeof reportBuffer);
    TPredictCommandLine line;
    if (const std::string error = ParsePredictCommandLine(std::vector<std::string>(argv + 1, argv + argc), line);
        !error.empty())
        return Fail(2, error);
    const TDopplerModeArgs& dopplerArgs = line.doppler;
    const TAnalysisModeArgs& analysisArgs = line.analysis;
    const bool analysis = analysisArgs.mode != TAnalysisMode::kNone;
    const TSearchModeArgs& modeArgs = line.search;
    const TPredictArgs& a = line.predict;
    if (a.help) {
        std::fputs(PredictUsage().c_str(), stdout);
        return 0;
    }
    if (a.version) {
        std::printf("%s\n", VersionLine("orbisk-predict").c_str());
        return 0;
    }
    cli::TSetup setup;
    std::vector<std::string> warnings;
    if (const std::string error = cli::Setup(a, setup, &warnings); !error.empty()) return Fail(2, error);
    const std::string& dataFolder = setup.dataFolder;
    if (!a.importMagnitudes.empty()) {
        Warn(warnings);
        return ImportMagnitudes(a, dataFolder);
    }
    const TOptions& options = setup.options;
    TObserver& observer = setup.observer;

    // Flares search the Iridium list, and the analysis modes an element
    // file, which they read themselves.
    std::vector<TSatRec> sats;
    const TStatus loaded = modeArgs.mode == TSearchMode::kFlares || analysis
                               ? TStatus::Success()
                               : cli::LoadSatellites(a, dataFolder, sats, &warnings);
    Warn(warnings);
    if (!loaded) return Fail(1, loaded.message);
    const std::string source = a.tleFile.empty() ? dataFolder + "MainSat.bin" : a.tleFile;

    TPredictionControls controls = a.controls;
    if (dopplerArgs.active) DopplerControls(dopplerArgs, controls);
    if (!a.list)
        if (const std::string message = ShownPeriod(a, observer, controls); !message.empty()) return Fail(2, message);
    TPredictionInputs inputs = ReadPredictionInputs(controls, observer.utcOffset);
    inputs.magModel = PredictMagModel(a, MagModelOf(options));
    // An element file with several sets of one object (a supplemental file):
    // a list shows each object once, with the set nearest the clock; the
    // searches use every set over the part of the period nearest its epoch.
    if (!a.tleFile.empty() && a.list) KeepNearestEpoch(sats, NowDayNumber());
    std::string horizonLine;
    if (!a.horizonFile.empty()) {
        std::string note;
        if (const TStatus loaded = LoadHorizonMask(a.horizonFile, HorizonFormatForName(a.horizonFile), inputs.horizon, &note);
            !loaded)
            return Fail(1, loaded.message);
        if (!note.empty()) Warn({note});
        horizonLine = HorizonHeaderLine(*inputs.horizon);
    }

    TReportSettings settings;
    settings.observerName = observer.name.str();
    settings.latitude = observer.pos.lat;
    settings.longitude = observer.pos.lon;
    settings.produced = LocalClockDayNumber();
    settings.metric = options.metric != 0;
    settings.distanceFactor = settings.metric ? 1.0 : kMileFactor;
    settings.displayOffset = inputs.displayOffset;
    settings.horizonLine = horizonLine;

    TProgressLine progress;
    if (isatty(STDERR_FILENO)) {
        gControl.progress = [&progress](std::size_t done, std::size_t total) {
            progress.Show(done, total);
        };
        gControl.output = [&progress](const std::function<void()>& write) { progress.Output(write); };
    }
    std::signal(SIGINT, OnInterrupt);

    if ((dopplerArgs.active || analysis) && a.format == TOutputFormat::kIcs)
        return Fail(2, "--format ics needs the line, flares or transit mode");
    if (dopplerArgs.active)
        return RunDopplerMode(dopplerArgs, a, inputs, observer, settings, std::move(sats), source, &gControl);
    if (analysis) return RunAnalysisMode(analysisArgs, a, dataFolder, inputs, observer, settings, &gControl);
    return RunSearchMode(modeArgs, a, dataFolder, inputs, observer, settings, std::move(sats), source, &gControl);
}
