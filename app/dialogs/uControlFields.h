// What the radio and rotator windows share: their settings files of
// "key=value" lines, the satellite box, the device's model and address
// fields, and the pass countdown.
#pragma once
#include <QString>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "uHamlib.h"

class QComboBox;
class QLineEdit;
class QSpinBox;

inline QString QText(const std::string& s) { return QString::fromStdString(s); }

// The text of a file, "" when it is missing or larger than maxBytes.
std::string ReadControlFile(const std::string& path, std::size_t maxBytes);

// Each "key=value" line of text, key and value trimmed; blank lines, "#"
// comments and lines without "=" are passed over.
void ForEachSetting(const std::string& text, const std::function<void(const std::string& key, const std::string& value)>& f);
// Appends "key=value\n".
void PutSetting(std::string& text, const std::string& key, const std::string& value);

// Fills box with sats as "NAME (NUMBER)", on first, or past the end on the
// one numbered stored (the first when none is).
void FillSatelliteBox(QComboBox* box, const std::vector<TSatRec>& sats, std::size_t first, const std::string& stored);
// Chooses the satellite numbered catNo, when it is in the box.
void ChooseSatellite(QComboBox* box, const std::vector<TSatRec>& sats, const std::string& catNo);

// A device's hamlib model and address fields.
struct TDeviceFields {
    QSpinBox* model = nullptr;
    QLineEdit* address = nullptr;
    void Show(const TDeviceAddress& device) const;
    TDeviceAddress Device() const;
};

// The time to the pass from aos to los (day numbers; los not after aos:
// none found): "AOS in HH:MM:SS" before it, "In pass, LOS in HH:MM:SS"
// during it, else "No pass within a day".
std::string PassCountdown(double now, double aos, double los);
