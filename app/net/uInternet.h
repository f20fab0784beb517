// Fetching element files: the download list, the provider login, HTTP
// downloads on one handle, and unpacking of gzip and zip downloads.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "uDataFiles.h"
#include "uFreshness.h"
#include "uNetFiles.h"
#include "uRateLimit.h"
#include "uVarDef.h"

inline constexpr std::uint64_t kMaxExpandedBytes = 200ull << 20;
inline constexpr std::uint64_t kMaxFetchBytes = 200ull << 20;
inline constexpr const char* kLoginFailedText = "Login at Space-Track site failed, Check Username and Password.";
inline constexpr const char* kLoginFailedTitle = "SpaceTrack Login Error";
inline constexpr const char* kLoginNotHttpsText =
    "Login at Space-Track site refused: the login address is not HTTPS, so the user name and password were not "
    "sent. Use https:// addresses for the login-protected entries of the download list.";
inline constexpr const char* kProviderBusyText = "Space-Track: provider busy, try later.";
inline constexpr const char* kProviderBusyTitle = "SpaceTrack Download Error";
// Where the provider takes its login: a POST of identity and password.
inline constexpr const char* kProviderLoginPath = "/ajaxauth/login";
// The public provider's answer (403) to a repeated query of data it has not
// updated since: nothing is wrong, the present file is current.
inline constexpr const char* kNotUpdatedText = "GP data has not updated since your last successful download";
inline constexpr const char* kRefusedTitle = "Download Refused";
inline constexpr const char* kBusyTitle = "Download Busy";
inline constexpr const char* kMovedTitle = "Download Address Moved";
// "Skyvane/<version> (Orbisk)": providers ask programs to say who they are.
std::string DefaultUserAgent();

enum TDownloadKind : int { kPlainKind = 0, kGzipKind = 1, kZipKind = 2 };

// One line of dwnlist.dat as the batch sees it.
struct TListedDownload {
    bool enabled = false;         // flag column, even when the rest is unusable
    bool usable = false;          // the line parsed and its stem is a plain file name
    bool loginProtected = false;  // among the first twelve lines (all, in a shorter list)
    TDownloadEntry entry;
};

std::vector<TListedDownload> ParseDownloadList(const std::vector<std::string>& lines);
// The line as the download window stores it: flag, blank, the rest trimmed.
std::string RebuildDownloadLine(const std::string& line, bool enabled);
// "scheme://host[:port]" of a URL, or "" when it has none.
std::string UrlOrigin(const std::string& url);

// A transfer that stays slower than kLowSpeedBytesPerSecond for
// kLowSpeedSeconds is given up (a server sending a byte now and then would
// otherwise restart the idle time-out for ever), and no entry may take longer
// than kEntryDeadlineSeconds. Both leave ample room for a slow link.
inline constexpr long kLowSpeedBytesPerSecond = 100;
inline constexpr long kLowSpeedSeconds = 60;
inline constexpr long kEntryDeadlineSeconds = 30 * 60;

// A download lacking most of the objects of the file it would replace.
struct TLossQuestion {
    std::string file;  // the target's file name
    std::size_t had = 0, lost = 0, fresh = 0;  // objects of the present file, of those missing, of the download
    std::string Text() const;
};
inline constexpr const char* kLossTitle = "Download";

struct TNetConfig {
    std::string agent = DefaultUserAgent();
    long connectTimeoutMs = 15000;
    long receiveTimeoutMs = 15000;  // longest wait without data
    long lowSpeedBytesPerSecond = kLowSpeedBytesPerSecond;
    long lowSpeedSeconds = kLowSpeedSeconds;
    long deadlineMs = kEntryDeadlineSeconds * 1000;  // one transfer, from connect to last byte
    std::uint64_t maxFetchBytes = kMaxFetchBytes;
    std::uint64_t maxExpandedBytes = kMaxExpandedBytes;
    // "LAN", "NONE", ...; empty function: look at the network interfaces.
    std::function<std::string()> connectionState;
    // Certificates (PEM) to trust instead of the system's; empty: the system's.
    std::string caPem;
    // Set by shut-down; a running transfer stops at its next progress call.
    const std::atomic<bool>* stop = nullptr;
    // The provider's request limits; empty: the one the whole program shares.
    std::shared_ptr<TProviderLimiter> limiter;
    // Asked on the batch's thread (it may wait for the user) before such a
    // download replaces its file; empty: the present file is kept.
    std::function<bool(const TLossQuestion&)> confirmLoss;
    // When a public query was last downloaded, and which providers asked to be
    // left alone; empty: the records the whole program shares.
    std::shared_ptr<TFreshness> freshness;
    // Which public entries follow those rules; empty: IsFreshnessGuardedUrl.
    std::function<bool(const std::string& url)> guarded;
};

// What a batch tells the user: message boxes, and one note per entry.
struct TNetReport {
    std::vector<TNetMessage> messages;
    std::vector<std::string> notes;
    std::vector<std::string> failures;  // the notes of entries that failed, also in notes
    std::vector<std::string> gone;      // display names of entries the provider no longer has
    std::function<void(const std::string&)> onNote;  // optional, called as notes arrive
    // Optional: entries of the batch dealt with so far, of total (enabled ones).
    std::function<void(int done, int total)> onProgress;
    void Note(const std::string& text);
    void Fail(const std::string& text);  // a note that an entry failed
};

// One libcurl easy handle: the provider's cookie lives as long as the session.
class TNetSession {
public:
    explicit TNetSession(TNetConfig config = {});
    ~TNetSession();
    TNetSession(const TNetSession&) = delete;
    TNetSession& operator=(const TNetSession&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    const TNetConfig& Config() const { return config_; }
    void* Handle() const { return handle_; }
    bool Open();

    long lastStatus = 0;
    std::string lastContentType;
    std::string lastError;  // never holds a URL with credentials
    std::string lastHead;       // the start of the last answer's body
    std::string lastFirstLine;  // its first line of text
    double lastRetryAfter = 0.0;  // seconds the last answer asked to wait, 0: none
    long movedStatus = 0;   // the redirect followed by the last fetch (0: none) ...
    std::string movedTo;    // ... and where to

private:
    TNetConfig config_;
    void* handle_ = nullptr;
};

// Linux stand-in for the system's connection state: "LAN" when a non-loopback
// interface is up, else "NONE".
std::string ConnectionStateText();
bool CheckConnection(TNetSession& session, TNetReport& report);
// Fetches url into path (replaced only after a complete 2xx response).
bool FetchUrlToFile(TNetSession& session, const std::string& url, const std::string& path);
// Why the element file at fresh may not replace target ("" when it may): no
// element sets, lines that are no part of one (a page around a set), OMM
// records skipped, or most of target's objects missing without
// config.confirmLoss saying yes.
std::string DownloadProblem(const std::string& fresh, const std::string& target, const TNetConfig& config);
// Unpacks a gzip (kind 1) or zip (kind 2) file into target; target is replaced
// only when the whole content was unpacked within maxBytes.
bool DecompressDownload(const std::string& source, const std::string& target, int kind,
                        std::uint64_t maxBytes = kMaxExpandedBytes);
// How a provider's answer bears on the batch: 401/403 refuse the login,
// 429 and 5xx say it is busy; the batch stops on either.
enum class TProviderAnswer { kOther, kLoginRefused, kBusy };
TProviderAnswer ProviderAnswer(long httpStatus);

// The login: a POST of identity and password (form-encoded) to the HTTPS
// origin + kProviderLoginPath, no redirect followed. False with its message
// when the origin is not HTTPS, and with the login message (or the busy
// message for 429 and 5xx) when the provider gave no session cookie or
// answered that the login failed.
bool ProviderLogin(TNetSession& session, const std::string& origin, const TDownloadSettings& settings,
                   TNetReport& report);

struct TBatchResult {
    bool ok = false;
    bool stopped = false;  // the provider refused us or is busy, or shut-down came: the rest was not fetched
    int fetched = 0;
    int failed = 0;
    int kept = 0;  // not asked for or not sent: the present file is as new as the provider's
};
// The first line of text of an answer's body: markup removed, blanks
// trimmed, at most 100 characters of printable text.
std::string FirstTextLine(std::string_view body);
// The batch: connection, login when a protected entry is enabled, every
// enabled entry in order into folder. True when at least one entry arrived, or
// none was enabled; single failures are noted and leave their old file.
TBatchResult DownloadList(const std::vector<std::string>& lines, const std::string& folder,
                          const TDownloadSettings& settings, const TNetConfig& config, TNetReport& report);
// One file with a session of its own; a failure adds the "Download Error" message.
bool DownloadFile(const std::string& url, const std::string& path, const TNetConfig& config, TNetReport& report);
// Common-name conversion of the target of every enabled entry that exists.
int ConvertDownloadedFiles(const std::vector<std::string>& lines, const std::string& folder,
                           const std::string& magPath, TNetReport& report);
std::string TargetPath(const TDownloadEntry& entry, const std::string& folder);  // stem + ".tle"

// lines with every enabled entry switched off whose target was written less
// than periodHours before nowDay (a day number): it is current.
std::vector<std::string> LinesDueForDownload(std::vector<std::string> lines, const std::string& folder,
                                             int32_t periodHours, double nowDay);
// The start-up download runs only when asked for and the period has passed.
bool StartUpDownloadDue(bool autoDownload, int32_t periodHours, double lastDay, double nowDay);

// The automatic download at start-up runs at most this many times a day
// however often the program starts, so a short period cannot make it poll;
// the times of the last ones are kept in this file of the data folder.
inline constexpr int kAutoDownloadsPerDay = 4;
inline constexpr const char* kAutoRecordFile = "AutoDownloads.dat";
// Whether another automatic batch may start at nowDay, given the record at
// path (missing or garbled lines count as no batch).
bool AutoDownloadAllowed(const std::string& path, double nowDay, int maxPerDay);
// Adds nowDay to the record, dropping what is more than a day old
// (WriteFileAtomic's status).
TStatus RecordAutoDownload(const std::string& path, double nowDay);

struct TStartUpJob {
    std::string dataFolder;     // dwnlist.dat, Mag.dat (IridSat.bin is the caller's to write)
    std::string elementFolder;  // ends with '/'
    bool autoDownload = false;
    double nowDay = 0.0;
    int maxPerDay = kAutoDownloadsPerDay;
    std::string locationName;
    TNetConfig config;
    std::vector<TSatRec> mainSats;     // copies; the caller takes them back
    std::vector<TSatRec> iridiumSats;
    std::function<void(const std::string&)> onCaption;
};
struct TStartUpResult {
    bool due = false;
    bool ok = false;
    bool mainChanged = false;
    bool iridChanged = false;   // iridiumSats is new and IridSat.bin not yet written
    TDownloadSettings settings;
    std::vector<TSatRec> mainSats;
    std::vector<TSatRec> iridiumSats;
    TNetReport report;
};
// Reads dwnlist.dat and InternetInfo.ini from the data folder, decides, and
// runs the batch over the entries not current and what the settings ask for
// after it. Failed entries come back as one message, and keep the time where
// it was (the next start tries them again). The settings with the new time
// come back for the process-wide copy.
TStartUpResult StartUpDownload(TStartUpJob job);
