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

// True when Options.bin existed (and was read as far as it goes); false
// when the defaults were used. Nothing is written.
bool LoadOptions(const std::string& dataFolder, const std::string& programFolder, TOptions& options,
                 TMenuSettings& menu);
bool LoadOptions();
bool SaveOptions(const std::string& dataFolder, const TOptions& options, const TMenuSettings& menu);
bool SaveOptions();

// Reads Observer.bin; when it is missing, the defaults are written to it at
// once. The parallax terms are always recomputed from the position, and the
// geocentric vector (a per-time value) is cleared when not finite. True
// when the file was read.
bool LoadObserver(const std::string& dataFolder, TObserver& observer);
bool LoadObserver();
// Recomputes the parallax terms, then writes Observer.bin.
bool SaveObserver(const std::string& dataFolder, TObserver& observer);
bool SaveObserver();

// Reads InternetInfo.ini, section "InternetInfo"; a missing key or an
// unreadable value takes its default ("Time": now). A missing file is
// written at once. The file is readable by its owner only (0600): it holds
// a password.
bool LoadDownloadSettings(const std::string& dataFolder, TDownloadSettings& settings, double now);
bool LoadDownloadSettings();
bool SaveDownloadSettings(const std::string& dataFolder, const TDownloadSettings& settings);
bool SaveDownloadSettings();

// The computer clock as a UTC day number.
double NowDayNumber();
// Parallax terms of the observer's position (RhoSinCos).
void UpdateParallax(TObserver& observer);
