#include "uInitialize.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string_view>

#include "Zenora.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uText.h"
#include "uTimeZone.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kYellow = 0xFFFFFF00u;
constexpr std::size_t kMenuOffset = sizeof(TOptions);
constexpr std::size_t kSkyAltOffset = kMenuOffset + kMenuItemCount;
constexpr std::size_t kSkyAzOffset = kSkyAltOffset + sizeof(double);
static_assert(kSkyAzOffset + sizeof(double) == kOptionsFileSize);
constexpr std::size_t kMaxIniBytes = 64 * 1024;
constexpr const char* kIniSection = "InternetInfo";

// Takes a field from the bytes of a file into a packed record when the file
// holds all of it and the value passes the check; otherwise the record keeps
// what it has (the default) and false comes back.
template <class T, class Valid>
bool TakeField(const std::string& bytes, std::size_t fileOffset, void* record, std::size_t recordOffset,
               Valid valid) {
    if (fileOffset + sizeof(T) > bytes.size()) return false;
    T v;
    std::memcpy(&v, bytes.data() + fileOffset, sizeof(T));
    if (!valid(v)) return false;
    std::memcpy(static_cast<char*>(record) + recordOffset, &v, sizeof(T));
    return true;
}

template <class T>
bool TakeRecordField(const std::string& bytes, void* record, std::size_t offset, bool (*valid)(const T&)) {
    return TakeField<T>(bytes, offset, record, offset, valid);
}

// The fields of a settings file that fell back to their defaults, told as
// one warning: "<path>: 150 of 224 bytes, unusable position, UTC offset;
// using the defaults 53.4570 N 67.6090 W 1.000 km, 0 h".
class TFallbacks {
public:
    void Field(bool taken, std::string_view name, std::string_view defaultText = {}) {
        if (taken) return;
        names_.emplace_back(name);
        if (!defaultText.empty()) defaults_.emplace_back(defaultText);
    }
    // expected: the size of a whole file, 0 for a text file.
    void Report(std::vector<std::string>* warnings, const std::string& path, std::size_t size,
                std::size_t expected) const {
        if (!warnings || names_.empty()) return;
        std::string text = path + ": ";
        if (size == 0 && expected > 0) text += "empty file, ";
        else if (size < expected) text += std::to_string(size) + " of " + std::to_string(expected) + " bytes, ";
        text += "unusable " + Join(names_) + "; using the default";
        text += defaults_.empty() ? std::string(names_.size() > 1 ? "s" : "") : (defaults_.size() > 1 ? "s " : " ") + Join(defaults_);
        warnings->push_back(text);
    }

private:
    static std::string Join(const std::vector<std::string>& parts) {
        std::string out;
        for (const auto& p : parts) out += (out.empty() ? "" : ", ") + p;
        return out;
    }
    std::vector<std::string> names_, defaults_;
};

template <std::size_t N>
bool ShortStringOk(const ShortString<N>& s) {
    return s.len <= N;
}

// A name shown and used as typed: no control characters (NUL included).
bool PrintableName(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < ' ' || c == '\x7f') return false;
    return true;
}

bool FiniteIn(double v, double lo, double hi) { return std::isfinite(v) && v >= lo && v <= hi; }

std::string Folder(const std::string& folder, const char* file) {
    if (folder.empty() || folder.back() == '/') return folder + file;
    return folder + "/" + file;
}

// ---- INI text ---------------------------------------------------------------

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}

// Values of one section, last occurrence of a key wins.
struct IniSection {
    std::vector<std::pair<std::string, std::string>> values;
    const std::string* Find(std::string_view key) const {
        const std::string* found = nullptr;
        for (const auto& kv : values)
            if (IEquals(kv.first, key)) found = &kv.second;
        return found;
    }
};

IniSection ParseIniSection(std::string_view text, std::string_view section) {
    IniSection out;
    bool inside = false;
    while (!text.empty()) {
        std::size_t eol = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        line = TrimText(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            inside = close != std::string_view::npos && IEquals(TrimText(line.substr(1, close - 1)), section);
            continue;
        }
        std::size_t eq = line.find('=');
        if (!inside || eq == std::string_view::npos) continue;
        std::string_view value = TrimText(line.substr(eq + 1));
        // A quoted value keeps its blanks.
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        out.values.emplace_back(std::string(TrimText(line.substr(0, eq))), std::string(value));
    }
    return out;
}

std::string IniValue(std::string_view v) {
    std::string s;
    for (char c : v)
        if (c != '\r' && c != '\n') s.push_back(c);
    if (!s.empty() && (static_cast<unsigned char>(s.front()) <= ' ' || static_cast<unsigned char>(s.back()) <= ' ' ||
                       s.front() == '"'))
    {
        s.insert(s.begin(), '"');
        s.push_back('"');
    }
    return s;
}

bool ParseBool(std::string_view s, bool& v) {
    int32_t n = 0;
    if (ParseInteger(s, n)) {
        v = n != 0;
        return true;
    }
    if (IEquals(s, "true") || IEquals(s, "yes") || IEquals(s, "on")) v = true;
    else if (IEquals(s, "false") || IEquals(s, "no") || IEquals(s, "off")) v = false;
    else return false;
    return true;
}

constexpr const char* kTimePattern = "yyyy-mm-dd HH:nn:ss.zzz";

// Reads "yyyy-mm-dd HH:nn:ss[.zzz]", the form written below.
bool ParseTime(std::string_view s, double& dn) {
    int f[7] = {0, 0, 0, 0, 0, 0, 0};
    const char seps[] = {'-', '-', ' ', ':', ':', '.'};
    s = TrimText(s);
    const char* p = s.data();
    const char* end = s.data() + s.size();
    for (int k = 0; k < 7; ++k) {
        auto res = std::from_chars(p, end, f[k]);
        if (res.ec != std::errc()) return false;
        p = res.ptr;
        if (p == end) return k >= 5 && TryEncodeDayNumber(f[0], f[1], f[2], f[3], f[4], f[5], f[6], &dn);
        if (k == 6 || *p != seps[k]) return false;
        ++p;
    }
    return false;
}

}  // namespace

// ---- defaults ---------------------------------------------------------------

TOptions DefaultOptions(const std::string& programFolder) {
    TOptions o{};
    o.gridColour = kWhite;
    o.homeColour = kBlack;
    o.trackColour = kYellow;
    o.cityColour = kBlack;
    o.satColour = kWhite;
    o.shadowAlpha = 114;
    o.trackHours = 5;
    o.fontSize = 8;
    o.viewMode = 1;
    o.skySatAgeDays = 15;
    o.magLimit = 7.0;
    o.starMagBase = 5.0;
    o.skyField = 75.0;
    o.globeZoom = kPi;
    o.temperature = 15.0;
    o.pressure = 1010.0;
    o.metric = 1;
    o.utcDisplay = 0;
    o.autoDownload = 0;
    o.fontName = "Courier New";
    o.mapFile = "Real_Color_x.jpg";
    std::string folder = programFolder;
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');
    folder += "tle/";
    // A program folder too long for the field cannot hold a usable path.
    o.tleFolder = folder.size() <= 255 ? folder : std::string("tle/");
    return o;
}

TMenuSettings DefaultMenuSettings() {
    TMenuSettings m{};
    m.checked[kMenuSatVis] = 1;
    m.checked[kMenuTracks] = 1;
    m.checked[kMenuShowLabel] = 1;
    m.checked[kMenuConstellations] = 1;
    m.skyCentreAlt = 0.5;
    m.skyCentreAz = kPi;
    return m;
}

void UpdateParallax(TObserver& o) {
    TLatLon pos = o.pos;
    double rhoSin = 0, rhoCos = 0;
    RhoSinCos(&pos, &rhoSin, &rhoCos);
    o.rhoSin = rhoSin;
    o.rhoCos = rhoCos;
}

TObserver DefaultObserver() {
    TObserver o{};
    o.name = "Home";
    o.zoneName = "Greenwich (Coordinated Universal) Time";
    o.pos = TLatLon{0.933, -1.18, 1.0};
    o.geoidHeight = 1.0;
    o.utcOffset = 0.0;
    UpdateParallax(o);
    return o;
}

TDownloadSettings DefaultDownloadSettings(double now) {
    TDownloadSettings s;
    s.lastDownload = now;
    return s;
}

double NowDayNumber() {
    using namespace std::chrono;
    double ms = static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
    return ms / 86400000.0 + kUnixEpochDay;
}

// ---- Options.bin ------------------------------------------------------------

bool LoadOptions(const std::string& dataFolder, const std::string& programFolder, TOptions& options,
                 TMenuSettings& menu, std::vector<std::string>* warnings) {
    options = DefaultOptions(programFolder);
    menu = DefaultMenuSettings();
    const std::string path = Folder(dataFolder, kOptionsFile);
    std::string b;
    if (!ReadFileBytes(path, kOptionsFileSize, b)) {
        const std::string problem = FileProblem(path);
        if (warnings && problem != "not found")
            warnings->push_back("File: " + path + " " + problem + "; using the default options");
        return false;
    }

    void* o = &options;
    TFallbacks f;
    auto any = +[](const uint32_t&) { return true; };
    f.Field(TakeRecordField<uint32_t>(b, o, offsetof(TOptions, gridColour), any), "grid colour");
    f.Field(TakeRecordField<uint32_t>(b, o, offsetof(TOptions, homeColour), any), "home colour");
    f.Field(TakeRecordField<uint32_t>(b, o, offsetof(TOptions, trackColour), any), "track colour");
    f.Field(TakeRecordField<uint32_t>(b, o, offsetof(TOptions, cityColour), any), "city colour");
    f.Field(TakeRecordField<uint32_t>(b, o, offsetof(TOptions, satColour), any), "satellite colour");
    f.Field(TakeRecordField<int32_t>(b, o, offsetof(TOptions, shadowAlpha), +[](const int32_t& v) { return v >= 0 && v <= 255; }), "shadow");
    f.Field(TakeRecordField<int32_t>(b, o, offsetof(TOptions, trackHours), +[](const int32_t& v) { return v >= 1 && v <= 24; }), "track hours");
    f.Field(TakeRecordField<int32_t>(b, o, offsetof(TOptions, fontSize), +[](const int32_t& v) { return v >= 4 && v <= 72; }), "font size");
    f.Field(TakeRecordField<int32_t>(b, o, offsetof(TOptions, viewMode), +[](const int32_t& v) { return v >= 1 && v <= 3; }), "view mode");
    f.Field(TakeRecordField<int32_t>(b, o, offsetof(TOptions, skySatAgeDays), +[](const int32_t& v) { return v >= 1 && v <= 30; }), "extra-satellite age");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, magLimit), +[](const double& v) { return FiniteIn(v, -30, 30); }), "magnitude limit");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, starMagBase), +[](const double& v) { return FiniteIn(v, 0, 8); }), "star magnitude base");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, skyField), +[](const double& v) { return FiniteIn(v, 1e-3, 360); }), "sky field");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, globeZoom), +[](const double& v) { return FiniteIn(v, 1e-6, 1e6); }), "globe zoom");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, temperature), +[](const double& v) { return FiniteIn(v, -100, 100); }), "temperature");
    f.Field(TakeRecordField<double>(b, o, offsetof(TOptions, pressure), +[](const double& v) { return FiniteIn(v, 0, 2000); }), "pressure");
    auto flag = +[](const uint8_t&) { return true; };
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, metric), flag), "units");
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, utcDisplay), flag), "UTC display");
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, autoDownload), flag), "automatic download");
    auto bit = +[](const uint8_t& v) { return v <= 1; };
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, magPhase), bit), "magnitude phase model");
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, extinctionOn), bit), "extinction");
    f.Field(TakeRecordField<uint8_t>(b, o, offsetof(TOptions, extinctionCenti), flag), "extinction per airmass");
    f.Field(TakeRecordField<ShortString<64>>(b, o, offsetof(TOptions, fontName),
                                             +[](const ShortString<64>& s) { return ShortStringOk(s) && s.len > 0 && PrintableName(s.view()); }),
            "font");
    // The map is a plain file name inside map/: never a path.
    f.Field(TakeRecordField<ShortString<64>>(b, o, offsetof(TOptions, mapFile), +[](const ShortString<64>& s) {
        return ShortStringOk(s) && s.len > 0 && s.view().find('/') == std::string_view::npos &&
               PrintableName(s.view()) && s.view() != "." && s.view() != "..";
    }), "map");
    f.Field(TakeRecordField<ShortString<255>>(b, o, offsetof(TOptions, tleFolder), +[](const ShortString<255>& s) {
        return ShortStringOk(s) && s.len > 0 && s.view().back() == '/' &&
               s.view().find('\0') == std::string_view::npos;
    }), "element folder");

    for (std::size_t k = 0; k < kMenuItemCount; ++k)
        if (kMenuOffset + k < b.size()) menu.checked[k] = b[kMenuOffset + k] != 0;
    f.Field(b.size() >= kMenuOffset + kMenuItemCount, "menu states");
    f.Field(TakeField<double>(b, kSkyAltOffset, &menu, offsetof(TMenuSettings, skyCentreAlt),
                              [](double v) { return FiniteIn(v, -kPi / 2, kPi / 2); }),
            "sky centre altitude");
    f.Field(TakeField<double>(b, kSkyAzOffset, &menu, offsetof(TMenuSettings, skyCentreAz),
                              [](double v) { return FiniteIn(v, -4 * kPi, 4 * kPi); }),
            "sky centre azimuth");
    f.Report(warnings, path, b.size(), kOptionsFileSize);
    return true;
}

std::string OptionsFileBytes(const TOptions& options, const TMenuSettings& menu) {
    std::string b(kOptionsFileSize, '\0');
    std::memcpy(b.data(), &options, sizeof options);
    for (std::size_t k = 0; k < kMenuItemCount; ++k) b[kMenuOffset + k] = menu.checked[k] ? 1 : 0;
    std::memcpy(b.data() + kSkyAltOffset, &menu.skyCentreAlt, sizeof(double));
    std::memcpy(b.data() + kSkyAzOffset, &menu.skyCentreAz, sizeof(double));
    return b;
}

TStatus SaveOptions(const std::string& dataFolder, const TOptions& options, const TMenuSettings& menu,
                    const TReadGuard* guard) {
    const std::string b = OptionsFileBytes(options, menu);
    if (guard && !guard->MayReplace(b)) return TStatus::Success();
    return WriteFileAtomic(Folder(dataFolder, kOptionsFile), b);
}

bool LoadOptions(TSession& s) {
    return LoadOptions(s.DataFolder, s.ProgramFolder, s.Options, s.MenuSettings);
}
TStatus SaveOptions(const TSession& s) { return SaveOptions(s.DataFolder, s.Options, s.MenuSettings); }

// ---- Observer.bin -----------------------------------------------------------

std::string PositionText(const TLatLon& p) {
    const double lat = p.lat * 180.0 / kPi, lon = p.lon * 180.0 / kPi;
    return FormatArgs("%0:.4f %1:s %2:.4f %3:s %4:.3f km",
                      {std::fabs(lat), lat < 0 ? "S" : "N", std::fabs(lon), lon < 0 ? "W" : "E", p.height});
}

std::string ObserverText(const TObserver& o) {
    std::string text(1, '"');
    text.append(o.name.view()).append("\" at ").append(PositionText(o.pos));
    return text;
}

static std::string Quoted(std::string_view s) {
    std::string text(1, '"');
    text.append(s).push_back('"');
    return text;
}

bool ReadObserverFile(const std::string& dataFolder, TObserver& observer, std::vector<std::string>* warnings) {
    observer = DefaultObserver();
    const std::string path = Folder(dataFolder, kObserverFile);
    std::string b;
    if (!ReadFileBytes(path, sizeof(TObserver), b)) {
        const std::string problem = FileProblem(path);
        if (warnings && problem != "not found")
            warnings->push_back("File: " + path + " " + problem + "; using the built-in observer " +
                                ObserverText(observer));
        return false;
    }
    const TObserver d = observer;
    void* o = &observer;
    TFallbacks f;
    auto name = +[](const ShortString<64>& s) { return ShortStringOk(s); };
    f.Field(TakeRecordField<ShortString<64>>(b, o, offsetof(TObserver, name), name), "name", Quoted(d.name.view()));
    f.Field(TakeRecordField<ShortString<64>>(b, o, offsetof(TObserver, zoneName), name), "time zone",
            Quoted(d.zoneName.view()));
    f.Field(TakeRecordField<TLatLon>(b, o, offsetof(TObserver, pos), +[](const TLatLon& p) {
        return FiniteIn(p.lat, -kPi / 2, kPi / 2) && FiniteIn(p.lon, -2 * kPi, 2 * kPi) &&
               FiniteIn(p.height, -12.0, 100.0);
    }), "position", PositionText(d.pos));
    // The geocentric vector is recomputed at every step: a bad one needs no default.
    TakeRecordField<TVector>(b, o, offsetof(TObserver, vect), +[](const TVector& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.r);
    });
    f.Field(TakeRecordField<double>(b, o, offsetof(TObserver, geoidHeight), +[](const double& v) { return FiniteIn(v, -1e4, 1e4); }),
            "geoid height", FormatGeneral(d.geoidHeight));
    f.Field(TakeRecordField<double>(b, o, offsetof(TObserver, utcOffset), +[](const double& v) { return FiniteIn(v, -1, 1); }),
            "UTC offset", FormatGeneral(d.utcOffset * 24) + " h");
    // Derived from the position: never trust stored ones.
    UpdateParallax(observer);
    f.Report(warnings, path, b.size(), sizeof(TObserver));
    return true;
}

bool LoadObserver(const std::string& dataFolder, TObserver& observer, std::vector<std::string>* warnings) {
    if (ReadObserverFile(dataFolder, observer, warnings)) return true;
    // The defaults go to disk at once where that can be done; a save later says what fails.
    if (!IsRegularFile(Folder(dataFolder, kObserverFile))) (void)SaveObserver(dataFolder, observer);
    return false;
}

TStatus SaveObserver(const std::string& dataFolder, TObserver& observer) {
    UpdateParallax(observer);
    std::string b(sizeof(TObserver), '\0');
    std::memcpy(b.data(), &observer, sizeof observer);
    return WriteFileAtomic(Folder(dataFolder, kObserverFile), b);
}

bool LoadObserver(TSession& s) { return LoadObserver(s.DataFolder, s.Observer); }
TStatus SaveObserver(TSession& s) { return SaveObserver(s.DataFolder, s.Observer); }

// ---- InternetInfo.ini -------------------------------------------------------

bool LoadDownloadSettings(const std::string& dataFolder, TDownloadSettings& s, double now,
                          std::vector<std::string>* warnings) {
    s = DefaultDownloadSettings(now);
    std::string path = Folder(dataFolder, kDownloadSettingsFile);
    std::string text;
    if (!ReadFileBytes(path, kMaxIniBytes, text)) {
        const std::string problem = FileProblem(path);
        // As for Observer.bin: the defaults are written where they can be.
        if (problem == "not found") (void)SaveDownloadSettings(dataFolder, s);
        else if (warnings) warnings->push_back("File: " + path + " " + problem + "; using the default download settings");
        return false;
    }
    IniSection sec = ParseIniSection(text, kIniSection);
    TFallbacks f;
    // A key with a value that does not read takes its default, and says so.
    auto take = [&](const char* key, auto parse, const std::string& defaultText) {
        if (const std::string* v = sec.Find(key)) {
            std::string what(key);
            what.append(" ").append(Quoted(*v));
            f.Field(parse(*v), what, defaultText);
        }
    };
    if (const std::string* v = sec.Find("User")) s.user = *v;
    if (const std::string* v = sec.Find("Password")) s.password = *v;
    take("Period", [&](const std::string& v) {
        int32_t period = 0;
        return ParseInteger(v, period) && period > 0 && (s.period = period, true);
    }, std::to_string(s.period));
    take("Time", [&](const std::string& v) { return ParseTime(v, s.lastDownload); },
         FormatDateTime(kTimePattern, s.lastDownload));
    auto flag = [](bool& field) {
        return [&field](const std::string& v) {
            bool b = false;
            return ParseBool(v, b) && (field = b, true);
        };
    };
    take("UpdateMain", flag(s.updateMain), "0");
    take("UpdateIrid", flag(s.updateIrid), "0");
    take("Convert", flag(s.convert), "0");
    // Files from before this key held the time of a download, as far as anyone knows.
    s.downloaded = sec.Find("Time") != nullptr;
    take("Downloaded", flag(s.downloaded), "1");
    if (sec.values.empty() && !TrimText(text).empty() && warnings)
        warnings->push_back(path + ": no [" + std::string(kIniSection) + "] section; using the default settings");
    f.Report(warnings, path, 0, 0);
    return true;
}

std::string DownloadSettingsText(const TDownloadSettings& s) {
    std::string time = FormatDateTime(kTimePattern, s.lastDownload);
    if (time.empty()) time = FormatDateTime(kTimePattern, NowDayNumber());
    std::string text;
    auto line = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(value).append("\n");
    };
    text.append("[").append(kIniSection).append("]\n");
    line("User", IniValue(s.user));
    line("Password", IniValue(s.password));
    line("Period", std::to_string(s.period));
    line("Time", time);
    line("UpdateMain", s.updateMain ? "1" : "0");
    line("UpdateIrid", s.updateIrid ? "1" : "0");
    line("Convert", s.convert ? "1" : "0");
    line("Downloaded", s.downloaded ? "1" : "0");
    return text;
}

TStatus SaveDownloadSettings(const std::string& dataFolder, const TDownloadSettings& s, const TReadGuard* guard) {
    const std::string text = DownloadSettingsText(s);
    if (guard && !guard->MayReplace(text)) return TStatus::Success();
    return WriteFileAtomic(Folder(dataFolder, kDownloadSettingsFile), text, 0600);
}

bool LoadDownloadSettings(TSession& s) {
    return LoadDownloadSettings(s.DataFolder, s.DownloadSettings, NowDayNumber());
}
TStatus SaveDownloadSettings(const TSession& s) { return SaveDownloadSettings(s.DataFolder, s.DownloadSettings); }

double ObserverOffsetAt(const TObserver& observer, double utc) {
    double offset = 0.0;
    if (ZoneOffsetAt(std::string(TrimText(observer.zoneName.view())), utc, offset)) return offset;
    return observer.utcOffset;
}

double ObserverLocalToUtc(const TObserver& observer, double local) {
    double utc = 0.0;
    if (ZoneLocalToUtc(std::string(TrimText(observer.zoneName.view())), local, utc)) return utc;
    return local - observer.utcOffset;
}

TObserver ObserverAt(const TObserver& observer, double utc) {
    TObserver o = observer;
    o.utcOffset = ObserverOffsetAt(observer, utc);
    return o;
}
