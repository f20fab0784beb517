// The horizon mask editor of the location window: the observer's mask as a
// table of points (azimuth, altitude in degrees) and a floor, rows added
// and removed, a horizon list or CSV imported, the mask exported, and Save,
// which writes the observer's mask file atomically (an empty mask removes
// it: no file is no mask).
#pragma once
#include <QDialog>

#include <memory>
#include <string>

#include "uHorizonMask.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTableWidget;
namespace Ui {
class TfrHorizonWnd;
}

class TfrHorizonWnd : public QDialog {
    Q_OBJECT
public:
    // The mask of observerName in dataFolder; an unreadable file is told
    // and the table starts empty (the file is left alone until Save).
    TfrHorizonWnd(const std::string& dataFolder, const std::string& observerName, QWidget* parent = nullptr);
    ~TfrHorizonWnd() override;

    // The table and floor as a mask; false with the reason (naming the row)
    // when a cell is not a number in range.
    bool ReadMask(THorizonMask& mask, std::string& why) const;
    void ShowMask(const THorizonMask& mask);
    // Import and export without their file dialogs; false after telling why.
    bool ImportFile(const std::string& path);
    bool ExportFile(const std::string& path);
    // Save: true when written (or removed for an empty mask).
    bool SaveMask();
    const std::string& path() const { return Path; }
    bool saved() const { return Saved; }

    // The widgets of frHorizon.ui that callers and tests reach.
    QTableWidget* tbl_points = nullptr;
    QDoubleSpinBox* nm_floor = nullptr;
    QComboBox* cb_format = nullptr;
    QPushButton *bn_add = nullptr, *bn_remove = nullptr, *bn_import = nullptr, *bn_export = nullptr,
                *bn_save = nullptr, *bn_close = nullptr;
    QLabel* lb_status = nullptr;

private:
    void BuildUi();
    THorizonFormat ImportFormat(const std::string& path) const;
    void Tell(const std::string& text);
    bool Refuse(const std::string& text);  // told in the window and a box; false

    std::string DataFolder;
    std::string Path;
    bool Saved = false;
    std::unique_ptr<Ui::TfrHorizonWnd> Form;
};
