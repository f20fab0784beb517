// A small HTTP/1.1 server on 127.0.0.1 for the download tests: one thread per
// connection, one request per connection, handlers chosen by path.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpRequest {
    std::string path;   // without the query
    std::string query;  // raw, after '?'
    std::map<std::string, std::string> headers;  // lower-case names
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain";
    std::vector<std::string> extraHeaders;
    std::string body;
    int delayMs = 0;                 // before anything is sent
    std::size_t declaredLength = 0;  // >body.size(): the connection ends early
    std::size_t dripBytes = 0;       // >0: the body goes out this many bytes at a time
    int dripIntervalMs = 0;          // ... this far apart
};

class LoopbackServer {
public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;

    LoopbackServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 16);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        acceptor_ = std::thread([this] { AcceptLoop(); });
    }

    ~LoopbackServer() {
        stopping_ = true;
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        acceptor_.join();
        std::lock_guard<std::mutex> lock(mu_);
        for (auto& t : workers_) t.join();
    }

    void Route(const std::string& path, Handler h) {
        std::lock_guard<std::mutex> lock(mu_);
        routes_[path] = std::move(h);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int Hits(const std::string& path) {
        std::lock_guard<std::mutex> lock(mu_);
        return hits_[path];
    }
    std::vector<std::string> Log() {
        std::lock_guard<std::mutex> lock(mu_);
        return log_;
    }

private:
    void AcceptLoop() {
        while (!stopping_) {
            int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) {
                if (stopping_) break;
                continue;
            }
            std::lock_guard<std::mutex> lock(mu_);
            workers_.emplace_back([this, c] { Serve(c); });
        }
    }

    void Serve(int c) {
        timeval tv{5, 0};
        ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        std::string raw;
        char buf[4096];
        while (raw.find("\r\n\r\n") == std::string::npos) {
            ssize_t n = ::recv(c, buf, sizeof buf, 0);
            if (n <= 0) {
                ::close(c);
                return;
            }
            raw.append(buf, static_cast<std::size_t>(n));
        }
        HttpRequest req;
        const auto lineEnd = raw.find("\r\n");
        const std::string first = raw.substr(0, lineEnd);
        const auto s1 = first.find(' '), s2 = first.rfind(' ');
        std::string target = first.substr(s1 + 1, s2 - s1 - 1);
        const auto q = target.find('?');
        req.path = target.substr(0, q);
        if (q != std::string::npos) req.query = target.substr(q + 1);
        std::size_t pos = lineEnd + 2;
        while (true) {
            const auto e = raw.find("\r\n", pos);
            if (e == std::string::npos || e == pos) break;
            const std::string h = raw.substr(pos, e - pos);
            const auto colon = h.find(':');
            if (colon != std::string::npos) {
                std::string name = h.substr(0, colon);
                for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                std::string value = h.substr(colon + 1);
                while (!value.empty() && value.front() == ' ') value.erase(0, 1);
                req.headers[name] = value;
            }
            pos = e + 2;
        }
        Handler h;
        {
            std::lock_guard<std::mutex> lock(mu_);
            ++hits_[req.path];
            log_.push_back(target);
            auto it = routes_.find(req.path);
            if (it != routes_.end()) h = it->second;
        }
        HttpResponse res;
        if (h) {
            res = h(req);
        } else {
            res.status = 404;
            res.contentType = "text/html";
            res.body = "<html><body>Not Found</body></html>";
        }
        if (res.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(res.delayMs));
        const std::size_t length = std::max(res.declaredLength, res.body.size());
        std::string out = "HTTP/1.1 " + std::to_string(res.status) + " X\r\nContent-Type: " + res.contentType +
                          "\r\nContent-Length: " + std::to_string(length) + "\r\nConnection: close\r\n";
        for (const auto& x : res.extraHeaders) out += x + "\r\n";
        out += "\r\n";
        const std::size_t headerSize = out.size();
        out += res.body;
        std::size_t sent = 0;
        while (sent < out.size() && !stopping_) {
            std::size_t chunk = out.size() - sent;
            if (res.dripBytes && sent >= headerSize) {
                chunk = std::min(chunk, res.dripBytes);
                std::this_thread::sleep_for(std::chrono::milliseconds(res.dripIntervalMs));
            } else if (res.dripBytes) {
                chunk = headerSize - sent;
            }
            ssize_t n = ::send(c, out.data() + sent, chunk, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::shutdown(c, SHUT_WR);
        ::close(c);
    }

    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mu_;
    std::vector<std::thread> workers_;
    std::map<std::string, Handler> routes_;
    std::map<std::string, int> hits_;
    std::vector<std::string> log_;
};
