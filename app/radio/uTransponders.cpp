#include "uTransponders.h"

#include <simdjson.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "uText.h"

void TImportCount::Skip(std::string why) {
    ++skipped;
    if (problems.size() < kMaxProblems) problems.push_back(std::move(why));
}

namespace {
bool SameText(std::string_view a, std::string_view b) { return UpperText(TrimText(a)) == UpperText(TrimText(b)); }

// Frequencies equal to the hertz (the database stores whole hertz).
bool SameHz(double a, double b) { return std::fabs(a - b) < 0.5; }

bool SameChannel(const TTransponder& a, const TTransponder& b) {
    return a.catalogue == b.catalogue && SameHz(a.downlinkLow, b.downlinkLow) &&
           SameHz(a.downlinkHigh, b.downlinkHigh) && SameHz(a.uplinkLow, b.uplinkLow) &&
           SameHz(a.uplinkHigh, b.uplinkHigh) && SameText(a.mode, b.mode) && a.inverting == b.inverting;
}

bool Hides(const TTransponder& user, const TTransponder& imported) {
    if (user.catalogue != imported.catalogue) return false;
    if (!user.uuid.empty() && user.uuid == imported.uuid) return true;
    if (!user.description.empty() && SameText(user.description, imported.description)) return true;
    return user.HasDownlink() && SameHz(user.downlinkLow, imported.downlinkLow);
}

// Orders a band's edges and fills a missing high edge with the low one.
void Normalise(double& low, double& high) {
    if (low <= 0.0 && high > 0.0) low = high;
    if (high <= 0.0) high = low;
    if (high < low) std::swap(low, high);
}

// "CTCSS 67.0 Hz" or "tone 67" in a description: the database has no field for it.
double ToneInText(std::string_view text) {
    const std::string upper = UpperText(text);
    for (const char* word : {"CTCSS", "TONE", "PL "}) {
        const auto at = upper.find(word);
        if (at == std::string::npos) continue;
        std::size_t i = at + std::string_view(word).size();
        while (i < upper.size() && (upper[i] == ' ' || upper[i] == ':' || upper[i] == '=')) ++i;
        std::size_t j = i;
        while (j < upper.size() && (std::isdigit(static_cast<unsigned char>(upper[j])) || upper[j] == '.')) ++j;
        double v = 0.0;
        if (j > i && ParseNumber(upper.substr(i, j - i), v) && v >= 60.0 && v <= 260.0) return v;
    }
    return 0.0;
}
}  // namespace

bool TTransponderStore::AddImported(TTransponder t) {
    t.user = false;
    for (TTransponder& old : imported_) {
        if (!t.uuid.empty() && t.uuid == old.uuid) {
            // A later copy of a record: its fields win, but a tone found only in the earlier text stays.
            if (t.ctcss == 0.0) t.ctcss = old.ctcss;
            old = std::move(t);
            return true;
        }
        if (SameChannel(old, t)) {
            if (!old.alive && t.alive) {
                old.alive = true;
                if (!t.description.empty()) old.description = t.description;
            }
            if (old.ctcss == 0.0) old.ctcss = t.ctcss;
            if (old.baud == 0.0) old.baud = t.baud;
            return true;
        }
    }
    imported_.push_back(std::move(t));
    return false;
}

void TTransponderStore::AddUser(TTransponder t) {
    t.user = true;
    user_.push_back(std::move(t));
}

std::vector<TTransponder> TTransponderStore::For(int64_t catalogue) const {
    std::vector<TTransponder> out;
    for (const TTransponder& u : user_)
        if (u.catalogue == catalogue) out.push_back(u);
    const std::size_t users = out.size();
    for (const TTransponder& i : imported_) {
        if (i.catalogue != catalogue) continue;
        const bool hidden = std::any_of(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(users),
                                        [&](const TTransponder& u) { return Hides(u, i); });
        if (!hidden) out.push_back(i);
    }
    return out;
}

void TTransponderStore::Clear() {
    imported_.clear();
    user_.clear();
}

TImportCount ImportTransmitterJson(std::string_view json, TTransponderStore& store) {
    TImportCount count;
    std::string text(json);
    text.reserve(text.size() + simdjson::SIMDJSON_PADDING);
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (auto err = parser.parse(text.data(), text.size(), false).get(root); err) {
        count.Skip(std::string("not valid JSON: ") + simdjson::error_message(err));
        return count;
    }
    simdjson::dom::array array;
    if (root.get_array().get(array)) {
        count.Skip("not a JSON array of transmitters");
        return count;
    }
    std::size_t index = 0;
    for (simdjson::dom::element record : array) {
        ++index;
        const std::string where = "record " + std::to_string(index);
        simdjson::dom::object object;
        if (record.get_object().get(object)) {
            count.Skip(where + ": not an object");
            continue;
        }
        TTransponder t;
        bool bad = false;
        // A number field: absent or null leaves v; anything else but a number is a fault.
        auto number = [&](const char* key, double& v) {
            simdjson::dom::element e;
            if (object.at_key(key).get(e) || e.is_null()) return;
            if (e.is_int64()) v = static_cast<double>(e.get_int64().value_unsafe());
            else if (e.is_uint64()) v = static_cast<double>(e.get_uint64().value_unsafe());
            else if (e.is_double()) v = e.get_double().value_unsafe();
            else bad = true;
            if (!std::isfinite(v) || v < 0.0) bad = true;
        };
        auto string = [&](const char* key, std::string& v) {
            simdjson::dom::element e;
            if (object.at_key(key).get(e) || e.is_null()) return;
            std::string_view s;
            if (e.get_string().get(s)) bad = true;
            else v = std::string(s);
        };
        auto boolean = [&](const char* key, bool& v) {
            simdjson::dom::element e;
            if (object.at_key(key).get(e) || e.is_null()) return;
            if (e.get_bool().get(v)) bad = true;
        };
        double catalogue = -1.0;
        number("norad_cat_id", catalogue);
        string("uuid", t.uuid);
        string("description", t.description);
        string("mode", t.mode);
        number("uplink_low", t.uplinkLow);
        number("uplink_high", t.uplinkHigh);
        number("downlink_low", t.downlinkLow);
        number("downlink_high", t.downlinkHigh);
        number("baud", t.baud);
        boolean("invert", t.inverting);
        boolean("alive", t.alive);
        std::string status;
        string("status", status);
        if (bad) {
            count.Skip(where + ": a field of the wrong type");
            continue;
        }
        if (catalogue < 1.0 || catalogue != std::floor(catalogue) || catalogue > 9.0e15) {
            count.Skip(where + ": no catalogue number");
            continue;
        }
        t.catalogue = static_cast<int64_t>(catalogue);
        Normalise(t.downlinkLow, t.downlinkHigh);
        Normalise(t.uplinkLow, t.uplinkHigh);
        if (!t.HasDownlink() && !t.HasUplink()) {
            count.Skip(where + ": no frequency");
            continue;
        }
        if (status == "inactive" || status == "invalid") t.alive = false;
        t.ctcss = ToneInText(t.description);
        if (store.AddImported(std::move(t))) ++count.merged;
        else ++count.taken;
    }
    return count;
}

namespace {
// "437.800" or "435.610-435.670" (MHz) into Hz.
bool ParseBand(std::string_view text, double& low, double& high) {
    const auto dash = text.find('-', 1);
    double a = 0.0, b = 0.0;
    if (dash == std::string_view::npos) {
        if (!ParseNumber(TrimText(text), a)) return false;
        b = a;
    } else if (!ParseNumber(TrimText(text.substr(0, dash)), a) || !ParseNumber(TrimText(text.substr(dash + 1)), b)) {
        return false;
    }
    if (!(a > 0.0) || !(b > 0.0) || a > 1.0e6 || b > 1.0e6) return false;
    low = std::min(a, b) * 1.0e6;
    high = std::max(a, b) * 1.0e6;
    // Whole hertz: MHz texts do not round-trip through binary exactly.
    low = std::round(low);
    high = std::round(high);
    return true;
}

std::string Mhz(double hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", hz / 1.0e6);
    std::string s(buf);
    while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
    return s;
}

std::string Band(double low, double high) { return high > low ? Mhz(low) + "-" + Mhz(high) : Mhz(low); }
}  // namespace

TImportCount ReadTransponderFile(std::string_view text, TTransponderStore& store, bool user) {
    TImportCount count;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNo;
        line = TrimText(line);
        if (line.empty() || line.front() == '#') continue;
        const std::string where = "line " + std::to_string(lineNo);
        std::vector<std::string_view> fields;
        for (std::size_t from = 0;;) {
            const auto semi = line.find(';', from);
            fields.push_back(TrimText(line.substr(from, semi == std::string_view::npos ? semi : semi - from)));
            if (semi == std::string_view::npos) break;
            from = semi + 1;
        }
        TTransponder t;
        int64_t catalogue = -1;
        if (fields.size() < 3 || !ParseInteger(fields[0], catalogue) || catalogue < 1) {
            count.Skip(where + ": needs CATALOGUE; DESCRIPTION; and a frequency");
            continue;
        }
        t.catalogue = catalogue;
        t.description = std::string(fields[1]);
        std::string fault;
        for (std::size_t i = 2; i < fields.size() && fault.empty(); ++i) {
            const std::string_view f = fields[i];
            if (f.empty()) continue;
            const auto eq = f.find('=');
            const std::string key = UpperText(TrimText(f.substr(0, eq)));
            const std::string_view value = eq == std::string_view::npos ? std::string_view() : TrimText(f.substr(eq + 1));
            double v = 0.0;
            if (key == "DOWN") {
                if (!ParseBand(value, t.downlinkLow, t.downlinkHigh)) fault = "bad down=";
            } else if (key == "UP") {
                if (!ParseBand(value, t.uplinkLow, t.uplinkHigh)) fault = "bad up=";
            } else if (key == "MODE") {
                if (value.empty()) fault = "empty mode=";
                t.mode = UpperText(value);
            } else if (key == "CTCSS") {
                if (!ParseNumber(value, v) || v < 60.0 || v > 260.0) fault = "ctcss= must be 60 to 260 Hz";
                t.ctcss = v;
            } else if (key == "BAUD") {
                if (!ParseNumber(value, v) || v < 0.0) fault = "bad baud=";
                t.baud = v;
            } else if (key == "INVERT" && eq == std::string_view::npos) {
                t.inverting = true;
            } else if (key == "DEAD" && eq == std::string_view::npos) {
                t.alive = false;
            } else {
                fault = "unknown field '" + std::string(f) + "'";
            }
        }
        if (fault.empty() && !t.HasDownlink() && !t.HasUplink()) fault = "needs down= or up=";
        if (!fault.empty()) {
            count.Skip(where + ": " + fault);
            continue;
        }
        if (user) {
            store.AddUser(std::move(t));
            ++count.taken;
        } else if (store.AddImported(std::move(t))) {
            ++count.merged;
        } else {
            ++count.taken;
        }
    }
    return count;
}

std::string TransponderLine(const TTransponder& t) {
    std::string s = std::to_string(t.catalogue) + "; " + t.description;
    if (t.HasDownlink()) s += "; down=" + Band(t.downlinkLow, t.downlinkHigh);
    if (t.HasUplink()) s += "; up=" + Band(t.uplinkLow, t.uplinkHigh);
    if (!t.mode.empty()) s += "; mode=" + t.mode;
    if (t.ctcss > 0.0) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", t.ctcss);
        s += std::string("; ctcss=") + buf;
    }
    if (t.baud > 0.0) s += "; baud=" + Mhz(t.baud * 1.0e6);
    if (t.inverting) s += "; invert";
    if (!t.alive) s += "; dead";
    return s;
}
