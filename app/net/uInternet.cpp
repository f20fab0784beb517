#include "uInternet.h"

#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <ifaddrs.h>
#include <mutex>
#include <strings.h>
#include <net/if.h>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <zip.h>
#include <zlib.h>

#include "uArgValues.h"
#include "uCatNumber.h"
#include "uConversion.h"
#include "uInitialize.h"
#include "uUpdate.h"
#include "uLoadSave.h"
#include "uFileIO.h"


namespace {

constexpr std::size_t kChunk = 64 * 1024;

CURL* Curl(void* h) { return static_cast<CURL*>(h); }

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TWriteTarget {
    TAtomicFile* file = nullptr;  // none: the body is read and dropped
    std::string* head = nullptr;  // keeps the first kHeadBytes of the body when given
    std::uint64_t written = 0;
    std::uint64_t limit = 0;
    bool overLimit = false;
    bool writeFailed = false;
};

constexpr std::size_t kHeadBytes = 4096;

size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<TWriteTarget*>(user);
    const size_t n = size * count;
    if (t->written + n > t->limit) {
        t->overLimit = true;
        return 0;  // makes libcurl stop with a write error
    }
    t->written += n;
    if (t->head && t->head->size() < kHeadBytes)
        t->head->append(data, std::min(n, kHeadBytes - t->head->size()));
    if (t->file && !t->file->Write(std::string_view(data, n))) {
        t->writeFailed = true;
        return 0;
    }
    return n;
}

// Receive time-out and stop request, checked by libcurl about once a second
// or more often while a transfer waits.
struct TProgressState {
    const std::atomic<bool>* stop = nullptr;
    std::chrono::milliseconds idleLimit{15000};
    curl_off_t lastBytes = -1;
    std::chrono::steady_clock::time_point lastChange = std::chrono::steady_clock::now();
    bool timedOut = false;
};

int Progress(void* user, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t, curl_off_t) {
    auto* p = static_cast<TProgressState*>(user);
    if (p->stop && p->stop->load()) return 1;
    const auto now = std::chrono::steady_clock::now();
    const curl_off_t seen = dlNow + dlTotal;  // the total arrives with the headers
    if (seen != p->lastBytes) {
        p->lastBytes = seen;
        p->lastChange = now;
    } else if (now - p->lastChange > p->idleLimit) {
        p->timedOut = true;
        return 1;
    }
    return 0;
}

// A GET, or a POST of form, on the session's handle; the body goes to target.
bool Perform(TNetSession& s, const std::string& url, TWriteTarget& target, const std::string* form = nullptr) {
    CURL* h = Curl(s.Handle());
    const TNetConfig& c = s.Config();
    s.lastStatus = 0;
    s.lastContentType.clear();
    s.lastError.clear();
    s.lastFirstLine.clear();
    s.lastHead.clear();
    s.lastRetryAfter = 0.0;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    if (form) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(form->size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, form->c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, nullptr);
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    }
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &target);
    TProgressState progress;
    progress.stop = c.stop;
    progress.idleLimit = std::chrono::milliseconds(c.receiveTimeoutMs);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, c.lowSpeedBytesPerSecond);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, c.lowSpeedSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, c.deadlineMs);
    const CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    s.lastStatus = status;
    char* ct = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &ct) == CURLE_OK && ct) s.lastContentType = ct;
    curl_off_t retryAfter = 0;
    s.lastRetryAfter = curl_easy_getinfo(h, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0
                           ? static_cast<double>(retryAfter)
                           : 0.0;
    if (target.head) {
        s.lastHead = *target.head;
        s.lastFirstLine = FirstTextLine(s.lastHead);
    }
    if (target.overLimit) {
        s.lastError = "response larger than the limit";
        return false;
    }
    if (target.writeFailed) {
        s.lastError = target.file->Error();
        return false;
    }
    if (progress.timedOut) {
        s.lastError = "no data received for " + std::to_string(c.receiveTimeoutMs) + " ms";
        return false;
    }
    if (rc == CURLE_OPERATION_TIMEDOUT) {
        curl_off_t total = 0, connected = 0;  // microseconds
        curl_easy_getinfo(h, CURLINFO_TOTAL_TIME_T, &total);
        curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connected);
        // curl's clock for the deadline starts a little before its total time does.
        if (total / 1000 + 100 >= c.deadlineMs) {
            s.lastError = "not complete within " + std::to_string(c.deadlineMs / 1000) + " s";
            return false;
        }
        if (connected > 0) {
            s.lastError = "slower than " + std::to_string(c.lowSpeedBytesPerSecond) + " bytes/s for " +
                          std::to_string(c.lowSpeedSeconds) + " s";
            return false;
        }
    }
    if (rc != CURLE_OK) {
        // curl's own texts name the host at most, never the query with the credentials.
        s.lastError = curl_easy_strerror(rc);
        return false;
    }
    if (status < 200 || status > 299) {
        s.lastError = "HTTP status " + std::to_string(status);
        return false;
    }
    return true;
}

bool IsHttps(const std::string& url) {
    return url.size() > 8 && ::strncasecmp(url.c_str(), "https://", 8) == 0;
}

bool SafeStem(const std::string& stem) {
    return !stem.empty() && stem != "." && stem != ".." && stem.find('/') == std::string::npos &&
           stem.find('\0') == std::string::npos;
}

std::string UrlEncode(CURL* h, const std::string& text) {
    char* e = curl_easy_escape(h, text.c_str(), static_cast<int>(text.size()));
    std::string out = e ? e : "";
    curl_free(e);
    return out;
}

bool InflateGzip(const std::string& source, TAtomicFile& out, std::uint64_t maxBytes) {
    FILE* in = std::fopen(source.c_str(), "rb");
    if (!in) return false;
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 32) != Z_OK) {
        std::fclose(in);
        return false;
    }
    std::vector<unsigned char> inBuf(kChunk), outBuf(kChunk);
    std::uint64_t total = 0;
    bool ended = false, ok = true;
    while (ok) {
        if (zs.avail_in == 0) {
            const size_t n = std::fread(inBuf.data(), 1, inBuf.size(), in);
            if (n == 0) break;
            zs.next_in = inBuf.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        if (ended) {
            // Another gzip member may follow; anything else after a complete stream is ignored.
            if (zs.avail_in >= 2 && zs.next_in[0] == 0x1f && zs.next_in[1] == 0x8b) {
                inflateReset(&zs);
                ended = false;
            } else {
                break;
            }
        }
        zs.next_out = outBuf.data();
        zs.avail_out = static_cast<uInt>(outBuf.size());
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) ok = false;
        const size_t produced = outBuf.size() - zs.avail_out;
        total += produced;
        if (total > maxBytes) ok = false;
        if (ok && produced &&
            !out.Write(std::string_view(reinterpret_cast<const char*>(outBuf.data()), produced)))
            ok = false;
        if (rc == Z_STREAM_END) ended = true;
        else if (rc == Z_BUF_ERROR && zs.avail_in != 0) ok = false;
    }
    inflateEnd(&zs);
    const bool readError = std::ferror(in) != 0;
    std::fclose(in);
    return ok && ended && !readError;  // a stream cut short never reaches its end
}

bool ExtractZip(const std::string& source, TAtomicFile& out, std::uint64_t maxBytes) {
    int err = 0;
    zip_t* za = zip_open(source.c_str(), ZIP_RDONLY, &err);
    if (!za) return false;
    const zip_int64_t n = zip_get_num_entries(za, 0);
    bool ok = true, any = false;
    std::vector<char> buf(kChunk);
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; ok && i < n; ++i) {
        const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), 0);
        if (name && *name && name[std::strlen(name) - 1] == '/') continue;  // folder entry
        zip_file_t* zf = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
        if (!zf) {
            ok = false;
            break;
        }
        // Each entry replaces the one before: the target ends up holding the last.
        ok = out.Rewind();
        while (ok) {
            const zip_int64_t r = zip_fread(zf, buf.data(), buf.size());
            if (r < 0) ok = false;
            if (r <= 0) break;
            total += static_cast<std::uint64_t>(r);
            if (total > maxBytes) ok = false;
            else ok = out.Write(std::string_view(buf.data(), static_cast<size_t>(r)));
        }
        zip_fclose(zf);
        any = true;
    }
    zip_discard(za);
    return ok && any;
}

bool Unpack(const std::string& source, TAtomicFile& out, int kind, std::uint64_t maxBytes) {
    if (!out.IsOpen()) return false;
    if (kind == kGzipKind) return InflateGzip(source, out, maxBytes);
    if (kind == kZipKind) return ExtractZip(source, out, maxBytes);
    return false;
}

// The body of url into an open file, not yet committed.
bool FetchInto(TNetSession& session, const std::string& url, TAtomicFile& file) {
    if (!session.IsOpen() && !session.Open()) return false;
    if (!file.IsOpen()) {
        session.lastError = file.Error();
        return false;
    }
    session.movedStatus = 0;
    session.movedTo.clear();
    std::string head;
    TWriteTarget target;
    target.file = &file;
    target.head = &head;
    target.limit = session.Config().maxFetchBytes;
    if (Perform(session, url, target)) return true;
    // One redirect is followed, so that the user hears of a moved list
    // instead of the program silently chasing it for ever.
    const long status = session.lastStatus;
    if (status < 300 || status > 399) return false;
    char* location = nullptr;
    if (curl_easy_getinfo(Curl(session.Handle()), CURLINFO_REDIRECT_URL, &location) != CURLE_OK || !location) return false;
    session.movedStatus = status;
    session.movedTo = location;
    head.clear();
    target.written = 0;
    if (!file.Rewind()) {
        session.lastError = file.Error();
        return false;
    }
    if (Perform(session, session.movedTo, target)) return true;
    if (session.lastStatus >= 300 && session.lastStatus <= 399)
        session.lastError = "redirected again (HTTP status " + std::to_string(session.lastStatus) + ")";
    return false;
}

// One entry of the list into its target; "" when the target was replaced,
// else why it was kept.
std::string FetchEntry(TNetSession& session, const TDownloadEntry& e, const std::string& target,
                       const std::string& folder) {
    TAtomicFile file(target);
    if (!file.IsOpen()) return file.Error();
    if (e.kind == kPlainKind) {
        if (!FetchInto(session, e.url, file)) return "download failed (" + session.lastError + ")";
        if (std::string why = DownloadProblem(file.TempPath(), target, session.Config()); !why.empty())
            return "the download " + why;
    } else {
        const std::string download = folder + (e.kind == kGzipKind ? "temp.tz" : "temp.zip");
        if (!FetchUrlToFile(session, e.url, download)) return "download failed (" + session.lastError + ")";
        const bool unpacked = Unpack(download, file, e.kind, session.Config().maxExpandedBytes);
        std::remove(download.c_str());
        if (!unpacked) return "cannot unpack the download";
        if (std::string why = DownloadProblem(file.TempPath(), target, session.Config()); !why.empty())
            return "the archive " + why;
    }
    return file.Commit() ? std::string() : file.Error();
}

// The distinct catalogue numbers of a list of entries.
std::set<std::string> NumbersOf(const std::vector<TElementEntry>& entries) {
    std::set<std::string> out;
    for (const TElementEntry& e : entries) {
        const long n = CatalogueNumberValue(e.catNo.view());
        out.insert(n >= 0 ? std::to_string(n) : std::string(e.catNo.view()));
    }
    return out;
}

}  // namespace

std::string TLossQuestion::Text() const {
    return file + ": the new download holds " + std::to_string(fresh) + " objects and lacks " + std::to_string(lost) +
           " of the " + std::to_string(had) + " objects of the present file.\nReplace the present file?";
}

std::string DownloadProblem(const std::string& fresh, const std::string& target, const TNetConfig& config) {
    std::vector<TElementEntry> entries;
    TElementReadReport read;
    // An error page, a "rate limit" text or a JSON error is no reason to lose good sets.
    if (!ReadElementFile(entries, fresh, &read)) return "holds no element sets";
    // Nor is a set or two inside such a page: only element text replaces element text.
    if (read.strayLines > 0)
        return "holds " + std::to_string(read.strayLines) + " lines that belong to no element set";
    if (!read.error.empty() || read.skipped > 0) return "was not read whole (" + read.Summary() + ")";
    std::vector<TElementEntry> present;
    if (!ReadElementFile(present, target)) return {};
    const std::set<std::string> had = NumbersOf(present), now = NumbersOf(entries);
    const auto lost = static_cast<std::size_t>(
        std::count_if(had.begin(), had.end(), [&](const std::string& n) { return !now.contains(n); }));
    if (lost * 2 <= had.size()) return {};
    const TLossQuestion question{netfiles::FileNameOf(target), had.size(), lost, now.size()};
    if (config.confirmLoss && config.confirmLoss(question)) return {};
    return "lacks " + std::to_string(lost) + " of the " + std::to_string(had.size()) +
           " objects of the present file (not confirmed)";
}

void TNetReport::Note(const std::string& text) {
    notes.push_back(text);
    if (onNote) onNote(text);
}

void TNetReport::Fail(const std::string& text) {
    failures.push_back(text);
    Note(text);
}

std::vector<TListedDownload> ParseDownloadList(const std::vector<std::string>& lines) {
    std::vector<TListedDownload> out;
    const std::size_t n = std::min(lines.size(), kDownloadMaxEntries);
    for (std::size_t i = 0; i < n; ++i) {
        TListedDownload d;
        d.enabled = !lines[i].empty() && lines[i][0] >= '1' && lines[i][0] <= '9';
        d.usable = ParseDownloadLine(lines[i], d.entry) && SafeStem(d.entry.stem());
        d.loginProtected = n < kDownloadLoginEntries || i < kDownloadLoginEntries;
        out.push_back(std::move(d));
    }
    return out;
}

std::string RebuildDownloadLine(const std::string& line, bool enabled) {
    return std::string(enabled ? "1 " : "0 ") + std::string(TrimText(DataColumns(line, 2, kDownloadLastColumn + 2)));
}

std::string UrlOrigin(const std::string& url) {
    const auto p = url.find("://");
    if (p == std::string::npos || p == 0) return {};
    const auto end = url.find_first_of("/?#", p + 3);
    std::string authority = url.substr(p + 3, end == std::string::npos ? std::string::npos : end - p - 3);
    if (const auto at = authority.rfind('@'); at != std::string::npos) authority = authority.substr(at + 1);
    if (authority.empty()) return {};
    return url.substr(0, p) + "://" + authority;
}

std::string TargetPath(const TDownloadEntry& entry, const std::string& folder) {
    return folder + entry.stem() + ".tle";
}

TNetSession::TNetSession(TNetConfig config) : config_(std::move(config)) {}

TNetSession::~TNetSession() {
    if (handle_) curl_easy_cleanup(Curl(handle_));
}

bool TNetSession::Open() {
    if (handle_) return true;
    GlobalInit();
    CURL* h = curl_easy_init();
    if (!h) return false;
    curl_easy_setopt(h, CURLOPT_USERAGENT, config_.agent.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, config_.connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);  // FetchInto follows one by hand
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");  // cookie engine on, nothing read from disk
    if (!config_.caPem.empty()) {
        curl_blob blob{config_.caPem.data(), config_.caPem.size(), CURL_BLOB_COPY};
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
    }
    handle_ = h;
    return true;
}

std::string ConnectionStateText() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return "NONE";
    std::string state = "NONE";
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || (a->ifa_flags & IFF_LOOPBACK) || !(a->ifa_flags & IFF_UP) ||
            !(a->ifa_flags & IFF_RUNNING))
            continue;
        if (a->ifa_addr->sa_family == AF_INET || a->ifa_addr->sa_family == AF_INET6) {
            state = "LAN";
            break;
        }
    }
    ::freeifaddrs(list);
    return state;
}

bool CheckConnection(TNetSession& session, TNetReport& report) {
    const std::string state = session.Config().connectionState ? session.Config().connectionState()
                                                                : ConnectionStateText();
    if (state == "NONE" || state == "BUSY") {
        report.messages.push_back({"Connection State", "Internet connection is \"" + state + "\""});
        return false;
    }
    if (!session.Open()) {
        report.messages.push_back({"Connection Error", "Failed to connect to the INTERNET"});
        return false;
    }
    return true;
}

bool FetchUrlToFile(TNetSession& session, const std::string& url, const std::string& path) {
    TAtomicFile file(path);
    if (!FetchInto(session, url, file)) return false;
    if (file.Commit()) return true;
    session.lastError = file.Error();
    return false;
}

bool DecompressDownload(const std::string& source, const std::string& target, int kind, std::uint64_t maxBytes) {
    TAtomicFile out(target);
    return Unpack(source, out, kind, maxBytes) && out.Commit();
}

TProviderAnswer ProviderAnswer(long status) {
    if (status == 401 || status == 403) return TProviderAnswer::kLoginRefused;
    if (status == 429 || (status >= 500 && status <= 599)) return TProviderAnswer::kBusy;
    return TProviderAnswer::kOther;
}

bool ProviderLogin(TNetSession& session, const std::string& origin, const TDownloadSettings& settings,
                   TNetReport& report) {
    CURL* h = Curl(session.Handle());
    // The password goes only to an HTTPS address, and in the body of a POST,
    // which neither a proxy's log nor a redirect's Location repeats.
    if (!IsHttps(origin)) {
        report.messages.push_back({kLoginFailedTitle, kLoginNotHttpsText});
        return false;
    }
    bool ok = h != nullptr;
    TProviderAnswer answer = TProviderAnswer::kOther;
    if (ok) {
        std::string form = "identity=" + UrlEncode(h, settings.user) + "&password=" + UrlEncode(h, settings.password);
        std::string head;
        TWriteTarget sink;
        sink.limit = session.Config().maxFetchBytes;
        sink.head = &head;
        // No redirect is followed (the handle follows none): a 307 or 308
        // would carry the body elsewhere.
        ok = Perform(session, origin + kProviderLoginPath, sink, &form);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, nullptr);  // the handle keeps no pointer to the credentials
        ::explicit_bzero(form.data(), form.size());
        answer = ProviderAnswer(session.lastStatus);
        // A wrong password may come back as 200 with {"Login":"Failed"}: only
        // a session cookie and no such answer tell a good login.
        curl_slist* cookies = nullptr;
        if (ok && head.find("\"Failed\"") == std::string::npos &&
            curl_easy_getinfo(h, CURLINFO_COOKIELIST, &cookies) == CURLE_OK) {
            ok = cookies != nullptr;
            curl_slist_free_all(cookies);
        } else {
            ok = false;
        }
    }
    if (!ok) report.messages.push_back(answer == TProviderAnswer::kBusy ? TNetMessage{kProviderBusyTitle, kProviderBusyText}
                                                                        : TNetMessage{kLoginFailedTitle, kLoginFailedText});
    return ok;
}

namespace {

// " (HTTP 404: Not Found)": the answer an entry's note ends with.
std::string AnswerTag(const TNetSession& s) {
    if (s.lastStatus == 0) return {};
    std::string tag = " (HTTP " + std::to_string(s.lastStatus);
    // A good answer's first line is data (or binary), not the provider's word.
    const bool good = s.lastStatus >= 200 && s.lastStatus <= 299;
    if (!good && !s.lastFirstLine.empty()) tag += ": " + s.lastFirstLine;
    return tag + ")";
}

std::string HostOf(const std::string& url) {
    const std::string origin = UrlOrigin(url);
    const auto p = origin.find("://");
    return p == std::string::npos ? origin : origin.substr(p + 3);
}

int MinutesOf(double seconds) { return std::max(1, static_cast<int>(std::ceil(seconds / 60.0))); }

}  // namespace

std::string DefaultUserAgent() { return "Skyvane/" + ProgramVersion() + " (Orbisk)"; }

std::string FirstTextLine(std::string_view body) {
    std::string text;
    bool inTag = false;
    for (char c : body) {
        if (c == '<') inTag = true;
        else if (c == '>' && inTag) {
            inTag = false;
            text += ' ';  // "<td>a</td><td>b</td>" reads "a b"
        } else if (!inTag) {
            text += c;
        }
    }
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line;
        for (std::size_t i = start; i < end; ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\t' || c == ' ') {
                if (!line.empty() && line.back() != ' ') line += ' ';
            } else if (c >= 0x20 && c != 0x7f) {
                line += static_cast<char>(c);
            }
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) {
            if (line.size() > 100) line = line.substr(0, 97) + "...";
            return line;
        }
        start = end + 1;
    }
    return {};
}

TBatchResult DownloadList(const std::vector<std::string>& lines, const std::string& folder,
                          const TDownloadSettings& settings, const TNetConfig& config, TNetReport& report) {
    TBatchResult res;
    TNetSession session(config);
    if (!CheckConnection(session, report)) return res;
    const auto entries = ParseDownloadList(lines);
    TProviderLimiter& limiter = config.limiter ? *config.limiter : ProviderLimiter();
    TFreshness& freshness = config.freshness ? *config.freshness : DownloadFreshness();
    // Every request to the provider waits for its turn under the provider's limits.
    auto admitted = [&](const std::string& url, const std::string& label) {
        switch (limiter.Admit(IsGpClassUrl(url), config.stop)) {
            case TAdmission::kGo: return true;
            case TAdmission::kGpTooSoon:
                report.Fail(label + ": the provider serves this class once an hour; try again in " +
                            std::to_string(std::max(1, static_cast<int>(std::ceil(limiter.GpWait() / 60.0)))) +
                            " minutes, previous file kept");
                return false;
            case TAdmission::kHourFull: report.messages.push_back({kProviderBusyTitle, kProviderBusyText}); break;
            case TAdmission::kStopped: break;
        }
        res.stopped = true;
        return false;
    };
    for (const auto& d : entries) {
        if (d.enabled && d.usable && d.loginProtected) {
            if (!admitted("", "Login") || !ProviderLogin(session, UrlOrigin(d.entry.url), settings, report)) return res;
            break;
        }
    }
    const int total = static_cast<int>(std::count_if(entries.begin(), entries.end(),
                                                     [](const TListedDownload& d) { return d.enabled; }));
    auto progress = [&](int done) {
        if (report.onProgress) report.onProgress(done, total);
    };
    progress(0);
    int enabled = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TListedDownload& d = entries[i];
        if (!d.enabled) continue;
        if (enabled > 0) progress(enabled);
        if (config.stop && config.stop->load()) {
            res.stopped = true;
            break;
        }
        ++enabled;
        const TDownloadEntry& e = d.entry;
        if (!d.usable) {
            ++res.failed;
            report.Fail("Line " + std::to_string(i + 1) + ": skipped, the list entry is not usable");
            continue;
        }
        const std::string& label = e.displayName;
        const std::string target = TargetPath(e, folder);
        const std::string origin = UrlOrigin(e.url), host = HostOf(e.url);
        const bool guarded = !d.loginProtected && (config.guarded ? config.guarded(e.url) : IsFreshnessGuardedUrl(e.url));
        if (guarded) {
            if (const double wait = freshness.BackOffFor(origin); wait > 0.0) {
                ++res.failed;
                report.Fail(label + ": not asked, " + host + " was busy and is left alone until " +
                            UtcClockText(freshness.Now() + wait) + ", previous file kept");
                continue;
            }
            // The provider has nothing newer yet: asking again would only count against us.
            if (const double left = freshness.FreshFor(e.url); left > 0.0) {
                ++res.kept;
                report.Note(label + ": fresh, kept (downloaded " + std::to_string(MinutesOf(freshness.AgeOf(e.url))) +
                            " minutes ago; asked again from " + UtcClockText(freshness.Now() + left) + ")");
                continue;
            }
        }
        if (d.loginProtected && !admitted(e.url, label)) {
            if (res.stopped) return res;
            ++res.failed;
            continue;
        }
        const std::string why = FetchEntry(session, e, target, folder);
        const long status = session.lastStatus;
        const std::string tag = AnswerTag(session);
        const bool answered = status >= 200 && status <= 299;
        // "download failed (HTTP status 404)" says less than the answer's own tag.
        const std::string failure = status != 0 && !answered ? "download failed" : why;
        if (why.empty()) {
            ++res.fetched;
            if (guarded) freshness.Downloaded(e.url);
            report.Note(label + ": " + netfiles::FileNameOf(target) + " updated" + tag);
            if (session.movedStatus == 301 || session.movedStatus == 308) {
                report.Note(label + ": the list moved to " + session.movedTo + "; change the entry's address to it");
                report.messages.push_back({kMovedTitle, label + ": the provider moved this list permanently to\n" +
                                                            session.movedTo +
                                                            "\nChange the entry's address in the download list to it; "
                                                            "the old one may stop working."});
            }
            continue;
        }
        if (d.loginProtected) {
            ++res.failed;
            report.Fail(label + ": " + failure + tag + ", previous file kept");
            // The provider refusing us or being overloaded ends the batch: more
            // requests would only be refused too, or count against our limits.
            const TProviderAnswer answer = ProviderAnswer(status);
            if (answer != TProviderAnswer::kOther) {
                report.messages.push_back(answer == TProviderAnswer::kBusy
                                              ? TNetMessage{kProviderBusyTitle, kProviderBusyText}
                                              : TNetMessage{kLoginFailedTitle, kLoginFailedText});
                res.stopped = true;
                    return res;
            }
            continue;
        }
        if (status == 403 && session.lastHead.find(kNotUpdatedText) != std::string::npos) {
            // Nothing newer since our last download: the file is current.
            ++res.kept;
            if (guarded) freshness.Downloaded(e.url);
            report.Note(label + ": kept, still fresh" + tag);
            continue;
        }
        ++res.failed;
        if (status == 403) {
            report.Fail(label + ": refused" + tag + ", previous file kept");
            report.messages.push_back(
                {kRefusedTitle,
                 host + " refused this program's download" + tag +
                     ".\nThe batch stopped: nothing more was asked of it. Providers refuse programs that ask too "
                     "often, and block the networks they come from when refusals are ignored. Wait a few hours "
                     "before the next download, enable only the lists you need and keep the automatic download "
                     "to a few a day; if the refusal stays, ask the provider whether your network's address is "
                     "blocked."});
            res.stopped = true;
            return res;
        }
        if (status == 404 || status == 410) {
            report.gone.push_back(label);
            report.Fail(label + ": gone, the provider no longer has it" + tag +
                        "; remove the entry from the list, previous file kept");
            continue;
        }
        if (status == 429 || (status >= 500 && status <= 599)) {
            report.Fail(label + ": " + failure + tag + ", previous file kept");
            std::string text = host + " is busy" + tag + ".\nThe batch stopped: nothing more was asked of it.";
            if (guarded) {
                freshness.BackOff(origin, session.lastRetryAfter > 0.0 ? session.lastRetryAfter : kBusyBackOffSeconds);
                text += " It is not asked again before " + UtcClockText(freshness.Now() + freshness.BackOffFor(origin)) + ".";
            } else {
                text += " Try again later.";
            }
            report.messages.push_back({kBusyTitle, text});
            res.stopped = true;
            return res;
        }
        report.Fail(label + ": " + failure + tag + ", previous file kept");
    }
    // A stop that came during the last transfer cut it short too.
    if (config.stop && config.stop->load()) res.stopped = true;
    if (!res.stopped) progress(enabled);
    res.ok = enabled == 0 || res.fetched > 0 || res.kept > 0;
    return res;
}

bool DownloadFile(const std::string& url, const std::string& path, const TNetConfig& config, TNetReport& report) {
    TNetSession session(config);
    if (!CheckConnection(session, report)) return false;
    if (FetchUrlToFile(session, url, path)) return true;
    report.messages.push_back({"Download Error", "Failed to download file : \"" + path + "\""});
    return false;
}

int ConvertDownloadedFiles(const std::vector<std::string>& lines, const std::string& folder,
                           const std::string& magPath, TNetReport& report) {
    int converted = 0;
    for (const auto& e : ParseDownloadList(lines)) {
        // The file the download wrote, whichever rule named it.
        if (!e.enabled || !e.usable) continue;
        const std::string path = TargetPath(e.entry, folder);
        if (!netfiles::FileExists(path)) continue;
        TElementReadReport read;
        if (const TStatus done = ConvertToCommonNames(path, magPath, &read))
            ++converted;
        else
            report.Fail(netfiles::FileNameOf(path) + ": conversion failed (" + done.message + "), file kept");
        if (const std::string why = read.Summary(); !why.empty()) report.Note(netfiles::FileNameOf(path) + ": " + why);
    }
    return converted;
}

std::vector<std::string> LinesDueForDownload(std::vector<std::string> lines, const std::string& folder,
                                             int32_t periodHours, double nowDay) {
    const auto entries = ParseDownloadList(lines);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].enabled || !entries[i].usable) continue;
        struct stat st{};
        const std::string target = TargetPath(entries[i].entry, folder);
        if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const double ageHours = (nowDay - (kUnixEpochDay + static_cast<double>(st.st_mtime) / 86400.0)) * 24.0;
        if (ageHours >= 0.0 && ageHours < static_cast<double>(periodHours)) lines[i][0] = '0';
    }
    return lines;
}

bool AutoDownloadAllowed(const std::string& path, double nowDay, int maxPerDay) {
    if (maxPerDay <= 0) return true;
    std::vector<std::string> lines;
    ReadFileLines(path, 64 * 1024, lines);
    int recent = 0;
    for (const std::string& line : lines) {
        char* end = nullptr;
        const double day = std::strtod(line.c_str(), &end);
        // Garbled lines, and times ahead of the clock, are no batch.
        if (end == line.c_str() || !std::isfinite(day)) continue;
        if (day <= nowDay && nowDay - day < 1.0) ++recent;
    }
    return recent < maxPerDay;
}

TStatus RecordAutoDownload(const std::string& path, double nowDay) {
    std::vector<std::string> lines;
    ReadFileLines(path, 64 * 1024, lines);
    std::string text;
    for (const std::string& line : lines) {
        char* end = nullptr;
        const double day = std::strtod(line.c_str(), &end);
        if (end != line.c_str() && std::isfinite(day) && day <= nowDay && nowDay - day < 1.0) text += line + "\n";
    }
    char now[40];
    std::snprintf(now, sizeof now, "%.6f\n", nowDay);
    return WriteFileAtomic(path, text + now);
}

bool StartUpDownloadDue(bool autoDownload, int32_t periodHours, double lastDay, double nowDay) {
    if (!autoDownload) return false;
    // A tolerance of a few milliseconds keeps "exactly one period ago" due.
    const double elapsedHours = std::fabs(nowDay - lastDay) * 24.0 + 1e-6;
    return !(static_cast<double>(periodHours) > elapsedHours);
}

TStartUpResult StartUpDownload(TStartUpJob job) {
    TStartUpResult r;
    LoadDownloadSettings(job.dataFolder, r.settings, job.nowDay);
    const TDownloadSettings settings = r.settings;
    auto caption = [&](const std::string& suffix) {
        if (job.onCaption) job.onCaption(job.locationName.substr(0, 64) + suffix);
    };
    const std::string autoRecord = job.dataFolder + kAutoRecordFile;
    r.due = StartUpDownloadDue(job.autoDownload, settings.period, settings.lastDownload, job.nowDay) &&
            AutoDownloadAllowed(autoRecord, job.nowDay, job.maxPerDay);
    if (r.due) {
        // Unrecorded, the batch would not count against the day's limit.
        if (const TStatus recorded = RecordAutoDownload(autoRecord, job.nowDay); !recorded)
            r.report.messages.push_back({"File", NotWrittenText(autoRecord, recorded.message)});
        std::vector<std::string> lines;
        netfiles::ReadLines(job.dataFolder + "dwnlist.dat", lines);
        // What arrived within the period (before an entry failed last time) is not fetched again.
        lines = LinesDueForDownload(lines, job.elementFolder, settings.period, job.nowDay);
        caption(" - Connecting to Space-Track.");
        const TBatchResult batch = DownloadList(lines, job.elementFolder, settings, job.config, r.report);
        r.ok = batch.ok;
        if (batch.failed > 0) {
            std::string text = "Automatic download: " + std::to_string(batch.failed) + " of " +
                               std::to_string(batch.fetched + batch.failed) +
                               " files could not be updated; they are tried again at the next start.";
            for (const std::string& f : r.report.failures) text += "\n" + f;
            r.report.messages.push_back({"Download", text});
        }
        if (r.ok) {
            caption(" - File Download Completed.");
            // The time moves only when every entry is current, so a failed one waits no period.
            if (batch.failed == 0 && !batch.stopped) {
                r.settings.lastDownload = job.nowDay;
                r.settings.downloaded = true;
                // Unsaved, the time stays old and the next start downloads all again.
                if (const TStatus saved = SaveDownloadSettings(job.dataFolder, r.settings); !saved)
                    r.report.messages.push_back(
                        {"File", NotWrittenText(job.dataFolder + kDownloadSettingsFile, saved.message)});
            }
            if (settings.updateMain) {
                caption(" - Updating Selected Satellite...");
                r.mainChanged = UpdateFromElementFiles(job.mainSats, job.elementFolder);
            }
            if (settings.updateIrid) {
                caption(" - Updating Iridium satellite...");
                // The window writes IridSat.bin from the list it is given back, on its own thread.
                r.iridChanged = UpdateFromElementFiles(job.iridiumSats, job.elementFolder);
            }
            if (settings.convert) {
                caption(" - File Conversion...");
                ConvertDownloadedFiles(lines, job.elementFolder, job.dataFolder + "Mag.dat", r.report);
            }
        } else {
            caption(" - System Failed to Auto-update.");
        }
    }
    caption("");
    r.mainSats = std::move(job.mainSats);
    r.iridiumSats = std::move(job.iridiumSats);
    return r;
}
