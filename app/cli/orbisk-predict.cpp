// Command-line front end of the pass search: prints the line or tabular
// report of the installation's satellites (or of an element file) for its
// observer (or one given on the command line).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"
#include "uPassSearch.h"
#include "uPredictArgs.h"
#include "uSearchModes.h"
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

// The computer's local clock, for the "Produced" line.
double LocalClockDayNumber() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return EncodeDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min, local.tm_sec);
}

double WholeSeconds(double t) { return std::floor(t * 86400.0 + 0.5) / 86400.0; }

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    TSearchModeArgs modeArgs;
    if (const std::string error = ExtractSearchModeArgs(args, modeArgs); !error.empty())
        return Fail(2, error);
    TPredictArgs a;
    if (const std::string error = ParsePredictArgs(args, a); !error.empty()) return Fail(2, error);
    if (a.help) {
        std::fputs(PredictUsage().c_str(), stdout);
        std::fputs(SearchModeUsage().c_str(), stdout);
        return 0;
    }

    const std::string programFolder = cli::ExecutableFolder();
    const std::string dataFolder = cli::DataFolderFor(a, programFolder);

    TOptions options{};
    TMenuSettings menu{};
    std::vector<std::string> warnings;
    LoadOptions(dataFolder, programFolder, options, menu, &warnings);

    const TObserver observer = cli::ObserverFor(a, dataFolder, &warnings);

    std::vector<TSatRec> sats;
    std::string error;
    const bool loaded = cli::LoadSatellites(a, dataFolder, sats, error, &warnings);
    Warn(warnings);
    if (!loaded) return Fail(1, error);

    const bool utc = a.controls.utcMode;
    const double shownNow = WholeSeconds(NowDayNumber() + (utc ? 0.0 : observer.utcOffset));
    TPredictionControls controls = a.controls;
    controls.shownStart = a.haveStart ? a.start : shownNow;
    controls.shownStop = a.haveStop ? a.stop : WholeSeconds(controls.shownStart + a.days);
    if (const std::string message = CheckDates(controls.shownStop, controls.shownStart);
        !message.empty())
        return Fail(2, message);
    const TPredictionInputs inputs = ReadPredictionInputs(controls, observer.utcOffset);

    TReportSettings settings;
    settings.observerName = observer.name.str();
    settings.latitude = observer.pos.lat;
    settings.longitude = observer.pos.lon;
    settings.produced = LocalClockDayNumber();
    settings.metric = options.metric != 0;
    settings.distanceFactor = settings.metric ? 1.0 : kMileFactor;
    settings.displayOffset = inputs.displayOffset;

    TProgressLine progress;
    if (isatty(STDERR_FILENO))
        gControl.progress = [&progress](std::size_t done, std::size_t total) {
            progress.Show(done, total);
        };
    std::signal(SIGINT, OnInterrupt);

    if (modeArgs.mode != TSearchMode::kPasses)
        return RunSearchMode(modeArgs, a, dataFolder, inputs, observer, settings, sats, &gControl);
    const TPredictionResult result = a.table
                                          ? RunTabularSearch(inputs, sats, observer, a.threads, &gControl)
                                          : RunLineSearch(inputs, sats, observer, a.threads, &gControl);
    PrintReport(a.table ? TabularReport(result, sats, inputs, settings)
                        : LineReport(result, sats, inputs, settings));
    return FinishReport(result.status);
}
