#include "uFormat.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::string_view kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::string_view kMonthLong[12] = {"January", "February", "March",     "April",
                                             "May",     "June",     "July",      "August",
                                             "September", "October", "November", "December"};
constexpr std::string_view kDayShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::string_view kDayLong[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};

constexpr int kSignificant = 15;
constexpr int64_t kMsPerDay = 86400000;
// Days from 0001-01-01 to 1899-12-30 and the last valid day (9999-12-31).
constexpr double kMinDayNumber = -693593.0;
constexpr double kMaxDayNumber = 2958466.0;

// A finite value as decimal digits: value = 0.d1d2d3... x 10^exp10.
// digits holds no leading or trailing zeros; empty means zero.
struct Decimal {
    bool neg = false;
    std::string digits;
    int exp10 = 0;
};

Decimal ToDecimal(double v, int significant = kSignificant) {
    Decimal d;
    d.neg = std::signbit(v);
    if (v == 0.0) return d;
    char buf[64];
    // to_chars ignores the process locale, unlike printf.
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                             significant - 1);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    std::size_t e = s.find('e');
    for (std::size_t k = 0; k < e; ++k)
        if (s[k] != '.') d.digits.push_back(s[k]);
    int ex = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), ex);
    d.exp10 = ex + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps `keep` leading digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int k = keep - 1;
        while (k >= 0 && d.digits[static_cast<std::size_t>(k)] == '9') {
            d.digits[static_cast<std::size_t>(k)] = '0';
            --k;
        }
        if (k >= 0) {
            ++d.digits[static_cast<std::size_t>(k)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exp10;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

void RoundDecimals(Decimal& d, int decimals) { RoundDigits(d, d.exp10 + decimals); }

char DigitAt(const Decimal& d, int pos) {  // pos 0 = first digit after 0.
    return pos >= 0 && pos < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(pos)]
                                                               : '0';
}

std::string IntegerDigits(const Decimal& d) {
    std::string s;
    for (int k = 0; k < d.exp10; ++k) s.push_back(DigitAt(d, k));
    return s;  // empty when the value is below 1
}

std::string FractionDigits(const Decimal& d, int decimals) {
    std::string s;
    for (int k = 0; k < decimals; ++k) s.push_back(DigitAt(d, d.exp10 + k));
    return s;
}

std::string NonFinite(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

void GroupThousands(std::string& digits) {
    for (int k = static_cast<int>(digits.size()) - 3; k > 0; k -= 3)
        digits.insert(static_cast<std::size_t>(k), 1, ',');
}

std::string FixedFromDecimal(Decimal d, int decimals, bool thousands) {
    RoundDecimals(d, decimals);
    std::string ip = IntegerDigits(d);
    if (ip.empty()) ip.push_back('0');
    if (thousands) GroupThousands(ip);
    std::string out;
    if (d.neg && !d.digits.empty()) out.push_back('-');
    out += ip;
    if (decimals > 0) {
        out.push_back('.');
        out += FractionDigits(d, decimals);
    }
    return out;
}

std::string FixedText(double v, int decimals, bool thousands) {
    if (!std::isfinite(v)) return NonFinite(v);
    return FixedFromDecimal(ToDecimal(v), std::min(decimals, 400), thousands);
}

std::string IntegerText(int64_t v, int minDigits, bool hex) {
    uint64_t mag = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, mag, hex ? 16 : 10);
    std::string digits(buf, res.ptr);
    if (hex)
        for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    if (v < 0) digits.insert(digits.begin(), '-');
    return digits;
}

int64_t RoundToInt(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= 9.2e18) return INT64_MAX;
    if (v <= -9.2e18) return INT64_MIN;
    return std::llround(v);
}

void Pad(std::string& out, const std::string& s, int width, bool left) {
    int fill = width - static_cast<int>(s.size());
    if (fill > 0 && !left) out.append(static_cast<std::size_t>(fill), ' ');
    out += s;
    if (fill > 0 && left) out.append(static_cast<std::size_t>(fill), ' ');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of digits; -1 when there is none. Saturates instead of overflowing.
int ReadNumber(std::string_view p, std::size_t& k) {
    if (k >= p.size() || !IsDigit(p[k])) return -1;
    int n = 0;
    while (k < p.size() && IsDigit(p[k])) {
        if (n < 100000) n = n * 10 + (p[k] - '0');
        ++k;
    }
    return n;
}

std::string FormatOne(const FmtArg& a, char type, int prec) {
    switch (type) {
        case 's': {
            std::string s;
            if (a.kind == FmtArg::Kind::Text) s = std::string(a.text);
            else if (a.kind == FmtArg::Kind::Int) s = IntegerText(a.i, 0, false);
            else s = FormatGeneral(a.f);
            if (prec >= 0 && static_cast<int>(s.size()) > prec) s.resize(static_cast<std::size_t>(prec));
            return s;
        }
        case 'd':
        case 'u':
        case 'x': {
            int64_t v = a.kind == FmtArg::Kind::Int     ? a.i
                        : a.kind == FmtArg::Kind::Float ? RoundToInt(a.f)
                                                        : 0;
            return IntegerText(v, prec, type == 'x');
        }
        case 'f':
        case 'n':
        case 'g': {
            double v = a.kind == FmtArg::Kind::Int     ? static_cast<double>(a.i)
                       : a.kind == FmtArg::Kind::Float ? a.f
                                                       : 0.0;
            if (type == 'g') return FormatGeneral(v);
            return FixedText(v, prec < 0 ? 2 : prec, type == 'n');
        }
    }
    return {};
}

}  // namespace

std::string FormatArgs(std::string_view pattern, std::initializer_list<FmtArg> args) {
    return FormatArgs(pattern, std::span<const FmtArg>(args.begin(), args.size()));
}

std::string FormatArgs(std::string_view p, std::span<const FmtArg> args) {
    std::string out;
    out.reserve(p.size() + 16);
    std::size_t next = 0;
    std::size_t k = 0;
    while (k < p.size()) {
        char c = p[k];
        if (c != '%') {
            out.push_back(c);
            ++k;
            continue;
        }
        std::size_t start = k++;
        if (k < p.size() && p[k] == '%') {
            out.push_back('%');
            ++k;
            continue;
        }
        std::size_t index = next;
        int n = ReadNumber(p, k);
        if (k < p.size() && p[k] == ':') {
            if (n >= 0) index = static_cast<std::size_t>(n);
            ++k;
            n = -1;
        }
        bool left = false;
        if (n < 0 && k < p.size() && p[k] == '-') {
            left = true;
            ++k;
        }
        int width = n >= 0 ? n : ReadNumber(p, k);
        int prec = -1;
        if (k < p.size() && p[k] == '.') {
            ++k;
            prec = std::max(0, ReadNumber(p, k));
        }
        char type = k < p.size() ? static_cast<char>(std::tolower(static_cast<unsigned char>(p[k]))) : 0;
        if (type != 's' && type != 'd' && type != 'u' && type != 'x' && type != 'f' && type != 'n' &&
            type != 'g') {
            // Not a specifier: keep the text as it stands.
            out.append(p.substr(start, k - start));
            continue;
        }
        ++k;
        next = index + 1;
        if (index >= args.size()) continue;
        Pad(out, FormatOne(args[index], type, prec), width, left);
    }
    return out;
}

// ---- number patterns -------------------------------------------------------

std::string FormatFloat(std::string_view p, double value) {
    if (!std::isfinite(value)) return NonFinite(value);

    // Pass 1: the layout of the digit marks.
    int intMarks = 0, intMin = 0, fracMarks = 0, fracMin = 0;
    bool seenPoint = false, seenZero = false, thousands = false;
    std::size_t firstMark = std::string_view::npos;
    char quote = 0;
    for (std::size_t k = 0; k < p.size(); ++k) {
        char c = p[k];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '0' || c == '#') {
            if (firstMark == std::string_view::npos) firstMark = k;
            if (seenPoint) {
                ++fracMarks;
                if (c == '0') fracMin = fracMarks;
            } else {
                ++intMarks;
                if (c == '0') seenZero = true;
                if (seenZero) ++intMin;
            }
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (c == ',' && !seenPoint && firstMark != std::string_view::npos) {
            thousands = true;
        }
    }

    Decimal d = ToDecimal(value);
    RoundDecimals(d, fracMarks);
    std::string ip = IntegerDigits(d);
    if (static_cast<int>(ip.size()) < intMin) ip.insert(0, static_cast<std::size_t>(intMin) - ip.size(), '0');
    std::string fp = FractionDigits(d, fracMarks);
    while (static_cast<int>(fp.size()) > fracMin && fp.back() == '0') fp.pop_back();
    bool negative = d.neg && !d.digits.empty();
    if (thousands) GroupThousands(ip);

    // Pass 2: copy the pattern, putting digits at the marks. Integer digits
    // are right-aligned on the integer marks; surplus ones go at the first.
    std::string out;
    int ipLen = static_cast<int>(ip.size());
    int intSlot = 0;
    int fracSlot = 0;
    bool inFraction = false, signDone = false;
    auto sign = [&] {
        if (negative && !signDone) out.push_back('-');
        signDone = true;
    };
    quote = 0;
    for (std::size_t k = 0; k < p.size(); ++k) {
        char c = p[k];
        if (quote) {
            if (c == quote) quote = 0;
            else out.push_back(c);
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if ((c == '0' || c == '#') && !inFraction) {
            int from = intSlot == 0 ? 0 : std::max(0, ipLen - (intMarks - intSlot));
            int to = ipLen - (intMarks - intSlot - 1);
            if (to > from) {
                sign();
                out.append(ip, static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
            }
            ++intSlot;
        } else if ((c == '0' || c == '#') && inFraction) {
            if (fracSlot < static_cast<int>(fp.size())) out.push_back(fp[static_cast<std::size_t>(fracSlot)]);
            ++fracSlot;
        } else if (c == '.' && !inFraction && seenPoint) {
            inFraction = true;
            if (!fp.empty()) {
                sign();  // "#.00" of -0.5 still needs its sign
                out.push_back('.');
            }
        } else if (c == ',' && thousands && !inFraction) {
            // Grouping is already in the digits.
        } else {
            out.push_back(c);
        }
    }
    // A pattern without any digit marks still shows the number.
    if (firstMark == std::string_view::npos && !seenPoint) {
        sign();
        out += ip.empty() ? "0" : ip;
    }
    return out;
}

// ---- fixed and general ------------------------------------------------------

std::string FloatToStrFixed(double value, int precision, int decimals) {
    if (!std::isfinite(value)) return NonFinite(value);
    precision = std::clamp(precision, 1, kSignificant);
    decimals = std::clamp(decimals, 0, 18);
    Decimal d = ToDecimal(value);
    // One rounding, at whichever comes first: the precision or the decimals.
    RoundDigits(d, std::min(std::max(precision, d.exp10), d.exp10 + decimals));
    return FixedFromDecimal(d, decimals, false);
}

std::string PrintableText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || (u >= 0x7F && u < 0xA0)) c = '?';
    }
    return out;
}

std::string Latin1ToUtf8(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size());
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void AppendPrintableUtf8(std::string& out, std::string_view text) {
    const auto plain = [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return c >= 0x20 && c < 0x7F;
    };
    // Eight bytes at a time while all are plain: none below 0x20, none above 0x7E.
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const auto plainWord = [&](std::size_t at) {
        uint64_t w;
        std::memcpy(&w, text.data() + at, sizeof w);
        const uint64_t low = (w - 0x20 * kOnes) & ~w;
        const uint64_t high = (w + kOnes) | w;
        return ((low | high) & kHighs) == 0;
    };
    for (std::size_t i = 0; i < text.size();) {
        std::size_t j = i;
        while (j + 8 <= text.size() && plainWord(j)) j += 8;
        while (j < text.size() && plain(text[j])) ++j;
        out.append(text.data() + i, j - i);  // report lines are mostly plain ASCII
        if (j == text.size()) break;
        const auto c = static_cast<unsigned char>(text[j]);
        if (c < 0xA0) {
            out += '?';
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        i = j + 1;
    }
}

std::string FormatGeneral(double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ToDecimal(value);
    if (d.digits.empty()) return "0";
    std::string out = d.neg ? "-" : "";
    if (d.exp10 < -4 || d.exp10 > kSignificant) {
        out.push_back(d.digits[0]);
        if (d.digits.size() > 1) {
            out.push_back('.');
            out.append(d.digits, 1);
        }
        out.push_back('E');
        out += std::to_string(d.exp10 - 1);
        return out;
    }
    std::string ip = IntegerDigits(d);
    out += ip.empty() ? "0" : ip;
    int fracLen = static_cast<int>(d.digits.size()) - d.exp10;
    if (fracLen > 0) {
        out.push_back('.');
        out += FractionDigits(d, fracLen);
    }
    return out;
}

// ---- calendar -------------------------------------------------------------

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date, by 400-year eras.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t mp = (m + 9) % 12;  // March = 0
    int64_t doy = (153 * mp + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kUnixToDayNumber = 25569;  // 1899-12-30 is 25569 days before 1970-01-01

}  // namespace

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 0;
    return kDays[m - 1] + (m == 2 && IsLeapYear(y));
}

double EncodeDayNumber(int year, int month, int day, int hour, int minute, int second, int msec) {
    // Months outside 1..12 carry into the year.
    int64_t mz = static_cast<int64_t>(month) - 1;
    int64_t y = year + (mz >= 0 ? mz / 12 : (mz - 11) / 12);
    int m = static_cast<int>(mz - (y - year) * 12) + 1;
    int64_t days = DaysFromCivil(y, m, 1) + (day - 1) + kUnixToDayNumber;
    int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

bool TryEncodeDayNumber(int year, int month, int day, int hour, int minute, int second, int msec,
                        double* dayNumber) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    *dayNumber = EncodeDayNumber(year, month, day, hour, minute, second, msec);
    return true;
}

bool DecodeDayNumber(double dn, TDateParts* parts) {
    if (!std::isfinite(dn) || dn < kMinDayNumber || dn >= kMaxDayNumber) return false;
    double whole = std::floor(dn);
    int64_t ms = std::llround((dn - whole) * static_cast<double>(kMsPerDay));
    int64_t days = static_cast<int64_t>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        ++days;
    }
    TDateParts t;
    CivilFromDays(days - kUnixToDayNumber, t.year, t.month, t.day);
    if (t.year > 9999) return false;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.msec = static_cast<int>(ms % 1000);
    // Day number 0 was a Saturday.
    t.dayOfWeek = static_cast<int>(((days + 6) % 7 + 7) % 7);
    *parts = t;
    return true;
}

std::string_view ShortMonthName(int month) {
    return month >= 1 && month <= 12 ? kMonthShort[month - 1] : std::string_view();
}

// ---- date patterns ---------------------------------------------------------

std::string FormatDateTime(std::string_view p, double dayNumber) {
    TDateParts t;
    if (!DecodeDayNumber(dayNumber, &t)) return {};
    auto two = [](int v) {
        std::string s = std::to_string(v);
        if (s.size() < 2) s.insert(s.begin(), '0');
        return s;
    };
    std::string out;
    bool afterHour = false;
    std::size_t k = 0;
    while (k < p.size()) {
        char c = p[k];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            std::size_t end = p.find(c, k + 1);
            if (end == std::string_view::npos) end = p.size();
            out.append(p.substr(k + 1, end - k - 1));
            k = end + 1;
            continue;
        }
        if (lc != 'y' && lc != 'm' && lc != 'd' && lc != 'h' && lc != 'n' && lc != 's' && lc != 'z') {
            out.push_back(c);
            ++k;
            continue;
        }
        std::size_t run = 1;
        while (k + run < p.size() && std::tolower(static_cast<unsigned char>(p[k + run])) == lc) ++run;
        k += run;
        switch (lc) {
            case 'y': {
                std::string y = std::to_string(t.year);
                if (run <= 2) out += two(t.year % 100);
                else out += std::string(y.size() < 4 ? 4 - y.size() : 0, '0') + y;
                break;
            }
            case 'm':
                if (afterHour && run <= 2) out += run == 1 ? std::to_string(t.minute) : two(t.minute);
                else if (run == 1) out += std::to_string(t.month);
                else if (run == 2) out += two(t.month);
                else if (run == 3) out += kMonthShort[t.month - 1];
                else out += kMonthLong[t.month - 1];
                break;
            case 'd':
                if (run == 1) out += std::to_string(t.day);
                else if (run == 2) out += two(t.day);
                else if (run == 3) out += kDayShort[t.dayOfWeek];
                else out += kDayLong[t.dayOfWeek];
                break;
            case 'h': out += run == 1 ? std::to_string(t.hour) : two(t.hour); break;
            case 'n': out += run == 1 ? std::to_string(t.minute) : two(t.minute); break;
            case 's': out += run == 1 ? std::to_string(t.second) : two(t.second); break;
            case 'z': {
                std::string z = std::to_string(t.msec);
                if (run >= 3) z.insert(0, 3 - z.size(), '0');
                out += z;
                break;
            }
        }
        afterHour = lc == 'h';
    }
    return out;
}
