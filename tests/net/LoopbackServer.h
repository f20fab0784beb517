// A small HTTP/1.1 server on 127.0.0.1 for the download tests: one thread per
// connection, one request per connection, handlers chosen by path. With TLS
// it presents a certificate of its own for 127.0.0.1 (CertificatePem() is
// what the client must trust).
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
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
    std::string method;
    std::string path;   // without the query
    std::string query;  // raw, after '?'
    std::map<std::string, std::string> headers;  // lower-case names
    std::string body;
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

    enum Mode { kPlain, kTls };

    explicit LoopbackServer(Mode mode = kPlain) {
        if (mode == kTls) MakeTlsContext();
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
        if (tls_) SSL_CTX_free(tls_);
    }

    void Route(const std::string& path, Handler h) {
        std::lock_guard<std::mutex> lock(mu_);
        routes_[path] = std::move(h);
    }
    std::string Base() const { return (tls_ ? "https" : "http") + std::string("://127.0.0.1:") + std::to_string(port_); }
    const std::string& CertificatePem() const { return certPem_; }
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

    // A key and a self-signed certificate for 127.0.0.1, made afresh.
    void MakeTlsContext() {
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* cert = X509_new();
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
        X509_gmtime_adj(X509_getm_notAfter(cert), 86400);
        X509_set_version(cert, 2);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1,
                                   -1, 0);
        X509_set_issuer_name(cert, name);
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
        for (auto [nid, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1"},
                                  std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
            X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
            X509_add_ext(cert, ext, -1);
            X509_EXTENSION_free(ext);
        }
        X509_sign(cert, key, EVP_sha256());
        BIO* bio = BIO_new(BIO_s_mem());
        PEM_write_bio_X509(bio, cert);
        char* data = nullptr;
        const long n = BIO_get_mem_data(bio, &data);
        certPem_.assign(data, static_cast<std::size_t>(n));
        BIO_free(bio);
        tls_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(tls_, cert);
        SSL_CTX_use_PrivateKey(tls_, key);
        X509_free(cert);
        EVP_PKEY_free(key);
    }

    void Serve(int c) {
        timeval tv{5, 0};
        ::setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        SSL* ssl = nullptr;
        if (tls_) {
            ssl = SSL_new(tls_);
            SSL_set_fd(ssl, c);
            if (SSL_accept(ssl) <= 0) {
                SSL_free(ssl);
                ::close(c);
                return;
            }
        }
        auto receive = [&](char* buf, std::size_t size) -> long {
            return ssl ? SSL_read(ssl, buf, static_cast<int>(size)) : ::recv(c, buf, size, 0);
        };
        auto transmit = [&](const char* buf, std::size_t size) -> long {
            return ssl ? SSL_write(ssl, buf, static_cast<int>(size)) : ::send(c, buf, size, MSG_NOSIGNAL);
        };
        auto finish = [&] {
            if (ssl) {
                SSL_shutdown(ssl);
                SSL_free(ssl);
            }
            ::shutdown(c, SHUT_WR);
            ::close(c);
        };
        std::string raw;
        char buf[4096];
        while (raw.find("\r\n\r\n") == std::string::npos) {
            const long n = receive(buf, sizeof buf);
            if (n <= 0) {
                finish();
                return;
            }
            raw.append(buf, static_cast<std::size_t>(n));
        }
        HttpRequest req;
        const auto lineEnd = raw.find("\r\n");
        const std::string first = raw.substr(0, lineEnd);
        const auto s1 = first.find(' '), s2 = first.rfind(' ');
        req.method = first.substr(0, s1);
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
        const std::size_t bodyStart = raw.find("\r\n\r\n") + 4;
        const std::size_t bodyLength =
            req.headers.count("content-length") ? std::stoul(req.headers["content-length"]) : 0;
        while (raw.size() < bodyStart + bodyLength) {
            const long n = receive(buf, sizeof buf);
            if (n <= 0) break;
            raw.append(buf, static_cast<std::size_t>(n));
        }
        req.body = raw.substr(bodyStart, bodyLength);
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
            const long n = transmit(out.data() + sent, chunk);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        finish();
    }

    SSL_CTX* tls_ = nullptr;
    std::string certPem_;
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
