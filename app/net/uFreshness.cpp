#include "uFreshness.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "uFileIO.h"

namespace {
constexpr std::size_t kMaxRecordBytes = 256 * 1024;

double SystemSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// "<word> <seconds> <key>": a record, or false for anything else.
bool ParseRecord(const std::string& line, std::string& word, double& seconds, std::string& key) {
    const auto a = line.find(' ');
    if (a == std::string::npos) return false;
    const auto b = line.find(' ', a + 1);
    if (b == std::string::npos || b + 1 >= line.size()) return false;
    word = line.substr(0, a);
    const std::string number = line.substr(a + 1, b - a - 1);
    char* end = nullptr;
    seconds = std::strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !std::isfinite(seconds) || seconds < 0.0) return false;
    key = line.substr(b + 1);
    if (!key.empty() && key.back() == '\r') key.pop_back();
    return !key.empty() && key.find(' ') == std::string::npos;
}
}  // namespace

TFreshness::TFreshness(std::function<double()> wall) : wall_(wall ? std::move(wall) : SystemSeconds) {}

void TFreshness::Keep(const std::string& path) {
    std::vector<std::string> lines;
    ReadFileLines(path, kMaxRecordBytes, lines);
    std::map<std::string, double> fresh, backOff;
    const double now = wall_();
    for (const std::string& line : lines) {
        std::string word, key;
        double t = 0.0;
        if (!ParseRecord(line, word, t, key)) continue;
        // A download "in the future" (the clock was set back) proves nothing,
        // and a wait beyond the longest one allowed is not believed either.
        if (word == "fresh" && t <= now) fresh[key] = t;
        else if (word == "wait" && t <= now + kMaxBackOffSeconds) backOff[key] = t;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    fresh_ = std::move(fresh);
    backOff_ = std::move(backOff);
}

double TFreshness::AgeOf(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = fresh_.find(url);
    return it == fresh_.end() ? -1.0 : wall_() - it->second;
}

double TFreshness::FreshFor(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = fresh_.find(url);
    if (it == fresh_.end()) return 0.0;
    const double since = wall_() - it->second;
    if (since < 0.0) return 0.0;
    return std::max(0.0, kFreshSeconds - since);
}

void TFreshness::Downloaded(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    fresh_[url] = wall_();
    SaveLocked();
}

double TFreshness::BackOffFor(const std::string& origin) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = backOff_.find(origin);
    return it == backOff_.end() ? 0.0 : std::max(0.0, it->second - wall_());
}

void TFreshness::BackOff(const std::string& origin, double seconds) {
    seconds = std::clamp(std::isfinite(seconds) ? seconds : kBusyBackOffSeconds, kMinBackOffSeconds, kMaxBackOffSeconds);
    std::lock_guard<std::mutex> lock(mutex_);
    backOff_[origin] = wall_() + seconds;
    SaveLocked();
}

void TFreshness::SaveLocked() const {
    if (path_.empty()) return;
    const double now = wall_();
    std::string text;
    char number[32];
    // Only what still holds anything back is written: the file stays small.
    for (const auto& [url, t] : fresh_) {
        if (now - t >= kFreshSeconds || url.find_first_of(" \r\n") != std::string::npos) continue;
        std::snprintf(number, sizeof number, "%.0f", t);
        text += std::string("fresh ") + number + " " + url + "\n";
    }
    for (const auto& [origin, t] : backOff_) {
        if (t <= now || origin.find_first_of(" \r\n") != std::string::npos) continue;
        std::snprintf(number, sizeof number, "%.0f", t);
        text += std::string("wait ") + number + " " + origin + "\n";
    }
    // A record that cannot be kept only costs a download the next process could skip.
    (void)WriteFileAtomic(path_, text);
}

TFreshness& DownloadFreshness() {
    static TFreshness freshness;
    return freshness;
}

bool IsFreshnessGuardedUrl(const std::string& url) {
    std::string lower(url);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto p = lower.find("://");
    if (p == std::string::npos) return false;
    std::string host = lower.substr(p + 3, lower.find_first_of("/?#:", p + 3) - p - 3);
    if (const auto at = host.rfind('@'); at != std::string::npos) host = host.substr(at + 1);
    for (const char* domain : {"celestrak.org", "celestrak.com"}) {
        const std::string d(domain);
        if (host == d || (host.size() > d.size() && host.compare(host.size() - d.size() - 1, std::string::npos, "." + d) == 0))
            return true;
    }
    return false;
}

std::string UtcClockText(double seconds) {
    const std::time_t t = static_cast<std::time_t>(std::ceil(seconds / 60.0) * 60.0);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d UTC", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min);
    return text;
}
