#include "uReport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "Zenora.h"
#include "uCatNumber.h"
#include "uElementGroups.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uMagFile.h"
#include "uText.h"

namespace {
std::string Shown(double t, double offset, const char* pattern) {
    return FormatDateTime(pattern, t + offset);
}

// Two digits for 0..99, as the date formatter writes its fields; anything
// else whole.
void AppendTwo(std::string& out, int v) {
    if (v >= 0 && v < 100) {
        out += static_cast<char>('0' + v / 10);
        out += static_cast<char>('0' + v % 10);
        return;
    }
    out += std::to_string(v);
}

// The times of a pass line, as Shown gives them with "mm/dd HH:nn:ss" and
// "HH:nn:ss", written straight from the date's parts into a fixed buffer:
// every pass has four. Empty where the formatter prints nothing.
struct TClock {
    char text[16];
    std::size_t size = 0;
    std::string_view view() const { return {text, size}; }
};
TClock ShownClock(double t, double offset, bool withDate) {
    TClock clock;
    TDateParts d;
    if (!DecodeDayNumber(t + offset, &d)) return clock;
    char* p = clock.text;
    auto two = [&p](int v) {  // every field lies within 0..99 here
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    if (withDate) {
        two(d.month);
        *p++ = '/';
        two(d.day);
        *p++ = ' ';
    }
    two(d.hour);
    *p++ = ':';
    two(d.minute);
    *p++ = ':';
    two(d.second);
    clock.size = static_cast<std::size_t>(p - clock.text);
    return clock;
}

// text right-aligned in width columns, as the formatter's "%Ns" (a minimum,
// never cut).
void AppendRight(std::string& out, std::string_view text, std::size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out += text;
}

// v as the formatter's "%W.Df" for D of 0 or 1. The formatter takes the value
// to 15 significant digits before rounding half away from zero; below 1e4
// that can only decide a value within 1e-9 of a tie, so every other value
// is rounded here directly and those few go to the formatter.
void AppendFixed(std::string& out, double v, int width, int decimals) {
    const double a = std::fabs(v);
    if (a < 1.0e4) {
        const double s = decimals == 1 ? a * 10.0 : a;
        const double whole = std::floor(s);
        const double frac = s - whole;
        if (std::fabs(frac - 0.5) > 1.0e-7) {
            const long n = static_cast<long>(whole) + (frac > 0.5 ? 1 : 0);
            char buf[16];
            char* end = buf + sizeof buf;
            char* p = end;
            long rest = n;
            if (decimals == 1) {
                *--p = static_cast<char>('0' + rest % 10);
                *--p = '.';
                rest /= 10;
            }
            do {
                *--p = static_cast<char>('0' + rest % 10);
                rest /= 10;
            } while (rest != 0);
            if (n != 0 && std::signbit(v)) *--p = '-';
            AppendRight(out, std::string_view(p, static_cast<std::size_t>(end - p)),
                        static_cast<std::size_t>(width));
            return;
        }
    }
    const std::string pattern = "%0:" + std::to_string(width) + "." + std::to_string(decimals) + "f";
    out += FormatArgs(pattern, {v});
}

// |value| laid out as the astronomy library lays out its numbers: its 18
// significant digits rounded half up at `decimals`, at least intDigits
// integer digits. to_chars gives the digits printf would, without printf.
void AppendLibraryFixed(std::string& out, double value, int intDigits, int decimals) {
    char sci[40];
    const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 17);
    char digits[24];
    int n = 0;
    const char* c = sci;
    for (; c < res.ptr && *c != 'e'; ++c)
        if (*c >= '0' && *c <= '9') digits[n++] = *c;
    int exp10 = 0;
    if (c < res.ptr) std::from_chars(c + 1 + (c[1] == '+'), res.ptr, exp10);
    int pointPos = exp10 + 1;
    const int keep = pointPos + decimals;
    if (keep < 0) {
        n = 0;
    } else if (keep < n) {
        const bool up = digits[keep] >= '5';
        n = keep;
        if (up) {
            int i = n - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                for (int j = n; j > 0; --j) digits[j] = digits[j - 1];
                digits[0] = '1';
                ++n;
                ++pointPos;
            }
        }
    }
    auto digitAt = [&](int pos) { return pos >= 0 && pos < n ? digits[pos] : '0'; };
    const int intLen = std::max(pointPos, intDigits);
    for (int i = intLen - 1; i >= 0; --i) out += digitAt(pointPos - 1 - i);
    if (decimals > 0) {
        out += '.';
        for (int i = 0; i < decimals; ++i) out += digitAt(pointPos + i);
    }
}

// Sec_to_str_hrs(0, seconds) without its printf: hours and minutes cut to
// whole ones, the seconds' first two characters of six decimals. Anything
// it would not write this way goes to it. Hours and minutes are whole, so
// their digits are plain; the seconds round up at six decimals only from
// 0.9999995 of a second on, and only a value within 1e-9 of that needs the
// digit-exact rounding.
std::string DurationText(double seconds) {
    if (!(seconds >= 0.0) || !(seconds < 100.0 * 3600.0)) return Sec_to_str_hrs(0, seconds);
    const double h = seconds / 3600;
    const double hours = std::trunc(h);
    const double m = (h - hours) * 60;
    const double mins = std::trunc(m);
    const double sec = (m - mins) * 60;
    std::string out;
    out.reserve(16);
    AppendTwo(out, static_cast<int>(hours));
    out += ':';
    AppendTwo(out, static_cast<int>(mins));
    out += ':';
    const double whole = std::floor(sec);
    const double frac = sec - whole;
    constexpr double kUp = 0.9999995;
    if (sec >= 0.0 && sec < 60.0 && std::fabs(frac - kUp) > 1.0e-9) {
        AppendTwo(out, static_cast<int>(whole) + (frac > kUp ? 1 : 0));
        return out;
    }
    std::string s;
    AppendLibraryFixed(s, sec, 2, 6);
    out.append(s, 0, 2);
    return out;
}


std::string AnalysisTitle(const TSatRec& satellite) {
    std::string title = (satellite.catNo.str() + " - ").substr(0, 8);
    title += satellite.name.str();
    return title.substr(0, 24);
}
}  // namespace

void WriteReportHeader(bool utcMode, TReportLines& lines, double start, double stop,
                       const TReportSettings& settings) {
    const char* marker = utcMode ? "(Z)" : "(L)";
    const std::string produced = FormatDateTime("MMM dd yyyy HH:nn:ss ", settings.produced);
    const std::string startText = FormatDateTime("MMM dd yyyy HH:nn:ss", start) + marker;
    const std::string stopText = FormatDateTime("MMM dd yyyy HH:nn:ss", stop) + marker;
    lines.push_back("   ");
    lines.push_back(FormatArgs("  Produced:  %s (LOC)", {produced}));
    lines.push_back(FormatArgs("  Location: %0s Lat: %1:6.4f  Lon: %2:6.4f",
                               {settings.observerName, Degrees(settings.latitude),
                                Degrees(settings.longitude)}));
    lines.push_back(FormatArgs("  Start: %0s  Stop: %1s", {startText, stopText}));
    if (const TElementAges& ages = settings.elementAges; ages.satellites > 0) {
        const std::string span = ages.youngest == ages.oldest
                                     ? FormatArgs("%0:.1f", {ages.oldest})
                                     : FormatArgs("%0:.1f to %1:.1f", {ages.youngest, ages.oldest});
        lines.push_back("  Element age: " + span + " days at the start");
    }
    if (!settings.horizonLine.empty()) lines.push_back(settings.horizonLine);
    lines.push_back("  ");
    lines.push_back(utcMode ? "  All Times are \"UTC\""
                            : "  All Times are \"Local, " + UtcOffsetText(settings.displayOffset) + "\"");
    lines.push_back("  ");
}

std::string UtcOffsetText(double offsetDays) {
    const long minutes = std::lround(offsetDays * 1440.0);
    const long whole = std::labs(minutes);
    return FormatArgs("UTC%0s%1:.2d:%2:.2d", {minutes < 0 ? "-" : "+", whole / 60, whole % 60});
}

TElementAges ElementAges(const std::vector<TSatRec>& sats, double start, double stop,
                         const std::function<bool(std::size_t, const TSatRec&)>& used) {
    TElementAges ages;
    std::vector<std::size_t> usedSets;
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (used(i, sats[i])) usedSets.push_back(i);
    // An object's several sets each count for the part of the period they serve.
    std::vector<TSetSpan> spans;
    for (const std::vector<TSetSpan>& object : SetSpansByObject(sats, usedSets))
        for (const TSetSpan& span : object)
            if (span.from <= stop && span.to > start) spans.push_back(span);
    // Mostly in order already: one set per object, objects as listed.
    const auto bySet = [](const TSetSpan& a, const TSetSpan& b) { return a.set < b.set; };
    if (!std::is_sorted(spans.begin(), spans.end(), bySet)) std::sort(spans.begin(), spans.end(), bySet);
    for (const TSetSpan& span : spans) {
        const TSatRec& sat = sats[span.set];
        const double from = std::max(start, span.from), to = std::min(stop, span.to);
        const double epoch = sat.epoch - kJulianOffset;
        const double age = from - epoch;
        // The far end of the period decides how stale a set is for it.
        const double far = std::max(std::fabs(from - epoch), std::fabs(to - epoch));
        if (ages.satellites++ == 0) {
            ages.youngest = ages.oldest = age;
            ages.newestEpoch = epoch;
        }
        ages.youngest = std::min(ages.youngest, age);
        ages.oldest = std::max(ages.oldest, age);
        ages.newestEpoch = std::max(ages.newestEpoch, epoch);
        if (far > kStaleElementDays) {
            ages.staleNearest = ages.stale == 0 ? far : std::min(ages.staleNearest, far);
            ages.staleFurthest = ages.stale == 0 ? far : std::max(ages.staleFurthest, far);
            ++ages.stale;
        }
    }
    return ages;
}

std::string StaleElementsWarning(const TElementAges& ages) {
    if (ages.stale == 0) return {};
    const std::string days =
        ages.stale == 1 || std::lround(ages.staleNearest) == std::lround(ages.staleFurthest)
            ? FormatArgs("%0:.0f", {ages.staleFurthest})
            : FormatArgs("%0:.0f to %1:.0f", {ages.staleNearest, ages.staleFurthest});
    return FormatArgs("the elements of %0d of the %1d satellites searched are %2s days from their "
                      "epoch (more than %3:.0f): predictions may be far off; use fresh elements",
                      {ages.stale, ages.satellites, days, kStaleElementDays});
}

std::string NewestEpochText(const TElementAges& ages) {
    if (ages.satellites == 0) return {};
    return FormatDateTime("yyyy-mm-dd HH:nn:ss", ages.newestEpoch) + " (Z)";
}

void WriteSatelliteHeader(const TSatRec& satellite, TReportLines& lines,
                          const TReportSettings& settings) {
    const std::string name = satellite.name.str();
    const std::string number = CatalogueNumberText(satellite.catNo.view());
    const std::string epoch =
        FormatDateTime("MMM dd yyyy  HH:nn:ss", satellite.epoch - kJulianOffset);
    const char* unit = settings.metric ? "km" : "mi.";
    lines.push_back("  " + std::string(70, '-'));
    // Put together by hand, as the pass lines are: a whole catalogue writes
    // these for every satellite.
    lines.push_back("  Satellite: " + name + "  -  " + number);
    lines.push_back("  TLE Date: " + epoch + " (Z)");
    std::string distances = "  Apoge: ";
    AppendFixed(distances, satellite.apogee * settings.distanceFactor, 6, 1);
    distances.append(" ").append(unit).append("  Perige: ");
    AppendFixed(distances, satellite.perigee * settings.distanceFactor, 6, 1);
    distances.append(" ").append(unit);
    lines.push_back(std::move(distances));
}

std::string LineColumnHeader(bool sunlitOnly) {
    // Above every satellite's passes: laid out once.
    static const std::string sunlit =
        FormatArgs("%0:-16s %1:7s %2:-9s %1:7s %3:5s %4:-9s %1:7s %5:9s ",
                   {"  MM/DD AOS", "Alt Az", " Max", "Mag", " LOS", "TT(Sec)"});
    static const std::string all =
        FormatArgs("%0:-16s %1:7s %2:-9s %1:7s %3:5s %4:-9s %1:7s %5:9s %6:14s",
                   {"  MM/DD AOS", "Alt Az", " Max", "Mag", " LOS", "TT(Sec)", "Enter Shd/Slt"});
    return sunlitOnly ? sunlit : all;
}

namespace {
// A satellite in the Earth's shadow has no brightness to show.
std::string MagnitudeText(const char* pattern, double magnitude, bool shadowed) {
    return shadowed ? std::string() : FormatArgs(pattern, {magnitude});
}

std::string Mark(bool estimated) { return estimated ? kEstimatedMark : ""; }

std::string ShadowNote(const TLinePass& pass, double displayOffset) {
    switch (pass.shadow) {
        case TShadowNote::kSunlit: return "SunLite";
        case TShadowNote::kShadowed: return "Shadow";
        case TShadowNote::kEntersShadow:
            return "Shd " + std::string(ShownClock(pass.shadowTime, displayOffset, false).view());
        case TShadowNote::kLeavesShadow:
            return "Slt " + std::string(ShownClock(pass.shadowTime, displayOffset, false).view());
        case TShadowNote::kNone: break;
    }
    return {};
}
}  // namespace

// Written column by column into one string: the general formatter's
// line to the byte (the report tests compare the two), at a fraction of its
// cost, as a whole catalogue writes a line for every pass.
std::string LinePassLine(const TLinePass& pass, double displayOffset, bool estimated) {
    std::string out;
    out.reserve(112);
    AppendRight(out, ShownClock(pass.aos, displayOffset, true).view(), 16);
    out += ' ';
    AppendFixed(out, pass.aosElevation, 3, 0);
    out += ' ';
    AppendFixed(out, pass.aosAzimuth, 3, 0);
    out += ' ';
    AppendRight(out, ShownClock(pass.middle, displayOffset, false).view(), 9);
    out += ' ';
    AppendFixed(out, pass.maxElevation, 3, 0);
    out += ' ';
    AppendFixed(out, pass.maxAzimuth, 3, 0);
    out += ' ';
    if (pass.shadowed) out.append(5, ' ');
    else AppendFixed(out, pass.magnitude, 5, 1);
    out += ' ';
    AppendRight(out, ShownClock(pass.los, displayOffset, false).view(), 9);
    out += ' ';
    AppendFixed(out, pass.losElevation, 3, 0);
    out += ' ';
    AppendFixed(out, pass.losAzimuth, 3, 0);
    out += ' ';
    AppendRight(out, DurationText(pass.seconds), 9);
    out += ' ';
    AppendRight(out, ShadowNote(pass, displayOffset), 14);
    if (estimated && !pass.shadowed) out += kEstimatedMark;
    return out;
}

void WriteTabularPassHeader(TReportLines& lines, long long revolution, bool sunlitOnly) {
    lines.push_back("  ");
    lines.push_back("  Rev# : " + std::to_string(revolution) + std::string(8, ' '));
    lines.push_back(FormatArgs("%0:-16s %1:8s %2:5s %3:6s",
                               {"  MM/DD Time", "Alt  Az", "Mag", sunlitOnly ? " " : "Slt"}));
}

std::string TableRowLine(const TTableRow& row, double displayOffset, bool sunlitOnly, bool estimated) {
    std::string out;
    out.reserve(48);
    AppendRight(out, ShownClock(row.t, displayOffset, true).view(), 16);
    out += ' ';
    AppendFixed(out, row.elevation, 3, 0);
    out += ' ';
    AppendFixed(out, row.azimuth, 4, 0);
    out += ' ';
    if (row.shadowed) out.append(5, ' ');
    else AppendFixed(out, row.magnitude, 5, 1);  // "%4.1f" in five columns
    out += ' ';
    AppendRight(out, sunlitOnly ? "" : row.sunlit ? "Y" : "N", 5);
    if (estimated && !row.shadowed) out += kEstimatedMark;
    return out;
}

void WriteFlareHeader(TReportLines& lines, const std::string& elementDate, bool utcMode,
                      double start, double stop, const TReportSettings& settings) {
    lines.push_back("  Iridium Flare Passes - Element Date : " + elementDate);
    WriteReportHeader(utcMode, lines, start, stop, settings);
    lines.push_back("  ");
    lines.push_back(FormatArgs(
        "%0:-18s%1:4s%2:5s%3:5s%4:7s%5:6s%6:8s%7:10s%8:7s%9:7s%10:6s",
        {"  MM/DD Time", "ID", "Alt", "Az", "Range", "Mag", "LatC", "LongC", "BrgC", "DistC",
         "MagC"}));
}

std::string FlareRowLine(const TFlareRow& row, double displayOffset, double distanceFactor) {
    const std::string time = Shown(row.t, displayOffset, "mm/dd HH:nn:ss");
    return FormatArgs(
        "  %0:-16s%1:4s%2:5.0f%3:5.0f%4:7.0f%5:6.1f%6:8.3f%7:10.3f%8:7.0f%9:7.1f%10:6.1f",
        {time, row.id, row.elevation, row.azimuth, row.range, row.magnitude, row.centreLat,
         row.centreLon, row.bearing, row.distance * distanceFactor, row.centreMagnitude});
}

void WriteTransitTitle(TReportLines& lines, const std::string& targetName) {
    lines.push_back("  " + targetName + " Transit");
}

std::string TransitTitle(const std::string& targetName) {
    return std::string(TrimText(targetName + " Transit"));
}

std::string GroundPathTitle(const std::string& targetName) {
    return std::string(TrimText(targetName + " Ground Track"));
}

std::string TransitColumnHeader() {
    return FormatArgs("  %0:-5s %1:-11s %2:-5s %3:-5s %4:-6s  %5:-8s %6:-8s %7:-7s %8:-3s",
                      {"MM/DD", "Time", "Alt", "Az", "Mag", "Satlit", "Sep(m)", "Range",
                       "Illum(%)"});
}

std::string TransitRowLine(const TTransitRow& row, double displayOffset, double distanceFactor,
                           bool estimated) {
    const std::string time = Shown(row.t, displayOffset, "mm/dd HH:nn:ss");
    return FormatArgs("  %0:-16s  %1:-5.0f %2:-5.0f %3:-6s  %4:-8s %5:-8.2f %6:-7.0f %7:-3.1f",
                      {time, row.elevation, row.azimuth,
                       MagnitudeText("%0:-6.1f", row.magnitude, !row.sunlit),
                       row.sunlit ? "Yes" : "No", row.separation, row.range * distanceFactor,
                       row.illumination}) +
           Mark(estimated && row.sunlit);
}

std::string TransitEpochLine(double start, double displayOffset) {
    return "  Epoch Date: " + Shown(start, displayOffset, "MMM dd yyyy HH:nn:ss");
}

std::string GroundPathEpochLine(double start, double displayOffset) {
    return "  Epoch Date: " + Shown(start, displayOffset, "MMM dd yy HH:nn:ss");
}

std::string RaDecLine(double ra, double dec) {
    std::string line = "  RA: ";
    line += Conv_to_str_hrs(true, 0, ra);  // copied at once: the buffer is reused
    line += "   DEC: ";
    line += Conv_to_str_deg(true, 0, dec);
    return line;
}

std::string GroundPathColumnHeader() {
    return FormatArgs("%0:-19s%1:-9s%2:-9s%3:6s%4:5s%5:6s%6:6s%7:4s%8:5s",
                      {"  MM/DD Time", "Lat", "Lon", "HalfW", "Az", "Dist", "Rng", "Alt", "Slt"});
}

std::string GroundPathRowLine(const TGroundPathRow& row, double displayOffset, double distanceFactor) {
    const std::string time = Shown(row.t, displayOffset, "mm/dd HH:nn:ss");
    return FormatArgs("%0:16s%1:10.4f%2:11.4f%3:6.1f%4:5.0f%5:6.1f%6:6.0f%7:4.0f%8:4s",
                      {time, row.latitude, row.longitude, row.width * distanceFactor, row.bearing,
                       row.distance * distanceFactor, row.range * distanceFactor, row.elevation,
                       row.sunlit ? "Y" : "N"});
}

void WritePeriodHeader(TReportLines& lines, const TPredictionInputs& in,
                       const TReportSettings& settings) {
    WriteReportHeader(in.utcMode, lines, in.start + in.displayOffset, in.stop + in.displayOffset,
                      settings);
}

namespace {

// Calls each(record, previous) over records grouped by satellite; previous is
// the record before of the same satellite, null for a satellite's first.
template <typename Record, typename Each>
void BySatellite(const std::vector<Record>& records, Each each) {
    const Record* previous = nullptr;
    for (const Record& r : records) {
        each(r, previous && previous->satellite == r.satellite ? previous : nullptr);
        previous = &r;
    }
}

// The title block of the transit and ground-path reports; twoDigitYear for
// the ground path's epoch line.
void WriteTargetTitle(TReportLines& lines, const TTransitTarget& target, double start,
                      double offset, bool twoDigitYear) {
    // A ground path is no transit: its report says what it is.
    lines.push_back("  " + (twoDigitYear ? GroundPathTitle(target.name) : TransitTitle(target.name)));
    if (target.state.body == kBodyRaDec) {
        lines.push_back(twoDigitYear ? GroundPathEpochLine(start, offset)
                                     : TransitEpochLine(start, offset));
        lines.push_back(RaDecLine(target.state.radec.ra, target.state.radec.dec));
    }
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}
}  // namespace

std::string NothingFoundLine(const std::string& what, const TSearchStatus& status) {
    std::string searched;
    if (status.cutShort)
        searched = FormatArgs("%0d of %1d satellites searched", {status.satellitesDone, status.satellitesTotal});
    else if (status.satellitesTotal == 0)
        searched = "no satellite searched";
    else
        searched = FormatArgs("%0d %1s searched", {status.satellitesTotal,
                                                  status.satellitesTotal == 1 ? "satellite" : "satellites"});
    return "  No " + what + " found: " + searched + ".";
}

namespace {
// The records in time order (stable, so one satellite's keep their order).
template <typename Record, typename Time>
std::vector<Record> InTimeOrder(std::vector<Record> records, Time time) {
    std::stable_sort(records.begin(), records.end(),
                     [&](const Record& a, const Record& b) { return time(a) < time(b); });
    return records;
}

// The name column of the time-ordered line report (and its header): the
// indent, then the name padded to the column's width and one blank.
std::string SatelliteColumn(const std::string& name) {
    std::string column = "  " + name;
    column.resize(std::max(column.size(), std::size_t{kSatelliteColumnWidth}), ' ');
    return column + ' ';
}
}  // namespace

namespace {
// The day of the month FormatDateTime("dd") prints, 0 where it prints nothing.
int DayOfMonth(double dayNumber) {
    TDateParts d;
    return DecodeDayNumber(dayNumber, &d) ? d.day : 0;
}

// Calls block(first, count) for each run of records of one satellite.
template <typename Record, typename Block>
void ForEachSatellite(const std::vector<Record>& records, Block block) {
    for (std::size_t i = 0; i < records.size();) {
        std::size_t j = i + 1;
        while (j < records.size() && records[j].satellite == records[i].satellite) ++j;
        block(std::span<const Record>(records.data() + i, j - i));
        i = j;
    }
}
}  // namespace

void WriteLineSatellite(TReportLines& lines, const TSatRec& sat, std::span<const TLinePass> passes,
                        const TPredictionInputs& in, const TReportSettings& settings) {
    const double offset = in.displayOffset;
    const bool known = SatMagnitudeKnown(sat);
    for (std::size_t i = 0; i < passes.size(); ++i) {
        if (i == 0) {
            WriteSatelliteHeader(sat, lines, settings);
            if (!known) lines.push_back(kEstimatedBlockLine);
            lines.push_back("  ");
            lines.push_back(LineColumnHeader(in.sunlitOnly));
        } else if (DayOfMonth(passes[i - 1].aos + offset) != DayOfMonth(passes[i].aos + offset)) {
            lines.push_back(" ");  // a new day of the same satellite
        }
        lines.push_back(LinePassLine(passes[i], offset, !known));
    }
}

void WriteTabularSatellite(TReportLines& lines, const TSatRec& sat,
                           std::span<const TTablePass> passes, const TPredictionInputs& in,
                           const TReportSettings& settings) {
    const bool known = SatMagnitudeKnown(sat);
    for (std::size_t i = 0; i < passes.size(); ++i) {
        if (i == 0) {
            WriteSatelliteHeader(sat, lines, settings);
            if (!known) lines.push_back(kEstimatedBlockLine);
        }
        WriteTabularPassHeader(lines, passes[i].revolution, in.sunlitOnly);
        for (const TTableRow& row : passes[i].rows)
            lines.push_back(TableRowLine(row, in.displayOffset, in.sunlitOnly, !known));
    }
}

TReportLines LineReport(const TPredictionResult& result, const std::vector<TSatRec>& sats,
                        const TPredictionInputs& in, const TReportSettings& settings, TReportOrder order) {
    TReportLines lines;
    WritePeriodHeader(lines, in, settings);
    if (result.linePasses.empty()) {
        lines.push_back(NothingFoundLine("passes", result.status));
        return lines;
    }
    if (order == TReportOrder::kByTime) {
        lines.push_back("  ");
        lines.push_back(SatelliteColumn("Satellite") + LineColumnHeader(in.sunlitOnly));
        bool marked = false;
        for (const TLinePass& pass : InTimeOrder(result.linePasses, [](const TLinePass& p) { return p.aos; })) {
            const bool estimated = !SatMagnitudeKnown(sats[pass.satellite]);
            marked |= estimated && !pass.shadowed;
            lines.push_back(SatelliteColumn(sats[pass.satellite].name.str()) +
                            LinePassLine(pass, in.displayOffset, estimated));
        }
        if (marked) lines.push_back(kEstimatedFootnote);
        return lines;
    }
    ForEachSatellite(result.linePasses, [&](std::span<const TLinePass> passes) {
        WriteLineSatellite(lines, sats[passes.front().satellite], passes, in, settings);
    });
    return lines;
}

TReportLines TabularReport(const TPredictionResult& result, const std::vector<TSatRec>& sats,
                           const TPredictionInputs& in, const TReportSettings& settings, TReportOrder order) {
    TReportLines lines;
    WritePeriodHeader(lines, in, settings);
    if (result.tablePasses.empty()) {
        lines.push_back(NothingFoundLine("passes", result.status));
        return lines;
    }
    const std::vector<TTablePass> passes =
        order == TReportOrder::kByTime
            ? InTimeOrder(result.tablePasses,
                          [](const TTablePass& p) { return p.rows.empty() ? 0.0 : p.rows.front().t; })
            : result.tablePasses;
    // In time order a satellite's header comes again before each pass that
    // follows another satellite's.
    ForEachSatellite(passes, [&](std::span<const TTablePass> run) {
        WriteTabularSatellite(lines, sats[run.front().satellite], run, in, settings);
    });
    return lines;
}

TReportLines FlareReport(const TFlareResult& result, const TFlareInputs& in,
                         const TReportSettings& settings) {
    TReportLines lines;
    WriteFlareHeader(lines, in.elementDate, in.utcMode, in.start + in.displayOffset,
                     in.stop + in.displayOffset, settings);
    for (const TFlare& flare : result.flares) lines.push_back(FlareRowLine(flare.row, in.displayOffset, settings.distanceFactor));
    if (result.flares.empty()) lines.push_back(NothingFoundLine("flares", result.status));
    return lines;
}

void SortFlaresForReport(std::vector<TFlare>& flares, double displayOffset) {
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(flares.size());
    for (std::size_t i = 0; i < flares.size(); ++i)
        keys.emplace_back(FlareRowLine(flares[i].row, displayOffset, 1.0), i);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return LessNoCase(a.first, b.first); });
    std::vector<TFlare> sorted;
    sorted.reserve(flares.size());
    for (const auto& key : keys) sorted.push_back(std::move(flares[key.second]));
    flares = std::move(sorted);
}

TReportLines TransitReport(const TTransitResult& result, const std::vector<TSatRec>& sats,
                           const TTransitTarget& target, const TPredictionInputs& in,
                           const TReportSettings& settings) {
    TReportLines lines;
    WriteTargetTitle(lines, target, in.start, in.displayOffset, false);
    WritePeriodHeader(lines, in, settings);
    if (result.transits.empty()) lines.push_back(NothingFoundLine("transits", result.status));
    BySatellite(result.transits, [&](const TTransit& transit, const TTransit* previous) {
        if (!previous) {
            WriteSatelliteHeader(sats[transit.satellite], lines, settings);
            if (!SatMagnitudeKnown(sats[transit.satellite])) lines.push_back(kEstimatedBlockLine);
            lines.push_back("  ");
            lines.push_back(TransitColumnHeader());
        }
        lines.push_back(TransitRowLine(transit.row, in.displayOffset, settings.distanceFactor,
                                       !SatMagnitudeKnown(sats[transit.satellite])));
    });
    return lines;
}

TReportLines GroundPathReport(const TGroundPathResult& result, const std::vector<TSatRec>& sats,
                              const TTransitTarget& target, const TPredictionInputs& in,
                              const TReportSettings& settings) {
    TReportLines lines;
    WriteTargetTitle(lines, target, in.start, in.displayOffset, true);
    WritePeriodHeader(lines, in, settings);
    if (result.paths.empty()) lines.push_back(NothingFoundLine("ground paths", result.status));
    BySatellite(result.paths, [&](const TGroundPath& path, const TGroundPath* previous) {
        if (!previous) WriteSatelliteHeader(sats[path.satellite], lines, settings);
        lines.push_back("  ");
        lines.push_back(GroundPathColumnHeader());
        for (const TPathRow& r : path.rows)
            lines.push_back(GroundPathRowLine(r.row, in.displayOffset, settings.distanceFactor));
        lines.push_back(kEndOfTrack);
    });
    return lines;
}

std::string DecayColumnLine() {
    return "  Name                             Apogee  Perige   Epoch Date            Date of Decay";
}

std::string DecayTitle(const TSatRec& satellite) {
    return std::string(TrimText(AnalysisTitle(satellite)));
}

std::string VisibleTitle(const TSatRec& satellite) { return AnalysisTitle(satellite); }

std::string DecayRowLine(const TSatRec& satellite, double decayDate, double displayOffset,
                         double distanceFactor) {
    const std::string title = DecayTitle(satellite);
    const std::string epoch =
        Shown(satellite.epoch - kJulianOffset, displayOffset, "mm/dd/yyyy HH:nn:ss");
    const std::string decay = Shown(decayDate, displayOffset, "mm/dd/yyyy HH:nn:ss");
    return FormatArgs("  %0:-30s    %1:5.0f   %2:5.0f   %3:16s   %4:16s",
                      {title, satellite.apogee * distanceFactor,
                       satellite.perigee * distanceFactor, epoch, decay});
}

std::string VisibleSunLine(double sunElevation) {
    return FormatArgs("  Sun: %0:5.1f degrees ", {sunElevation});
}

std::string VisibleColumnLine() {
    return "  Name                               Az    Alt    Mag     Range   Height  Sunlit";
}

std::string VisibleRowLine(const TVisibleRow& row, double distanceFactor) {
    return FormatArgs("  %0:-30s  %1:5.1f   %2:4.1f   %3:4s   %4:7.1f   %5:6.0f   %6:-5s",
                      {row.title, row.azimuth, row.elevation, MagnitudeText("%0:4.1f", row.magnitude, !row.sunlit),
                       row.range * distanceFactor, row.height * distanceFactor, row.sunlit ? "Y" : "N"}) +
           Mark(row.estimated && row.sunlit);
}

std::string PassTitle(const TSatRec& satellite, bool fullNumber) {
    std::string title = (satellite.name.str() + " - ").substr(0, 23);
    if (!fullNumber) return (title + satellite.catNo.str()).substr(0, 28);
    return title + CatalogueNumberText(satellite.catNo.view());
}

TStatus SaveReport(const std::string& path, const TReportLines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return WriteFileAtomic(path, text);
}

std::size_t PrintPageCount(std::size_t lineCount) {
    return (lineCount + kDialogPageLines - 1) / kDialogPageLines;
}

TPrintRange PrintLineRange(std::size_t lineCount, bool allPages, int fromPage, int toPage) {
    if (allPages) return {0, lineCount};
    if (fromPage < 1 || toPage < fromPage) return {0, 0};
    const std::size_t first = static_cast<std::size_t>(fromPage - 1) * kDialogPageLines;
    if (first >= lineCount) return {0, 0};
    const std::size_t end =
        std::min(lineCount, static_cast<std::size_t>(toPage) * kDialogPageLines);
    return {first, end - first};
}

TPrintPlace PrintPlace(std::size_t n) {
    TPrintPlace place;
    place.sheet = n / kSheetLines;
    place.x = 40;
    place.y = 100 * static_cast<int>(2 + n % kSheetLines);
    return place;
}
