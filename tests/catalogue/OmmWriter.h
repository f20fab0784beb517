// Writes element sets as OMM CSV, JSON and XML the way the public provider
// does, taking every value from the text of the element lines. Used by the
// round-trip tests and the reader benchmark.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ommw {

inline std::string Cut(const std::string& line, std::size_t first, std::size_t last) {
    std::string s = line.substr(first - 1, last - first + 1);
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// " .00002182" -> "0.00002182", "-.0000005" -> "-0.0000005"
inline std::string PointNumber(std::string s) {
    const bool neg = !s.empty() && s[0] == '-';
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.erase(0, 1);
    if (!s.empty() && s[0] == '.') s = "0" + s;
    return (neg ? "-" : "") + s;
}

// " 12345-3" -> "0.12345E-3"
inline std::string ExponentNumber(const std::string& field) {
    std::string s = field;
    while (!s.empty() && s.front() == ' ') s.erase(0, 1);
    std::string sign;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        if (s[0] == '-') sign = "-";
        s.erase(0, 1);
    }
    const std::string mantissa = s.substr(0, s.size() - 2), exponent = s.substr(s.size() - 2);
    return sign + "0." + mantissa + "E" + (exponent[0] == '-' ? "-" : "") + exponent.substr(1);
}

inline std::string Unpadded(const std::string& digits) {
    std::size_t k = 0;
    while (k + 1 < digits.size() && digits[k] == '0') ++k;
    return digits.substr(k);
}

// Alpha-5 or digits, as the six-digit number.
inline std::string NumberOf(const std::string& field) {
    static const std::string letters = "ABCDEFGHJKLMNPQRSTUVWXYZ";
    const auto at = letters.find(field[0]);
    if (at == std::string::npos) return Unpadded(Cut(field, 1, 5));
    return std::to_string(10 + at) + field.substr(1);
}

// The keyword values of one set, in the provider's CSV column order; the
// flag says whether JSON writes the value as a number.
struct Field {
    std::string key, value;
    bool number;
};

inline std::vector<Field> Fields(const std::string& name, const std::string& l1, const std::string& l2) {
    const int yy = std::stoi(l1.substr(18, 2));
    const int year = yy < 57 ? 2000 + yy : 1900 + yy;
    const int doy = std::stoi(l1.substr(20, 3));
    const long long units = std::stoll(l1.substr(24, 8));  // 1e-8 day = 864 microseconds
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 1, day = doy;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    while (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) day -= kDays[month - 1] + (month == 2 && leap ? 1 : 0), ++month;
    const long long micro = units * 864;
    char epoch[64];
    std::snprintf(epoch, sizeof epoch, "%04d-%02d-%02dT%02d:%02d:%02d.%06d", year, month, day,
                  static_cast<int>(micro / 3600000000LL), static_cast<int>(micro / 60000000LL % 60),
                  static_cast<int>(micro / 1000000LL % 60), static_cast<int>(micro % 1000000LL));
    const std::string desig = Cut(l1, 10, 17);
    std::string id;
    if (desig.size() >= 6) {
        const int ly = std::stoi(desig.substr(0, 2));
        id = std::to_string(ly < 57 ? 2000 + ly : 1900 + ly) + "-" + desig.substr(2);
    }
    std::string elset = Cut(l1, 65, 68), rev = Cut(l2, 64, 68);
    return {{"OBJECT_NAME", name, false},
            {"OBJECT_ID", id, false},
            {"EPOCH", epoch, false},
            {"MEAN_MOTION", Cut(l2, 53, 63), true},
            {"ECCENTRICITY", "0." + l2.substr(26, 7), true},
            {"INCLINATION", Cut(l2, 9, 16), true},
            {"RA_OF_ASC_NODE", Cut(l2, 18, 25), true},
            {"ARG_OF_PERICENTER", Cut(l2, 35, 42), true},
            {"MEAN_ANOMALY", Cut(l2, 44, 51), true},
            {"EPHEMERIS_TYPE", l1.substr(62, 1), true},
            {"CLASSIFICATION_TYPE", l1.substr(7, 1), false},
            {"NORAD_CAT_ID", NumberOf(l1.substr(2, 5)), true},
            {"ELEMENT_SET_NO", elset.empty() ? "0" : Unpadded(elset), true},
            {"REV_AT_EPOCH", rev.empty() ? "0" : Unpadded(rev), true},
            {"BSTAR", ExponentNumber(l1.substr(53, 8)), true},
            {"MEAN_MOTION_DOT", PointNumber(Cut(l1, 34, 43)), true},
            {"MEAN_MOTION_DDOT", ExponentNumber(l1.substr(44, 8)), true}};
}

struct Set {
    std::string name, line1, line2;
};

inline std::string CsvQuoted(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

inline std::string Csv(const std::vector<Set>& sets) {
    std::string out;
    bool header = true;
    for (const Set& s : sets) {
        const auto fields = Fields(s.name, s.line1, s.line2);
        if (header) {
            for (std::size_t k = 0; k < fields.size(); ++k) {
                if (k) out += ',';
                out += fields[k].key;
            }
            out += "\r\n";
            header = false;
        }
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (k) out += ',';
            out += CsvQuoted(fields[k].value);
        }
        out += "\r\n";
    }
    return out;
}

inline std::string JsonText(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

inline std::string Json(const std::vector<Set>& sets) {
    std::string out = "[";
    for (std::size_t i = 0; i < sets.size(); ++i) {
        out += i ? ",{" : "{";
        const auto fields = Fields(sets[i].name, sets[i].line1, sets[i].line2);
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (k) out += ',';
            out += "\"" + fields[k].key + "\":";
            out += fields[k].number ? fields[k].value : JsonText(fields[k].value);
        }
        out += "}";
    }
    return out + "]";
}

inline std::string XmlText(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// CCSDS NDM: one omm per set, its keywords grouped as the standard has them.
inline std::string Xml(const std::vector<Set>& sets) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ndm>\n";
    for (const Set& s : sets) {
        const auto f = Fields(s.name, s.line1, s.line2);
        auto el = [&](std::size_t k) { return "<" + f[k].key + ">" + XmlText(f[k].value) + "</" + f[k].key + ">"; };
        out += "<omm id=\"CCSDS_OMM_VERS\" version=\"2.0\"><header><CREATION_DATE/><ORIGINATOR/></header><body><segment>";
        out += "<metadata>" + el(0) + el(1) +
               "<CENTER_NAME>EARTH</CENTER_NAME><REF_FRAME>TEME</REF_FRAME><TIME_SYSTEM>UTC</TIME_SYSTEM>"
               "<MEAN_ELEMENT_THEORY>SGP4</MEAN_ELEMENT_THEORY></metadata><data><meanElements>";
        for (std::size_t k = 2; k <= 8; ++k) out += el(k);
        out += "</meanElements><tleParameters>";
        for (std::size_t k = 9; k < f.size(); ++k) out += el(k);
        out += "</tleParameters></data></segment></body></omm>\n";
    }
    return out + "</ndm>\n";
}

}  // namespace ommw
