// The radio tests' devices: hamlib's daemons (rigctld, rotctld with the dummy
// model) started on a free loopback port and stopped by their PID, and a
// recording relay that stands between the program and a daemon.
#pragma once
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// A loopback port nobody listens on now.
inline int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
    close(s);
    return ntohs(a.sin_port);
}

inline bool CanConnect(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

// rigctld or rotctld -m 1 on 127.0.0.1:port, until Stop() or destruction.
class TDaemon {
public:
    TDaemon(std::string program, int port, std::vector<std::string> extra = {})
        : program_(std::move(program)), port_(port), extra_(std::move(extra)) {}
    ~TDaemon() { Stop(); }
    static bool Installed(const std::string& program) { return access(("/usr/bin/" + program).c_str(), X_OK) == 0; }
    bool Start() {
        std::vector<std::string> args = {program_, "-m", "1", "-T", "127.0.0.1", "-t", std::to_string(port_)};
        args.insert(args.end(), extra_.begin(), extra_.end());
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        const int rc = posix_spawn(&pid_, ("/usr/bin/" + program_).c_str(), &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        if (rc != 0) return false;
        for (int i = 0; i < 100; ++i) {
            if (CanConnect(port_)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    int Port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    std::string program_;
    int port_;
    std::vector<std::string> extra_;
    pid_t pid_ = -1;
};

// Listens on a loopback port and relays one client at a time to a daemon,
// recording every command line with its arrival time. Rules may delay a
// command or answer it in the daemon's place.
class TRecordingRelay {
public:
    struct Line {
        std::chrono::steady_clock::time_point at;
        std::string text;
    };
    // Called for each command line before it is relayed: returns a reply to
    // send instead of relaying it ("" relays it), and may sleep to delay it.
    using Rule = std::function<std::string(const std::string& line)>;

    explicit TRecordingRelay(int upstream) : upstream_(upstream) {
        listen_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &n);
        port_ = ntohs(a.sin_port);
        listen(listen_, 4);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TRecordingRelay() {
        stop_ = true;
        shutdown(listen_, SHUT_RDWR);
        close(listen_);
        thread_.join();
    }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
    void SetRule(Rule rule) {
        std::lock_guard<std::mutex> lock(mutex_);
        rule_ = std::move(rule);
    }
    std::vector<Line> Lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    void Serve() {
        while (!stop_) {
            const int client = accept(listen_, nullptr, nullptr);
            if (client < 0) return;
            const int up = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<uint16_t>(upstream_));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (connect(up, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
                close(client);
                close(up);
                continue;
            }
            std::thread back([client, up] {
                char buf[4096];
                for (ssize_t n; (n = recv(up, buf, sizeof buf, 0)) > 0;)
                    if (send(client, buf, static_cast<std::size_t>(n), MSG_NOSIGNAL) < 0) break;
                shutdown(client, SHUT_RDWR);
            });
            std::string pending;
            char buf[4096];
            for (ssize_t n; (n = recv(client, buf, sizeof buf, 0)) > 0;) {
                pending.append(buf, static_cast<std::size_t>(n));
                for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                    const std::string line = pending.substr(0, end);
                    pending.erase(0, end + 1);
                    Rule rule;
                    {
                        std::lock_guard<std::mutex> lock(mutex_);
                        lines_.push_back({std::chrono::steady_clock::now(), line});
                        rule = rule_;
                    }
                    const std::string reply = rule ? rule(line) : std::string();
                    if (!reply.empty()) send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
                    else send(up, (line + "\n").data(), line.size() + 1, MSG_NOSIGNAL);
                }
            }
            shutdown(up, SHUT_RDWR);
            back.join();
            close(up);
            close(client);
        }
    }

    int upstream_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    Rule rule_;
    std::vector<Line> lines_;
    std::thread thread_;
};

// Waits up to `seconds` for done() to hold.
inline bool WaitUntil(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}
