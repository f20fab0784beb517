// The about box: version, date and the licence text of the program folder.
#pragma once
#include <QDialog>

#include <string>

class QPlainTextEdit;

inline constexpr const char* kLicenseFile = "license.txt";
inline constexpr const char* kLicenseMissing = "License.txt file not found";

class TfrAboutBox : public QDialog {
    Q_OBJECT
public:
    // A missing licence file leaves the text box empty; the caller says so
    // (kLicenseMissing) before showing the box.
    TfrAboutBox(const std::string& programFolder, QWidget* parent = nullptr);

    bool licenseLoaded() const { return Loaded; }

private:
    QPlainTextEdit* LicenseMemo = nullptr;
    bool Loaded = false;
};
