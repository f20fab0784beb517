#include "uHorizonMask.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "uFileIO.h"
#include "uUnits.h"

namespace {
double Normalized(double azimuth) {
    double a = std::fmod(azimuth, 360.0);
    if (a < 0.0) a += 360.0;
    if (a >= 360.0) a = 0.0;  // -1e-18 lands on 360 after the addition
    return a;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// The whole of s as a finite number ("+5" and "5." taken too).
bool Number(std::string_view s, double& v) {
    s = Trimmed(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return ec == std::errc() && end == s.data() + s.size() && std::isfinite(v);
}

std::vector<std::string_view> Fields(std::string_view s, bool csv) {
    std::vector<std::string_view> out;
    if (csv) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = s.find(',', start);
            out.push_back(Trimmed(s.substr(start, comma == std::string_view::npos ? s.npos : comma - start)));
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        return out;
    }
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::string Shortest(double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}
}  // namespace

THorizonMask::THorizonMask(std::vector<THorizonPoint> points, double floorDegrees)
    : points_(std::move(points)), floor_(floorDegrees) {
    for (THorizonPoint& p : points_) p.azimuth = Normalized(p.azimuth);
    std::stable_sort(points_.begin(), points_.end(),
                     [](const THorizonPoint& a, const THorizonPoint& b) { return a.azimuth < b.azimuth; });
}

double THorizonMask::At(double az) const {
    const std::size_t n = points_.size();
    if (n == 0) return -90.0;
    if (n == 1) return points_[0].altitude;
    // First point with an azimuth above az: the segment ends there.
    const auto upper = std::upper_bound(points_.begin(), points_.end(), az,
                                        [](double a, const THorizonPoint& p) { return a < p.azimuth; });
    const std::size_t hi = static_cast<std::size_t>(upper - points_.begin());
    // On a point (or several at one azimuth): the highest of them.
    if (hi > 0 && points_[hi - 1].azimuth == az) {
        double top = points_[hi - 1].altitude;
        for (std::size_t k = hi - 1; k-- > 0 && points_[k].azimuth == az;) top = std::max(top, points_[k].altitude);
        return top;
    }
    // Between the last point before az and the first after it, across
    // north when az lies outside the first and last azimuths.
    const THorizonPoint& a = hi == 0 ? points_[n - 1] : points_[hi - 1];
    const THorizonPoint& b = hi == n ? points_[0] : points_[hi];
    double from = a.azimuth, to = b.azimuth, x = az;
    if (hi == 0) from -= 360.0;
    if (hi == n) to += 360.0;
    if (!(to > from)) return std::max(a.altitude, b.altitude);
    return a.altitude + (b.altitude - a.altitude) * (x - from) / (to - from);
}

double THorizonMask::TableDegrees(double azimuthDegrees) const { return At(Normalized(azimuthDegrees)); }

double THorizonMask::Limit(double azimuthRad, double minElevation) const {
    const double table = points_.empty() ? -kHalfPi : At(Normalized(azimuthRad * kRadToDeg)) * kDegToRad;
    return std::max({table, floor_ * kDegToRad, minElevation});
}

// The table is linear between points, so its extremes lie on them.
double THorizonMask::LowestLimit(double minElevation) const {
    double table = -kHalfPi;
    if (!points_.empty()) {
        table = kHalfPi;
        for (const THorizonPoint& p : points_) table = std::min(table, p.altitude * kDegToRad);
    }
    return std::max({table, floor_ * kDegToRad, minElevation});
}

double THorizonMask::HighestLimit(double minElevation) const {
    double table = -kHalfPi;
    for (const THorizonPoint& p : points_) table = std::max(table, p.altitude * kDegToRad);
    return std::max({table, floor_ * kDegToRad, minElevation});
}

THorizonHandle EffectiveHorizon(const THorizonHandle& mask, double minElevation) {
    if (!mask || mask->HighestLimit(minElevation) <= minElevation) return nullptr;
    return mask;
}

THorizonRead ParseHorizonText(const std::string& text, const THorizonFormat& format) {
    THorizonRead read;
    if (text.find('\0') != std::string::npos) {
        read.error = "is not a text file";
        return read;
    }
    std::vector<THorizonPoint> points;
    double floor = 0.0;
    bool haveFloor = false;
    bool seenData = false;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++number;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            // "# floor: 5" carries the floor in a comment other readers pass over.
            std::string_view comment = Trimmed(line.substr(hash + 1));
            if (comment.substr(0, 6) == "floor:") {
                double v = 0.0;
                if (Number(comment.substr(6), v) && v >= -90.0 && v <= 90.0)
                    floor = v, haveFloor = true;
                else
                    read.badLines.push_back(number);
            }
            line = line.substr(0, hash);
        }
        line = Trimmed(line);
        if (line.empty()) continue;
        const std::vector<std::string_view> fields = Fields(line, format.csv);
        double az = 0.0, second = 0.0;
        const bool parsed = fields.size() == 2 && Number(fields[0], az) && Number(fields[1], second);
        if (!parsed) {
            // A CSV file's first row may name its columns.
            const bool header = format.csv && !seenData && read.badLines.empty() && points.empty() &&
                                std::any_of(line.begin(), line.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
            seenData = true;
            if (!header) read.badLines.push_back(number);
            continue;
        }
        seenData = true;
        if (format.radians) {
            az *= kRadToDeg;
            second *= kRadToDeg;
        }
        const double alt = format.angles == THorizonAngles::kZenithDistance ? 90.0 - second : second;
        if (az < -360.0 || az > 720.0 || alt < -90.0 || alt > 90.0) {
            read.badLines.push_back(number);
            continue;
        }
        points.push_back({az, alt});
    }
    // A floor alone is a mask as the writer writes it: the same limit all round.
    if (points.empty() && !(haveFloor && read.badLines.empty())) {
        read.error = read.badLines.empty() ? "holds no horizon points" : "holds no usable horizon point";
        return read;
    }
    read.mask = THorizonMask(std::move(points), floor);
    read.ok = true;
    read.kind = TStatusKind::ok;
    return read;
}

THorizonRead ReadHorizonFile(const std::string& path, const THorizonFormat& format) {
    THorizonRead read;
    std::string bytes;
    bool truncated = false;
    if (!ReadFileBytes(path, kMaxHorizonBytes, bytes, &truncated)) {
        const std::string problem = FileProblem(path);
        read.error = problem.empty() ? "could not be read" : problem;
        read.kind = ::access(path.c_str(), F_OK) != 0 && !IsUnreadableFile(path) ? TStatusKind::notFound
                                                                                 : TStatusKind::ioError;
        return read;
    }
    if (truncated) {
        read.error = "is larger than " + std::to_string(kMaxHorizonBytes / 1024) + " KiB";
        return read;
    }
    return ParseHorizonText(bytes, format);
}

THorizonFormat HorizonFormatForName(const std::string& path) {
    THorizonFormat format;
    const std::size_t n = path.size();
    if (n >= 4) {
        std::string ext = path.substr(n - 4);
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        format.csv = ext == ".csv";
    }
    return format;
}

std::string SkippedLinesText(const THorizonRead& read) {
    const std::size_t n = read.badLines.size();
    if (n == 0) return {};
    std::string text = std::to_string(n) + (n == 1 ? " line skipped (" : " lines skipped (");
    for (std::size_t i = 0; i < n && i < 10; ++i) text += (i ? ", " : "") + std::to_string(read.badLines[i]);
    return text + (n > 10 ? ", ...)" : ")");
}

std::string HorizonText(const THorizonMask& mask) {
    std::string text = "# Horizon mask: azimuth and altitude in degrees, one point a line\n";
    if (mask.FloorDegrees() != 0.0) text += "# floor: " + Shortest(mask.FloorDegrees()) + "\n";
    for (const THorizonPoint& p : mask.Points()) text += Shortest(p.azimuth) + " " + Shortest(p.altitude) + "\n";
    return text;
}

TStatus WriteHorizonFile(const std::string& path, const THorizonMask& mask) {
    return WriteFileAtomic(path, HorizonText(mask));
}

std::string ObserverHorizonPath(const std::string& dataFolder, const std::string& observerName) {
    std::string name;
    for (char c : observerName) {
        const unsigned char u = static_cast<unsigned char>(c);
        name += std::isalnum(u) || c == '-' || c == '_' ? c : '_';
    }
    while (!name.empty() && name.back() == '_') name.pop_back();
    if (name.empty()) name = "observer";
    return dataFolder + "Horizon-" + name + ".txt";
}

TStatus LoadHorizonMask(const std::string& path, const THorizonFormat& format, THorizonHandle& mask,
                        std::string* note) {
    mask = nullptr;
    if (note) note->clear();
    THorizonRead read = ReadHorizonFile(path, format);
    if (!read.ok) return TStatus::Failure(read.kind, "The horizon mask " + path + " cannot be read: " + read.error);
    if (note && !read.badLines.empty()) *note = "The horizon mask " + path + ": " + SkippedLinesText(read);
    mask = std::make_shared<const THorizonMask>(std::move(read.mask));
    return TStatus::Success();
}

TStatus LoadObserverHorizon(const std::string& dataFolder, const std::string& observerName, THorizonHandle& mask,
                            std::string* note) {
    mask = nullptr;
    if (note) note->clear();
    const std::string path = ObserverHorizonPath(dataFolder, observerName);
    // Missing is "no mask"; anything else standing there is a fault to tell.
    if (::access(path.c_str(), F_OK) != 0 && !IsUnreadableFile(path)) return TStatus::Success();
    return LoadHorizonMask(path, HorizonFormatForName(path), mask, note);
}

std::string HorizonHeaderLine(const THorizonMask& mask) {
    char text[160];
    const std::size_t n = mask.Points().size();
    std::snprintf(text, sizeof text, "  Horizon mask: %zu point%s up to %.1f deg, floor %.1f deg", n, n == 1 ? "" : "s",
                  std::max(mask.HighestLimit(-kHalfPi) * kRadToDeg, mask.FloorDegrees()), mask.FloorDegrees());
    return text;
}
