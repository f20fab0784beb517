#include "uControlFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "uFileIO.h"
#include "uText.h"
#include "uUnits.h"

std::string ReadControlFile(const std::string& path, std::size_t maxBytes) {
    std::string text;
    if (!ReadFileBytes(path, maxBytes, text)) text.clear();
    return text;
}

void ForEachSetting(const std::string& text, const std::function<void(const std::string&, const std::string&)>& f) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = TrimText(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string_view::npos) continue;
        f(std::string(TrimText(line.substr(0, eq))), std::string(TrimText(line.substr(eq + 1))));
    }
}

void PutSetting(std::string& text, const std::string& key, const std::string& value) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
}

void FillSatelliteBox(QComboBox* box, const std::vector<TSatRec>& sats, std::size_t first, const std::string& stored) {
    for (const TSatRec& s : sats) box->addItem(QText(std::string(TrimText(s.name.view())) + " (" + s.catNo.str() + ")"));
    std::size_t start = std::min(first, sats.empty() ? 0 : sats.size() - 1);
    for (std::size_t i = 0; i < sats.size() && first >= sats.size(); ++i)
        if (sats[i].catNo.str() == stored) start = i;
    box->setCurrentIndex(static_cast<int>(start));
}

void ChooseSatellite(QComboBox* box, const std::vector<TSatRec>& sats, const std::string& catNo) {
    for (std::size_t i = 0; i < sats.size(); ++i)
        if (sats[i].catNo.str() == catNo) box->setCurrentIndex(static_cast<int>(i));
}

void TDeviceFields::Show(const TDeviceAddress& device) const {
    model->setValue(device.model);
    address->setText(QText(device.port));
}

TDeviceAddress TDeviceFields::Device() const { return {model->value(), address->text().trimmed().toStdString(), 0}; }

std::string PassCountdown(double now, double aos, double los) {
    auto clock = [](double days) {
        const long s = std::lround(std::max(0.0, days) * kSecondsPerDay);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
        return std::string(buf);
    };
    if (!(los > aos) || !(los > now)) return "No pass within a day";
    if (aos > now) return "AOS in " + clock(aos - now);
    return "In pass, LOS in " + clock(los - now);
}
