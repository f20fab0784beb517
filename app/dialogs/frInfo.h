// The satellite information window: the element set of the main window's
// first satellite as text.
#pragma once
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "SatTypes.h"

class QPlainTextEdit;

namespace Ui {
class TfrInfoWnd;
}

// The lines of the window's text box (8-bit text). Distances are shown as
// km x distanceFactor, with "km" when metric, else "mi.".
std::vector<std::string> SatelliteInfoLines(const TSatRec& sat, bool metric, double distanceFactor);

class TfrInfoWnd : public QDialog {
    Q_OBJECT
public:
    TfrInfoWnd(const TSatRec& sat, bool metric, double distanceFactor, QWidget* parent = nullptr);
    ~TfrInfoWnd() override;

private:
    std::unique_ptr<Ui::TfrInfoWnd> Form;  // the widgets of frInfo.ui
    QPlainTextEdit* InfoMemo = nullptr;
};
