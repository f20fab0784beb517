#include "uAlertRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "uFileIO.h"
#include "uFormat.h"
#include "uText.h"

namespace {
constexpr std::size_t kMaxRulesFileBytes = 1 << 20;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool ParseYesNo(std::string_view text, bool& value) {
    const std::string v = Lower(text);
    if (v == "yes" || v == "true" || v == "1") return value = true, true;
    if (v == "no" || v == "false" || v == "0") return value = false, true;
    return false;
}

bool NumberIn(std::string_view text, double lo, double hi, double& value) {
    double v = 0.0;
    if (!ParseNumber(text, v) || v < lo || v > hi) return false;
    value = v;
    return true;
}

bool IntegerIn(std::string_view text, int lo, int hi, int& value) {
    int32_t v = 0;
    if (!ParseInteger(text, v) || v < lo || v > hi) return false;
    value = v;
    return true;
}

// Catalogue numbers: digits, or Alpha-5 (a letter and four digits).
bool IsCatalogueWord(const std::string& w) {
    if (w.empty() || w.size() > 9) return false;
    const bool alpha5 = w.size() == 5 && std::isupper(static_cast<unsigned char>(w[0]));
    for (std::size_t i = alpha5 ? 1 : 0; i < w.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(w[i]))) return false;
    return true;
}

std::string Words(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) {
        if (!s.empty()) s += ' ';
        s += w;
    }
    return s;
}
}  // namespace

TStatus SplitCommandLine(const std::string& text, std::vector<std::string>& words) {
    std::vector<std::string> out;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            word += text[++i];
            inWord = true;
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) out.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) return TStatus::Failure(TStatusKind::invalid, "a quote is not closed");
    if (inWord) out.push_back(word);
    words = std::move(out);
    return TStatus::Success();
}

std::string JoinCommandLine(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) {
        if (!s.empty()) s += ' ';
        const bool plain = !w.empty() && w.find_first_of(" \t\"\\") == std::string::npos;
        if (plain) {
            s += w;
            continue;
        }
        s += '"';
        for (char c : w) {
            if (c == '"' || c == '\\') s += '\\';
            s += c;
        }
        s += '"';
    }
    return s;
}

std::string LeadsText(const std::vector<int>& leads) {
    std::string s;
    for (int m : leads) {
        if (!s.empty()) s += ' ';
        s += std::to_string(m);
    }
    return s;
}

bool ParseLeads(const std::string& text, std::vector<int>& leads) {
    std::vector<std::string> words;
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    if (!SplitCommandLine(spaced, words) || words.size() > static_cast<std::size_t>(kMaxLeads)) return false;
    std::vector<int> out;
    for (const std::string& w : words) {
        int m = 0;
        if (!IntegerIn(w, 0, kMaxLeadMinutes, m)) return false;
        if (std::find(out.begin(), out.end(), m) == out.end()) out.push_back(m);
    }
    // Longest lead first: the order they fire in.
    std::sort(out.begin(), out.end(), std::greater<int>());
    leads = std::move(out);
    return true;
}

std::string AlertSatellitesText(const TAlertRule& rule) {
    switch (rule.satellites) {
        case TAlertSatellites::kTracked: return "tracked";
        case TAlertSatellites::kList: return Words(rule.numbers);
        case TAlertSatellites::kFile: return "file " + rule.file;
    }
    return {};
}

TAlertRulesRead ParseAlertRules(const std::string& text) {
    TAlertRulesRead read;
    TAlertRule rule;
    bool inRule = false, ruleBad = false;
    std::size_t ruleLine = 0;
    auto finish = [&] {
        if (inRule && !ruleBad) read.rules.push_back(rule);
        if (inRule && ruleBad)
            read.problems.push_back("line " + std::to_string(ruleLine) + ": rule '" + rule.name +
                                    "' left out for the problems above");
    };
    std::size_t lineNo = 0, start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = TrimText(std::string_view(text).substr(start, end - start));
        start = end + 1;
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        auto problem = [&](const std::string& what) {
            read.problems.push_back("line " + std::to_string(lineNo) + ": " + what);
        };
        if (Lower(line) == "[rule]") {
            finish();
            rule = TAlertRule{};
            inRule = true;
            ruleBad = false;
            ruleLine = lineNo;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            problem("not a \"key = value\" line");
            continue;
        }
        if (!inRule) {
            problem("outside a [rule] section");
            continue;
        }
        const std::string key = Lower(TrimText(line.substr(0, eq)));
        const std::string value(TrimText(line.substr(eq + 1)));
        auto bad = [&](const std::string& what) {
            problem(key + ": " + what);
            ruleBad = true;
        };
        if (key == "name") {
            rule.name = value;
        } else if (key == "enabled") {
            if (!ParseYesNo(value, rule.enabled)) bad("yes or no, not '" + value + "'");
        } else if (key == "satellites") {
            std::vector<std::string> words;
            if (!SplitCommandLine(value, words) || words.empty()) {
                bad("tracked, list NUMBER..., or file NAME");
            } else if (Lower(words[0]) == "tracked" && words.size() == 1) {
                rule.satellites = TAlertSatellites::kTracked;
            } else if (Lower(words[0]) == "list" && words.size() > 1) {
                rule.satellites = TAlertSatellites::kList;
                rule.numbers.assign(words.begin() + 1, words.end());
                for (const std::string& w : rule.numbers)
                    if (!IsCatalogueWord(w)) bad("'" + w + "' is not a catalogue number");
            } else if (Lower(words[0]) == "file" && words.size() == 2) {
                rule.satellites = TAlertSatellites::kFile;
                rule.file = words[1];
            } else {
                bad("tracked, list NUMBER..., or file NAME, not '" + value + "'");
            }
        } else if (key == "min-elevation") {
            if (!NumberIn(value, 0.0, 45.0, rule.minElevation)) bad("a number from 0 to 45");
        } else if (key == "min-max-elevation") {
            if (!NumberIn(value, 0.0, 90.0, rule.minMaxElevation)) bad("a number from 0 to 90");
        } else if (key == "brighter-than") {
            if (value.empty() || Lower(value) == "any") {
                rule.haveMagnitude = false;
            } else if (NumberIn(value, -10.0, 15.0, rule.brighterThan)) {
                rule.haveMagnitude = true;
            } else {
                bad("a magnitude from -10 to 15, or any");
            }
        } else if (key == "visible-only") {
            if (!ParseYesNo(value, rule.visibleOnly)) bad("yes or no, not '" + value + "'");
        } else if (key == "sun-altitude") {
            if (!NumberIn(value, -18.0, 0.0, rule.sunAltitude)) bad("a number from -18 to 0");
        } else if (key == "leads") {
            if (!ParseLeads(value, rule.leadMinutes))
                bad("up to " + std::to_string(kMaxLeads) + " whole minutes from 0 to " +
                    std::to_string(kMaxLeadMinutes));
        } else if (key == "aos-program" || key == "los-program") {
            std::vector<std::string>& program = key == "aos-program" ? rule.aosProgram : rule.losProgram;
            if (const TStatus split = SplitCommandLine(value, program); !split) bad(split.message);
        } else if (key == "action-lead") {
            if (Lower(value) == "none" || value.empty())
                rule.actionLeadMinutes = -1;
            else if (!IntegerIn(value, 0, kMaxLeadMinutes, rule.actionLeadMinutes))
                bad("whole minutes from 0 to " + std::to_string(kMaxLeadMinutes) + ", or none");
        } else if (key == "action-timeout") {
            if (!IntegerIn(value, 1, kMaxActionTimeout, rule.actionTimeoutSeconds))
                bad("whole seconds from 1 to " + std::to_string(kMaxActionTimeout));
        } else {
            problem("unknown key '" + key + "'");
        }
    }
    finish();
    return read;
}

TAlertRulesRead ReadAlertRules(const std::string& path) {
    if (FileProblem(path) == "not found") return {};
    std::string text;
    bool truncated = false;
    if (!ReadFileBytes(path, kMaxRulesFileBytes, text, &truncated)) {
        TAlertRulesRead read;
        read.readable = false;
        read.problems.push_back(FileProblemText(path));
        return read;
    }
    TAlertRulesRead read = ParseAlertRules(text);
    if (truncated) {
        // A rule cut off in the middle is not used half.
        read.readable = false;
        read.problems.push_back("File: " + path + " is longer than " + std::to_string(kMaxRulesFileBytes >> 20) +
                                " MB; only its start was read");
    }
    return read;
}

std::string AlertRulesText(const std::vector<TAlertRule>& rules) {
    std::string s = "# Pass alert rules, one [rule] section each.\n";
    for (const TAlertRule& r : rules) {
        s += "\n[rule]\n";
        // A name is one line: line breaks would start another key.
        std::string name = r.name;
        std::replace_if(name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        s += "name = " + name + "\n";
        s += std::string("enabled = ") + (r.enabled ? "yes" : "no") + "\n";
        switch (r.satellites) {
            case TAlertSatellites::kTracked: s += "satellites = tracked\n"; break;
            case TAlertSatellites::kList: s += "satellites = list " + JoinCommandLine(r.numbers) + "\n"; break;
            case TAlertSatellites::kFile: s += "satellites = file " + JoinCommandLine({r.file}) + "\n"; break;
        }
        s += "min-elevation = " + FormatGeneral(r.minElevation) + "\n";
        s += "min-max-elevation = " + FormatGeneral(r.minMaxElevation) + "\n";
        s += "brighter-than = " + (r.haveMagnitude ? FormatGeneral(r.brighterThan) : std::string("any")) + "\n";
        s += std::string("visible-only = ") + (r.visibleOnly ? "yes" : "no") + "\n";
        s += "sun-altitude = " + FormatGeneral(r.sunAltitude) + "\n";
        s += "leads = " + LeadsText(r.leadMinutes) + "\n";
        if (!r.aosProgram.empty()) s += "aos-program = " + JoinCommandLine(r.aosProgram) + "\n";
        if (!r.losProgram.empty()) s += "los-program = " + JoinCommandLine(r.losProgram) + "\n";
        s += "action-lead = " + (r.actionLeadMinutes < 0 ? std::string("none") : std::to_string(r.actionLeadMinutes)) +
             "\n";
        s += "action-timeout = " + std::to_string(r.actionTimeoutSeconds) + "\n";
    }
    return s;
}

TStatus WriteAlertRules(const std::string& path, const std::vector<TAlertRule>& rules) {
    return WriteFileAtomic(path, AlertRulesText(rules));
}
