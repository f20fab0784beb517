#include "uActions.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

#include "uFormat.h"

extern char** environ;

namespace {
using Clock = std::chrono::steady_clock;

std::vector<std::string> MergedEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
    std::map<std::string, std::string> vars;
    std::vector<std::string> order;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = entry.substr(0, eq);
        if (!vars.count(key)) order.push_back(key);
        vars[key] = entry.substr(eq + 1);
    }
    for (const auto& [k, v] : extra) {
        if (!vars.count(k)) order.push_back(k);
        vars[k] = v;
    }
    std::vector<std::string> out;
    for (const std::string& k : order) out.push_back(k + "=" + vars[k]);
    return out;
}

// Waits for the child; true when it ended within ms (status filled).
bool WaitFor(pid_t pid, int ms, int& status) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return true;
        if (r < 0 && errno != EINTR) return true;  // not ours any more
        if (Clock::now() >= until) return false;
        usleep(10000);
    }
}
}  // namespace

TActionResult RunAction(const TActionRun& run, const std::atomic<bool>* cancel) {
    TActionResult result;
    if (run.argv.empty() || run.argv[0].empty()) {
        result.startError = "no program given";
        return result;
    }
    int err[2];
    if (pipe2(err, O_CLOEXEC) != 0) {
        result.startError = std::string("cannot make a pipe: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own process group, so a stop reaches what it started too; and the
    // signal dispositions of a fresh program.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::vector<char*> argv;
    for (const std::string& a : run.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::vector<std::string> envText = MergedEnvironment(run.env);
    std::vector<char*> envp;
    for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(err[1]);
    if (rc != 0) {
        close(err[0]);
        result.startError = "cannot start '" + run.argv[0] + "': " + std::strerror(rc);
        return result;
    }
    result.started = true;

    // Read its error output (keeping the first line) until it closes or time is up.
    std::string errText;
    bool lineDone = false;
    const auto deadline = Clock::now() + std::chrono::seconds(run.timeoutSeconds);
    bool open = true;
    int status = 0;
    bool ended = false;
    while (!ended) {
        if (cancel && cancel->load()) break;
        if (Clock::now() >= deadline) break;
        if (open) {
            pollfd p{err[0], POLLIN, 0};
            const int n = poll(&p, 1, 50);
            if (n > 0) {
                char buf[512];
                const ssize_t got = read(err[0], buf, sizeof buf);
                if (got <= 0) {
                    open = false;
                } else if (!lineDone) {
                    errText.append(buf, static_cast<std::size_t>(got));
                    const auto nl = errText.find('\n');
                    if (nl != std::string::npos) errText.resize(nl), lineDone = true;
                    if (errText.size() >= kMaxErrorLine) errText.resize(kMaxErrorLine), lineDone = true;
                }
            }
        } else {
            usleep(10000);
        }
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) ended = true;
    }
    if (!ended) {
        // Time is up (or cancelled): the whole group, gently first.
        result.timedOut = true;
        kill(-pid, SIGTERM);
        if (!WaitFor(pid, kActionKillGraceMs, status)) {
            kill(-pid, SIGKILL);
            WaitFor(pid, 5000, status);
        }
    }
    // What was written before it ended.
    if (!lineDone) {
        fcntl(err[0], F_SETFL, O_NONBLOCK);
        char buf[512];
        ssize_t got;
        while (errText.size() < kMaxErrorLine && (got = read(err[0], buf, sizeof buf)) > 0)
            errText.append(buf, static_cast<std::size_t>(got));
        const auto nl = errText.find('\n');
        if (nl != std::string::npos) errText.resize(nl);
        if (errText.size() > kMaxErrorLine) errText.resize(kMaxErrorLine);
    }
    close(err[0]);
    if (!errText.empty() && errText.back() == '\r') errText.pop_back();
    result.firstErrorLine = errText;
    if (WIFEXITED(status)) {
        result.exited = !result.timedOut;
        result.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
    }
    return result;
}

std::string ActionOutcomeText(const TActionResult& r, int timeoutSeconds) {
    if (!r.started) return r.startError;
    std::string s;
    if (r.timedOut)
        s = "stopped after " + std::to_string(timeoutSeconds) + " s";
    else if (r.exited)
        s = "exit " + std::to_string(r.exitStatus);
    else
        s = "killed by signal " + std::to_string(r.signal);
    if (!r.firstErrorLine.empty()) s += ": " + PrintableText(r.firstErrorLine);
    return s;
}

std::vector<std::pair<std::string, std::string>> ActionEnvironment(const TActionEvent& e) {
    return {
        {"ORBISK_NAME", e.name},
        {"ORBISK_NUMBER", e.number},
        {"ORBISK_EVENT", e.event},
        {"ORBISK_TIME_UTC", FormatDateTime("yyyy-mm-dd'T'HH:nn:ss'Z'", e.timeUtc)},
        {"ORBISK_MAX_ELEVATION", FormatFloat("0.0", e.maxElevation)},
        {"ORBISK_AZIMUTH", FormatFloat("0.0", e.azimuth)},
    };
}
