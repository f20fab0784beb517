#include "uRateLimit.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "uFileIO.h"

namespace {
constexpr double kMinute = 60.0, kHour = 3600.0;
constexpr double kSleepStep = 0.25;  // how often a wait looks at the stop flag
}  // namespace

TLimiterClock SteadyLimiterClock() {
    return {[] {
                return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
            },
            [](double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); },
            [] {
                return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
            }};
}

TProviderLimiter::TProviderLimiter(TLimiterClock clock) : clock_(std::move(clock)) {}

double TProviderLimiter::WaitLocked(double now) const {
    double wait = 0.0;
    const auto inMinute = std::count_if(sent_.begin(), sent_.end(), [&](double t) { return t > now - kMinute; });
    if (inMinute >= kProviderPerMinute) wait = std::max(wait, sent_[sent_.size() - kProviderPerMinute] + kMinute - now);
    if (static_cast<int>(sent_.size()) >= kProviderPerHour)
        wait = std::max(wait, sent_[sent_.size() - kProviderPerHour] + kHour - now);
    return wait;
}

TAdmission TProviderLimiter::Admit(bool gpClass, const std::atomic<bool>* stop) {
    while (true) {
        double wait;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const double now = clock_.now();
            while (!sent_.empty() && sent_.front() <= now - kHour) sent_.pop_front();
            if (gpClass && GpWaitLocked(now) > 0.0) return TAdmission::kGpTooSoon;
            wait = WaitLocked(now);
            if (wait > kProviderMaxWait) return TAdmission::kHourFull;
            if (wait <= 0.0) {
                sent_.push_back(now);
                if (gpClass) {
                    lastGp_ = now;
                    if (!recordPath_.empty() && clock_.wall) {
                        lastGpWall_ = clock_.wall();
                        char text[32];
                        std::snprintf(text, sizeof text, "%.0f\n", lastGpWall_);
                        // Best effort: this process keeps the time in lastGp_ all the same.
                        (void)WriteFileAtomic(recordPath_, text);
                    }
                }
                return TAdmission::kGo;
            }
        }
        if (stop && stop->load()) return TAdmission::kStopped;
        clock_.sleep(std::min(wait, kSleepStep));
    }
}

double TProviderLimiter::GpWaitLocked(double now) const {
    double wait = lastGp_ + kGpClassInterval - now;
    if (!recordPath_.empty() && clock_.wall) {
        // A record ahead of the clock (the clock was set back) proves nothing.
        const double since = clock_.wall() - lastGpWall_;
        if (since >= 0.0) wait = std::max(wait, kGpClassInterval - since);
    }
    return std::max(0.0, wait);
}

double TProviderLimiter::GpWait() {
    std::lock_guard<std::mutex> lock(mutex_);
    return GpWaitLocked(clock_.now());
}

void TProviderLimiter::KeepGpRecord(const std::string& path) {
    std::string text;
    double recorded = -1e300;
    if (ReadFileBytes(path, 64, text)) {
        char* end = nullptr;
        const double t = std::strtod(text.c_str(), &end);
        if (end != text.c_str() && std::isfinite(t)) recorded = t;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    recordPath_ = path;
    lastGpWall_ = recorded;
}

TProviderLimiter& ProviderLimiter() {
    static TProviderLimiter limiter;
    return limiter;
}

bool IsGpClassUrl(const std::string& url) {
    std::string lower(url);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("/class/gp/") != std::string::npos;
}
