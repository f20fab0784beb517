// The element provider's published request limits, kept across the whole
// program: at most 30 requests a minute and 300 an hour, and the
// general-perturbations class ("/class/gp/") at most once an hour.
#pragma once
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

inline constexpr int kProviderPerMinute = 30;
inline constexpr int kProviderPerHour = 300;
inline constexpr double kGpClassInterval = 3600.0;  // seconds between two queries of the class
// A request that would have to wait longer than this is not made: the batch
// is stopped instead of hanging for most of an hour.
inline constexpr double kProviderMaxWait = 65.0;

// Seconds on a steady clock, and a way to pass them; tests inject both.
// wall: seconds of the calendar clock, for the record that outlives the
// program (empty: no record is kept).
struct TLimiterClock {
    std::function<double()> now;
    std::function<void(double seconds)> sleep;
    std::function<double()> wall;
};

// The file in the data folder that keeps the time of the last query of the
// general-perturbations class across restarts.
inline constexpr const char* kGpRecordFile = "GpQuery.dat";
TLimiterClock SteadyLimiterClock();

enum class TAdmission {
    kGo,         // recorded; make the request now
    kGpTooSoon,  // the general-perturbations class was queried less than an hour ago
    kHourFull,   // the hourly limit would make the request wait longer than kProviderMaxWait
    kStopped,    // the stop flag was set while waiting
};

class TProviderLimiter {
public:
    explicit TProviderLimiter(TLimiterClock clock = SteadyLimiterClock());

    // Waits, in steps that watch stop, until a request may go, then records
    // it. gpClass: the request queries the general-perturbations class.
    TAdmission Admit(bool gpClass, const std::atomic<bool>* stop = nullptr);
    // Seconds until the class may be queried again (0 when it may now).
    double GpWait();
    // Keeps the time of the last class query in path (read now, written at
    // each query), so that a restart does not forget it. An unreadable or
    // garbled record is taken as no query; one that cannot be written only
    // costs the record.
    void KeepGpRecord(const std::string& path);

private:
    double WaitLocked(double now) const;
    double GpWaitLocked(double now) const;

    TLimiterClock clock_;
    std::mutex mutex_;
    std::deque<double> sent_;  // times of the requests of the last hour, oldest first
    double lastGp_ = -1e300;
    std::string recordPath_;
    double lastGpWall_ = -1e300;  // calendar seconds of the recorded query
};

// The one limiter every download batch shares.
TProviderLimiter& ProviderLimiter();

// True when url queries the general-perturbations class.
bool IsGpClassUrl(const std::string& url);
