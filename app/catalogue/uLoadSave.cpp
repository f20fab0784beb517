#include "uLoadSave.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Satellite.h"
#include "uFileIO.h"
#include "uFormat.h"

namespace {

constexpr std::size_t kRecSize = sizeof(TSatRec);
// Longer lines are cut here; no element or name line comes near it.
constexpr std::size_t kMaxLine = 4096;

// The first LF or CR at or after from, or chunk.size(). Searched a short
// window at a time, so a file of lone CRs is not scanned to its end per line.
std::size_t LineEnd(std::string_view chunk, std::size_t from) {
    constexpr std::size_t kWindow = 256;
    std::size_t end = from;
    while (end < chunk.size()) {
        const std::size_t window = std::min(chunk.size() - end, kWindow);
        const char* p = chunk.data() + end;
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', window));
        const std::size_t upTo = lf ? static_cast<std::size_t>(lf - p) : window;
        if (const auto* cr = static_cast<const char*>(std::memchr(p, '\r', upTo)))
            return end + static_cast<std::size_t>(cr - p);
        end += upTo;
        if (lf) return end;
    }
    return end;
}

// Splits a byte stream into lines at LF, CR LF or a lone CR; each line is
// passed on as it ends. Memory stays bounded by kMaxLine however long a line is.
class LineSplitter {
public:
    template <class F>
    void Feed(std::string_view chunk, F&& onLine) {
        // A run of text up to a line end at a time; a line that ends in this
        // chunk and did not start before it is passed on without a copy.
        for (std::size_t i = 0; i < chunk.size();) {
            if (chunk[i] == '\n' && lastCR_) {
                lastCR_ = false;
                ++i;
                continue;
            }
            const std::size_t end = LineEnd(chunk, i);
            const std::string_view run = chunk.substr(i, end - i);
            if (!run.empty()) pending_ = true;
            lastCR_ = false;
            if (end == chunk.size()) {
                Keep(run);
                return;
            }
            if (line_.empty()) {
                onLine(run.substr(0, kMaxLine));
            } else {
                Keep(run);
                onLine(std::string_view(line_));
                line_.clear();
            }
            pending_ = false;
            lastCR_ = chunk[end] == '\r';
            i = end + 1;
        }
    }
    template <class F>
    void Finish(F&& onLine) {
        if (pending_) onLine(std::string_view(line_));
        line_.clear();
        pending_ = false;
    }

private:
    void Keep(std::string_view run) {
        if (line_.size() < kMaxLine) line_.append(run.substr(0, kMaxLine - line_.size()));
    }

    std::string line_;
    bool lastCR_ = false;
    bool pending_ = false;
};

// False when tle_valid is sure to refuse the (trimmed) pair without looking
// further: it asks for a line 1 and a line 2 first of all.
bool CouldPair(std::string_view line1, std::string_view line2) {
    return !line1.empty() && !line2.empty() && line1[0] == '1' && line2[0] == '2';
}

// The reader's state: the name candidate and the previous line.
class ElementReader {
public:
    explicit ElementReader(std::vector<TElementEntry>& entries, std::size_t limit = kMaxElementEntries)
        : entries_(entries), limit_(limit) {
        entries_.clear();
    }

    // A set was found beyond the limit (a file of exactly the limit is whole).
    bool Overflowed() const { return overflowed_; }

    // pairValid: tle_valid of the line before this one with this one, when
    // already known (-1 when not); it stands for the check only while the
    // line before is the one this line pairs with.
    void Line(std::string_view raw, signed char pairValid = -1) {
        if (overflowed_) return;
        std::string_view current = TrimText(raw);
        current_.assign(current);
        ++line_;
        if (!current.empty()) ++nonBlank_;
        const bool known = pairValid >= 0 && previousLine_ + 1 == line_;
        if (known ? pairValid != 0
                  : CouldPair(previous_, current_) && tle_valid(previous_.c_str(), current_.c_str())) {
            if (entries_.size() >= limit_) {
                overflowed_ = true;
                return;
            }
            // The pair, and the name line before it, unless a set took them already.
            if (!name_.empty() && nameLine_ > lastClaimed_) ++inSets_;
            if (previousLine_ > lastClaimed_) ++inSets_;
            ++inSets_;
            lastClaimed_ = line_;
            Append();
        } else {
            name_ = TrimText(previous_);
            nameLine_ = previousLine_;
            previous_.swap(current_);
            previousLine_ = line_;
        }
    }

    std::size_t StrayLines() const { return nonBlank_ - inSets_; }

private:
    void Append() {
        std::string_view catNo = std::string_view(previous_).substr(std::min<std::size_t>(2, previous_.size()), 5);
        std::string_view name;
        if (std::string_view(name_).substr(0, 4) == "    " || name_.size() > 25)
            name = catNo;
        else
            name = TrimText(std::string_view(name_).substr(0, 24));
        TElementEntry e{};
        e.stdMag = 8.0;
        e.meanMotion = ElementMeanMotion(current_);
        e.line1 = previous_;
        e.line2 = current_;
        e.name = name;
        e.catNo = catNo;
        entries_.push_back(e);
    }

    std::vector<TElementEntry>& entries_;
    std::size_t limit_;
    bool overflowed_ = false;
    std::string name_, previous_, current_;
    std::size_t line_ = 0, nonBlank_ = 0, inSets_ = 0, lastClaimed_ = 0, previousLine_ = 0, nameLine_ = 0;
};

// Asks for huge pages under a big fresh buffer: touching it page by page
// costs more than filling it.
void AdviseHugePages(const void* data, std::size_t bytes) {
    constexpr std::uintptr_t kHuge = std::uintptr_t{1} << 21;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHuge - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// Runs part(from, to) over [0, n) in contiguous pieces, one thread each
// when there is enough to share: making 20,000 records is a tenth of a
// second on one core.
template <class Part>
void SplitRange(std::size_t n, Part part) {
    constexpr std::size_t kPerThread = 2048;
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t pieces = std::clamp<std::size_t>(n / kPerThread, 1, cores);
    std::vector<std::thread> helpers;
    for (std::size_t k = 1; k < pieces; ++k) {
        try {
            helpers.emplace_back(part, n * k / pieces, n * (k + 1) / pieces);
        } catch (const std::system_error&) {
            part(n * k / pieces, n * (k + 1) / pieces);  // no thread to be had: here, then
        }
    }
    part(std::size_t{0}, n / pieces);
    for (std::thread& t : helpers) t.join();
}

}  // namespace

TStatus FileStatus(const std::string& path) {
    if (IsRegularFile(path)) return TStatus::Success();
    // "not found" for a missing file; a folder or FIFO is named as such.
    const std::string problem = FileProblem(path);
    std::string text("File: ");
    text.append(path).append(" ").append(problem.empty() ? "not found" : problem);
    // Something standing there that is not a file is not "missing": it holds data.
    const bool missing = problem.empty() || problem == "not found";
    return TStatus::Failure(missing ? TStatusKind::notFound : TStatusKind::ioError, std::move(text));
}

double ElementEpochJulian(std::string_view line1) {
    if (line1.size() < 32) return std::nan("");
    double yy = 0, day = 0;
    if (!ParseNumber(line1.substr(18, 2), yy) || !ParseNumber(line1.substr(20, 12), day)) return std::nan("");
    if (yy < 0 || yy > 99 || yy != std::floor(yy)) return std::nan("");
    int year = 1900 + static_cast<int>(yy);
    if (year < 1957) year += 100;
    return DayNumberToJulian(EncodeDayNumber(year, 1, 1)) - 1.0 + day;
}

double ElementMeanMotion(std::string_view line2) {
    double n = 0;
    if (line2.size() < 53 || !ParseNumber(line2.substr(52, 11), n)) return 0.0;
    return n;
}

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Text saved as UTF-16 with its byte-order mark (as some editors save XML)
// becomes UTF-8, which every reader here takes; a broken pair becomes
// U+FFFD. False, bytes untouched, without such a mark.
bool Utf16ToUtf8(std::string& bytes) {
    if (bytes.size() < 2) return false;
    const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF)) return false;
    auto unit = [&](std::size_t i) {
        const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return little ? a | b << 8 : a << 8 | b;
    };
    std::string out;
    out.reserve(bytes.size() / 2 + 16);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        unsigned cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    bytes.swap(out);
    return true;
}

// tle_valid of each line (trimmed) with the one before it; the first line
// pairs with nothing.
std::vector<signed char> PairsValid(const std::vector<std::string_view>& lines) {
    std::vector<signed char> valid(lines.size(), 0);
    SplitRange(lines.size(), [&](std::size_t from, std::size_t to) {
        std::string line1, line2;
        for (std::size_t k = std::max<std::size_t>(from, 1); k < to; ++k) {
            const std::string_view a = TrimText(lines[k - 1]), b = TrimText(lines[k]);
            if (!CouldPair(a, b)) continue;
            line1.assign(a);
            line2.assign(b);
            valid[k] = tle_valid(line1.c_str(), line2.c_str()) ? 1 : 0;
        }
    });
    return valid;
}

// The reader behind both entry points; bytes may be padded or parsed in place.
void ReadElementBytes(std::vector<TElementEntry>& entries, std::string& bytes, TElementReadReport& r) {
    Utf16ToUtf8(bytes);
    r.format = DetectElementFormat(bytes);
    switch (r.format) {
        case TElementFormat::kOmmCsv: ReadOmmCsv(bytes, entries, r); return;
        case TElementFormat::kOmmJson: ReadOmmJson(bytes, entries, r); return;
        case TElementFormat::kOmmXml: ReadOmmXml(bytes, entries, r); return;
        case TElementFormat::kTwoLine: break;
    }
    ElementReader reader(entries);
    entries.reserve(std::min(bytes.size() / 130 + 1, kMaxElementEntries));  // two lines of 69 and most of a name each
    // The lines a block at a time, so that the checks of the pairs, most of
    // the reading, can share the cores while a file of short lines does not
    // grow a list as long; the reader takes them in order.
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    std::vector<std::string_view> lines;  // after the first block, lines[0] is the block before's last
    lines.reserve(kBlock + 1);
    bool carried = false;
    auto readBlock = [&] {
        const std::vector<signed char> pairs = PairsValid(lines);
        for (std::size_t k = carried ? 1 : 0; k < lines.size(); ++k) reader.Line(lines[k], pairs[k]);
        if (lines.empty()) return;
        const std::string_view last = lines.back();
        lines.clear();
        lines.push_back(last);
        carried = true;
    };
    std::deque<std::string> assembled;  // lines the splitter had to put together
    auto keep = [&](std::string_view l) {
        const std::less<const char*> before;
        if (before(l.data(), bytes.data()) || before(bytes.data() + bytes.size(), l.data() + l.size()))
            l = assembled.emplace_back(l);
        lines.push_back(l);
        if (lines.size() > kBlock) readBlock();
    };
    LineSplitter splitter;
    splitter.Feed(bytes, keep);
    splitter.Finish(keep);
    readBlock();
    r.strayLines = reader.StrayLines();
    if (reader.Overflowed())
        r.error = "more than " + std::to_string(kMaxElementEntries) + " element sets; the rest was not read";
}

}  // namespace

void ReadElementText(std::vector<TElementEntry>& entries, std::string_view text, TElementReadReport* report) {
    TElementReadReport local;
    TElementReadReport& r = report ? *report : local;
    r = TElementReadReport{};
    entries.clear();
    std::string bytes(text);
    ReadElementBytes(entries, bytes, r);
}

bool ReadElementFile(std::vector<TElementEntry>& entries, const std::string& path, TElementReadReport* report) {
    TElementReadReport local;
    TElementReadReport& r = report ? *report : local;
    r = TElementReadReport{};
    entries.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        r.error = "the file cannot be found";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        r.error = "not a plain file";
        return false;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxElementFileBytes) {
        r.error = "larger than " + std::to_string(kMaxElementFileBytes >> 20) + " MiB, the most an element file may hold";
        return false;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size) + 64);  // room for the JSON reader's padding
    bool truncated = false;
    if (!ReadFileBytes(path, kMaxElementFileBytes, bytes, &truncated) || truncated) {
        r.error = truncated ? "the file grew while it was read" : "the file cannot be read";
        return false;
    }
    ReadElementBytes(entries, bytes, r);
    return !entries.empty();
}

TStatus ReadElementsForSearch(std::vector<TElementEntry>& entries, const std::string& path, std::string* warning,
                              std::vector<TSatRec>* made) {
    TElementReadReport report;
    ReadElementFile(entries, path, &report);
    std::string why = report.Summary();
    // A set the propagator refuses would drop out of every search unnoticed.
    const std::size_t read = entries.size();
    std::vector<char> refused(read, 0);
    std::vector<TSatRec> local;
    std::vector<TSatRec>& sats = made ? *made : local;
    sats.clear();
    sats.reserve(made ? read : 0);
    AdviseHugePages(sats.data(), sats.capacity() * sizeof(TSatRec));
    if (made) sats.resize(read);
    SplitRange(read, [&](std::size_t from, std::size_t to) {
        TSatRec scratch{};
        for (std::size_t i = from; i < to; ++i) {
            const TElementEntry& e = entries[i];
            TSatRec& sat = made ? sats[i] : (scratch = TSatRec{});
            refused[i] = !MakeSatelliteRecord(sat, e.name.view(), e.catNo.view(), e.stdMag, e.line1.str(), e.line2.str(),
                                              e.magSource);
        }
    });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < read; ++i)
        if (!refused[i]) {
            if (made && kept != i) sats[kept] = sats[i];
            entries[kept++] = entries[i];
        }
    entries.resize(kept);
    if (made) sats.resize(kept);
    if (const std::size_t refused = read - entries.size(); refused > 0) {
        if (!why.empty()) why += "; ";
        why += std::to_string(refused) + " of " + std::to_string(read) +
               " element sets skipped (the propagator cannot start them)";
    }
    const bool any = !entries.empty();
    if (warning) *warning = any && !why.empty() ? path + ": " + why : std::string();
    if (any) return TStatus::Success();
    if (!FileProblem(path).empty()) return FileReadFailure(path);
    return TStatus::Failure(TStatusKind::invalid, "no element sets in " + path + (why.empty() ? "" : ": " + why));
}

bool HoldsElementSets(const std::string& path) {
    std::vector<TElementEntry> entries;
    return ReadElementFile(entries, path);
}

bool CheckSatRec(const TSatRec& s) {
    auto finite = [](double v) { return std::isfinite(v); };
    // 1950 .. 2100 as Julian dates.
    if (!finite(s.epoch) || s.epoch < 2433282.5 || s.epoch > 2488069.5) return false;
    if (!finite(s.ecc) || s.ecc < 0.0 || s.ecc >= 1.0) return false;
    if (!finite(s.inclination) || s.inclination < 0.0 || s.inclination > kPi + 1e-9) return false;
    for (double a : {s.node, s.argPerigee, s.meanAnomaly})
        if (!finite(a) || std::fabs(a) > 2.0 * kTwoPi) return false;
    if (!finite(s.meanMotion) || s.meanMotion <= 0.0 || s.meanMotion > 20.0) return false;
    if (!finite(s.period) || s.period <= 0.0) return false;
    if (std::fabs(s.period * s.meanMotion / 1440.0 - 1.0) > 0.05) return false;
    if (!finite(s.apogee) || !finite(s.perigee) || s.perigee < -kEarthRadiusWgs72 || s.apogee > 1.0e7 ||
        s.apogee < s.perigee - 1.0)
        return false;
    if (std::isnan(s.decayDate) || !finite(s.revNumber) || s.revNumber < 0.0) return false;
    // Deep space from 225 minutes on; a little slack for how the period is derived.
    if ((s.deepSpace != 0 && s.period < 215.0) || (s.deepSpace == 0 && s.period > 235.0)) return false;

    // The private storage: a propagation at epoch must land between perigee
    // and apogee. Run on a copy, since the propagator may keep state there.
    TSatRec copy = s;
    TVector pos{}, vel{};
    bool ok = copy.deepSpace ? SDP4(&copy, &pos, &vel, 0.0) : SGP4(&copy, &pos, &vel, 0.0);
    if (!ok) return false;
    double r = std::sqrt(pos.x * pos.x + pos.y * pos.y + pos.z * pos.z);
    double v = std::sqrt(vel.x * vel.x + vel.y * vel.y + vel.z * vel.z);
    if (!finite(r) || !finite(v) || v <= 0.0 || v > 12.0) return false;
    double tol = 50.0 + 0.02 * (kEarthRadiusWgs72 + s.apogee);
    return r > kEarthRadiusWgs72 + s.perigee - tol && r < kEarthRadiusWgs72 + s.apogee + tol;
}

bool RebuildSatModel(TSatRec& sat) {
    return sat.deepSpace ? SDP4_init(&sat) : SGP4_init(&sat);
}

bool LoadCatalogue(std::vector<TSatRec>& list, const std::string& path) {
    std::string bytes;
    list.clear();
    if (!ReadFileBytes(path, kMaxCatalogueRecords * kRecSize, bytes)) return false;
    std::size_t count = bytes.size() / kRecSize;
    list.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        TSatRec& rec = list[k];
        std::memcpy(&rec, bytes.data() + k * kRecSize, kRecSize);
        if (!std::isfinite(rec.stdMag) || std::fabs(rec.stdMag) > 50.0) rec.stdMag = 8.0;
        // The stored work area is never trusted: the model is built afresh
        // from the element fields, so a change of the propagator's private
        // layout cannot make a saved catalogue unreadable. Checked on every
        // load, so a record wrongly rejected once is not lost; a rejected one
        // keeps its bytes so that a save writes it back as found.
        TSatRec rebuilt = rec;
        if (RebuildSatModel(rebuilt) && CheckSatRec(rebuilt)) {
            rec = rebuilt;
            if (rec.decayed == kDecayedRejected) rec.decayed = 0;
        } else {
            rec.decayed = kDecayedRejected;
        }
    }
    return count > 0;
}

namespace {

// What a loaded list holds that cannot be used, said once; all: every record.
std::string UnusableRecords(const std::vector<TSatRec>& list, const std::string& path, bool& all) {
    const auto rejected = static_cast<std::size_t>(
        std::count_if(list.begin(), list.end(), [](const TSatRec& s) { return s.decayed == kDecayedRejected; }));
    all = rejected > 0 && rejected == list.size();
    if (all)
        return "every one of the " + std::to_string(list.size()) + " records of " + path +
               " is unusable: it is not a catalogue of this program";
    if (rejected > 0)
        return path + ": " + std::to_string(rejected) + " of " + std::to_string(list.size()) +
               " records are unusable and left out";
    return {};
}

}  // namespace

TStatus LoadCatalogueForSearch(std::vector<TSatRec>& list, const std::string& path, std::string* warning) {
    if (!LoadCatalogue(list, path)) {
        if (!FileProblem(path).empty()) return FileReadFailure(path);
        return TStatus::Failure(TStatusKind::invalid, "File: " + path + " holds no satellite records");
    }
    bool all = false;
    std::string text = UnusableRecords(list, path, all);
    if (all) return TStatus::Failure(TStatusKind::invalid, std::move(text));
    if (!text.empty() && warning) *warning = std::move(text);
    return TStatus::Success();
}

bool LoadCatalogueFile(std::vector<TSatRec>& list, const std::string& path, std::vector<std::string>* warnings,
                       bool* whole) {
    const bool any = LoadCatalogue(list, path);
    std::vector<std::string> told;
    bool read = true;
    struct stat st {};
    const std::string problem = FileProblem(path);
    if (!problem.empty() && problem != "not found") {
        read = false;
        told.push_back("File: " + path + " " + problem + "; the list starts empty and the file is left as it is");
    } else if (problem.empty() && ::stat(path.c_str(), &st) == 0) {
        const auto size = static_cast<std::uint64_t>(st.st_size);
        if (size > kMaxCatalogueRecords * kRecSize) {
            read = false;
            told.push_back(path + ": more than " + std::to_string(kMaxCatalogueRecords) + " records; only the first " +
                           std::to_string(kMaxCatalogueRecords) + " are read");
        } else if (size % kRecSize != 0) {
            read = false;
            told.push_back(path + ": " + std::to_string(size) + " bytes, not a whole number of " +
                           std::to_string(kRecSize) + "-byte records; the last " + std::to_string(size % kRecSize) +
                           " are not read");
        }
    }
    bool all = false;
    if (std::string text = UnusableRecords(list, path, all); !text.empty()) told.push_back(std::move(text));
    // A file none of whose records is ours is not written back as it stands either.
    if (all) read = false;
    if (warnings) warnings->insert(warnings->end(), told.begin(), told.end());
    if (whole) *whole = read;
    return any;
}

std::string CatalogueBytes(const std::vector<TSatRec>& list) {
    std::string bytes(list.size() * kRecSize, '\0');
    for (std::size_t k = 0; k < list.size(); ++k) std::memcpy(bytes.data() + k * kRecSize, &list[k], kRecSize);
    return bytes;
}

TStatus SaveCatalogue(const std::vector<TSatRec>& list, const std::string& path, const TReadGuard* guard) {
    if (list.size() > kMaxCatalogueRecords)
        return TStatus::Failure(TStatusKind::invalid, "cannot write " + path + ": more than " +
                                                          std::to_string(kMaxCatalogueRecords) + " records");
    const std::string bytes = CatalogueBytes(list);
    if (guard && !guard->MayReplace(bytes)) return TStatus::Success();
    return WriteFileAtomic(path, bytes);
}

bool MakeSatelliteRecord(TSatRec& sat, std::string_view name, std::string_view catNo, double stdMag,
                         const std::string& line1, const std::string& line2, uint8_t magSource) {
    sat.name = name;
    sat.catNo = catNo;
    sat.stdMag = stdMag;
    sat.pad[0] = magSource;
    bool ok = parse_elements(line1.c_str(), line2.c_str(), &sat);
    if (ok) ok = sat.deepSpace ? SDP4_init(&sat) : SGP4_init(&sat);
    // An element block that did not come out of both calls is never propagated.
    sat.decayed = ok ? 0 : kDecayedRejected;
    return ok;
}

bool InitSatelliteFromEntry(TSatRec& sat, const TElementEntry& entry, double nLow, double nHigh) {
    if (!(entry.meanMotion > nLow && entry.meanMotion < nHigh)) return false;
    return MakeSatelliteRecord(sat, entry.name.view(), entry.catNo.view(), entry.stdMag, entry.line1.str(),
                               entry.line2.str(), entry.magSource);
}

void KeepMeanMotions(std::vector<TElementEntry>& entries, std::vector<TSatRec>& sats, double nLow, double nHigh) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].meanMotion > nLow && entries[i].meanMotion < nHigh) {
            if (kept != i) {
                entries[kept] = entries[i];
                sats[kept] = sats[i];
            }
            ++kept;
        }
    entries.resize(kept);
    sats.resize(kept);
}

std::vector<TSatRec> SatellitesFromEntries(const std::vector<TElementEntry>& entries, double nLow, double nHigh) {
    std::vector<std::size_t> taken;
    taken.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].meanMotion > nLow && entries[i].meanMotion < nHigh) taken.push_back(i);
    // Records grown one by one cost more in copies and fresh pages than in
    // making them.
    std::vector<TSatRec> sats;
    sats.reserve(taken.size());
    AdviseHugePages(sats.data(), sats.capacity() * sizeof(TSatRec));
    sats.resize(taken.size());
    std::vector<char> made(taken.size(), 0);
    SplitRange(taken.size(), [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) made[k] = InitSatelliteFromEntry(sats[k], entries[taken[k]], nLow, nHigh);
    });
    std::size_t kept = 0;
    for (std::size_t k = 0; k < sats.size(); ++k)
        if (made[k]) {
            if (kept != k) sats[kept] = sats[k];
            ++kept;
        }
    sats.resize(kept);
    return sats;
}
