// The about box: version, date and the licence text of the program folder.
#pragma once
#include <QDialog>

#include <memory>
#include <string>

class QPlainTextEdit;

namespace Ui {
class TfrAboutBox;
}

inline constexpr const char* kLicenseFile = "license.txt";
inline constexpr const char* kLicenseMissing = "License.txt file not found";

class TfrAboutBox : public QDialog {
    Q_OBJECT
public:
    // A missing licence file leaves the text box empty; the caller says so
    // (kLicenseMissing) before showing the box.
    TfrAboutBox(const std::string& programFolder, QWidget* parent = nullptr);
    ~TfrAboutBox() override;

    bool licenseLoaded() const { return Loaded; }

private:
    std::unique_ptr<Ui::TfrAboutBox> Form;  // the widgets of frAbout.ui
    QPlainTextEdit* LicenseMemo = nullptr;
    bool Loaded = false;
};
