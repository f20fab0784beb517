// Settings files in the data folder: Options.bin (TOptions + 21 menu bytes +
// sky-chart centre, 517 bytes), Observer.bin (TObserver, 224 bytes) and
// InternetInfo.ini. Missing files give the defaults; a short, long or
// garbage file gives the defaults for every field that cannot be read or is
// out of range, never uninitialised bytes. Writes replace files atomically.
//
// Each operation comes in two forms: one on explicit folders and records
// (for tests and workers) and the plain one on the process-wide state
// (DataFolder, ProgramFolder, Options, MenuSettings, Observer,
// DownloadSettings).
#pragma once
#include <string>
#include <vector>

#include "uFileIO.h"
#include "uSession.h"
#include "uVarDef.h"

inline constexpr std::size_t kOptionsFileSize = 517;
inline constexpr const char* kOptionsFile = "Options.bin";
inline constexpr const char* kObserverFile = "Observer.bin";
inline constexpr const char* kDownloadSettingsFile = "InternetInfo.ini";

// Defaults of a first run.
TOptions DefaultOptions(const std::string& programFolder);
TMenuSettings DefaultMenuSettings();
TObserver DefaultObserver();  // parallax terms filled
TDownloadSettings DefaultDownloadSettings(double now);

// The loaders below add to *warnings (when given) one line per file that
// exists but could not be used as it stands, naming the file and the
// defaults that replaced what it holds.
//
// The savers return WriteFileAtomic's status and take a guard (uFileIO.h):
// with one that says the file could not be read, nothing is written (and
// success comes back) while the bytes are those that stood in for it.

// True when Options.bin existed (and was read as far as it goes); false
// when the defaults were used. Nothing is written.
bool LoadOptions(const std::string& dataFolder, const std::string& programFolder, TOptions& options,
                 TMenuSettings& menu, std::vector<std::string>* warnings = nullptr);
TStatus SaveOptions(const std::string& dataFolder, const TOptions& options, const TMenuSettings& menu,
                    const TReadGuard* guard = nullptr);
// The 517 bytes SaveOptions writes.
std::string OptionsFileBytes(const TOptions& options, const TMenuSettings& menu);

// Reads Observer.bin, or gives the defaults; writes nothing. The parallax
// terms are always recomputed from the position, and the geocentric vector
// (a per-time value) is cleared when not finite. True when the file was read.
bool ReadObserverFile(const std::string& dataFolder, TObserver& observer,
                      std::vector<std::string>* warnings = nullptr);
// ReadObserverFile, and when the file is missing the defaults are written to
// it at once.
bool LoadObserver(const std::string& dataFolder, TObserver& observer, std::vector<std::string>* warnings = nullptr);
// Recomputes the parallax terms, then writes Observer.bin.
TStatus SaveObserver(const std::string& dataFolder, TObserver& observer);

// Reads InternetInfo.ini, section "InternetInfo"; a missing key or an
// unreadable value takes its default ("Time": now). A missing file is
// written at once. The file is readable by its owner only (0600): it holds
// a password.
bool LoadDownloadSettings(const std::string& dataFolder, TDownloadSettings& settings, double now,
                          std::vector<std::string>* warnings = nullptr);
TStatus SaveDownloadSettings(const std::string& dataFolder, const TDownloadSettings& settings,
                             const TReadGuard* guard = nullptr);
// The text SaveDownloadSettings writes.
std::string DownloadSettingsText(const TDownloadSettings& settings);

// The same for a session's folders and settings.
bool LoadOptions(TSession& session);
TStatus SaveOptions(const TSession& session);
bool LoadObserver(TSession& session);
TStatus SaveObserver(TSession& session);
bool LoadDownloadSettings(TSession& session);
TStatus SaveDownloadSettings(const TSession& session);

// The computer clock as a UTC day number.
double NowDayNumber();
// The observer's UTC offset (days, local = UTC + offset) at the UTC day
// number utc: from the rules of its time zone, daylight saving included,
// when the zone name is one the system's database holds; else the fixed
// offset stored with it. For the UI thread (the zone is read through the
// process environment, see uTimeZone.h).
double ObserverOffsetAt(const TObserver& observer, double utc);
// The observer's local wall-clock time as UTC, by the same rules.
double ObserverLocalToUtc(const TObserver& observer, double local);
// The observer with utcOffset taken at utc: for work that uses one offset.
TObserver ObserverAt(const TObserver& observer, double utc);

// Parallax terms of the observer's position (RhoSinCos).
void UpdateParallax(TObserver& observer);
// "53.4570 N 67.6090 W 1.000 km", and the observer as '"Home" at ' that.
std::string PositionText(const TLatLon& position);
std::string ObserverText(const TObserver& observer);
