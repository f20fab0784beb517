#include "uDisplaySettings.h"

#include <cctype>

#include "uText.h"

namespace {
bool ReadFlag(std::string_view value, bool& out) {
    if (value == "1" || value == "true" || value == "yes") return out = true, true;
    if (value == "0" || value == "false" || value == "no") return out = false, true;
    return false;
}
bool Base64Text(std::string_view value) {
    if (value.size() > kMaxLayoutText) return false;
    for (char c : value)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=')) return false;
    return true;
}
}  // namespace

TDisplaySettings ReadDisplaySettings(std::string_view text, std::vector<std::string>* notes) {
    TDisplaySettings s;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = TrimText(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        const std::string_view name = TrimText(line.substr(0, eq));
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : TrimText(line.substr(eq + 1));
        std::string* layout = name == "window_geometry" ? &s.windowGeometry
                              : name == "window_state"  ? &s.windowState
                                                        : nullptr;
        if (layout) {
            if (Base64Text(value)) {
                *layout = std::string(value);
                continue;
            }
            if (notes)
                notes->push_back(std::string(kDisplaySettingsFile) + " line " + std::to_string(number) +
                                 ": the window layout is not base64 text, left out");
            continue;
        }
        bool* flag = name == "night_palette" ? &s.nightPalette : name == "polar_plot" ? &s.polarPlot : nullptr;
        if (flag && ReadFlag(value, *flag)) continue;
        if (notes)
            notes->push_back(std::string(kDisplaySettingsFile) + " line " + std::to_string(number) + ": " +
                             (flag ? "expected 0 or 1 after '='" : "not a setting of this program") +
                             ", left out");
    }
    return s;
}

std::string DisplaySettingsText(const TDisplaySettings& s) {
    std::string text = std::string("night_palette=") + (s.nightPalette ? "1" : "0") + "\npolar_plot=" +
                       (s.polarPlot ? "1" : "0") + "\n";
    if (!s.windowGeometry.empty()) text += "window_geometry=" + s.windowGeometry + "\n";
    if (!s.windowState.empty()) text += "window_state=" + s.windowState + "\n";
    return text;
}
