// The programs alert rules run at AOS and LOS: started directly with their
// arguments (never through a shell), the event in their environment, their
// exit status and first line of error output kept, stopped when they run
// longer than their time limit.
#pragma once
#include <atomic>
#include <string>
#include <utility>
#include <vector>

struct TActionRun {
    std::vector<std::string> argv;  // program (a path, or a name looked up in PATH) and arguments
    std::vector<std::pair<std::string, std::string>> env;  // added to (or replacing in) the program's environment
    int timeoutSeconds = 30;
};

struct TActionResult {
    bool started = false;
    std::string startError;   // why it could not be started
    bool exited = false;      // ended by itself with exitStatus
    int exitStatus = -1;
    int signal = 0;           // ended by this signal
    bool timedOut = false;    // stopped after its time limit
    std::string firstErrorLine;  // of its standard error, at most kMaxErrorLine bytes
};

inline constexpr std::size_t kMaxErrorLine = 200;
// After SIGTERM, this long before SIGKILL.
inline constexpr int kActionKillGraceMs = 2000;

// Runs the program to its end or its time limit (blocks: call on a worker).
// Its standard input and output are /dev/null; it runs in a process group of
// its own, and a stop ends the whole group (SIGTERM, then SIGKILL). cancel
// (may be null) stops it early, as a timeout would.
TActionResult RunAction(const TActionRun& run, const std::atomic<bool>* cancel = nullptr);

// "exit 0", "exit 3: <first error line>", "stopped after 30 s", "cannot start
// 'x': No such file or directory", "killed by signal 9".
std::string ActionOutcomeText(const TActionResult& result, int timeoutSeconds);

// The environment of an event's program.
struct TActionEvent {
    std::string name;       // satellite name, UTF-8
    std::string number;     // catalogue number
    std::string event;      // AOS, LOS or LEAD
    double timeUtc = 0;     // UTC day number of the event (AOS for LEAD)
    double maxElevation = 0;  // degrees
    double azimuth = 0;     // degrees: at AOS (AOS, LEAD) or LOS
};
std::vector<std::pair<std::string, std::string>> ActionEnvironment(const TActionEvent& event);
