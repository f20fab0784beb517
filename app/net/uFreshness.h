// What the public element providers ask of a program beyond their request
// limits: a list is not asked for again while the provider cannot have
// anything newer, and a provider that said it is busy is left alone for a
// while. Both are kept across restarts in a small text file of the data
// folder, so a restart does not forget them.
#pragma once
#include <functional>
#include <map>
#include <mutex>
#include <string>

// The file in the data folder that keeps the records.
inline constexpr const char* kFreshnessFile = "Freshness.dat";
// The provider updates its general-perturbations data at most this often.
inline constexpr double kFreshSeconds = 2.0 * 3600.0;
// How long a busy provider is left alone when it did not say (Retry-After).
inline constexpr double kBusyBackOffSeconds = 3600.0;
// A Retry-After is kept within these bounds: a zero would allow hammering,
// a month would be a typo.
inline constexpr double kMinBackOffSeconds = 60.0;
inline constexpr double kMaxBackOffSeconds = 24.0 * 3600.0;

class TFreshness {
public:
    // wall: seconds of the calendar clock; empty: the system's.
    explicit TFreshness(std::function<double()> wall = {});

    // Reads the records of path now and writes them back at every change. An
    // unreadable file, or a garbled line, counts as no record; one that
    // cannot be written only costs the record.
    void Keep(const std::string& path);

    // Seconds until url may be asked for again (0: it may now), and since
    // when it is fresh.
    double FreshFor(const std::string& url);
    double AgeOf(const std::string& url);
    // url's data arrived, or the provider said it has nothing newer.
    void Downloaded(const std::string& url);

    // Seconds until origin may be asked again after it said it was busy.
    double BackOffFor(const std::string& origin);
    void BackOff(const std::string& origin, double seconds);

    double Now() const { return wall_(); }

private:
    void SaveLocked() const;

    std::function<double()> wall_;
    std::mutex mutex_;
    std::string path_;
    std::map<std::string, double> fresh_;    // url -> calendar seconds of its last download
    std::map<std::string, double> backOff_;  // origin -> calendar seconds it may be asked again
};

// The records every download batch shares.
TFreshness& DownloadFreshness();

// True for the queries of the provider whose GP data these rules are for.
bool IsFreshnessGuardedUrl(const std::string& url);
// "YYYY-MM-DD HH:MM UTC" of calendar seconds, rounded up to the minute.
std::string UtcClockText(double seconds);
