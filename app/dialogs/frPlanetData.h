// The Sun, Moon and planet data window: rise, transit and set of the Sun
// (four horizons) or the Moon (with its lit percentage) for a run of days,
// and the positions of the Sun, the Moon and the planets at one moment, as
// text that can be saved or printed.
//
// Use: construct on the clock, the observer and the options, open() or
// exec(). Tables are made by "Sun", "Moon", "Planets" and a horizon choice,
// never by moving the date, the time or the number of days alone.
#pragma once
#include <QDialog>

#include <memory>
#include <string>

#include "uReport.h"
#include "uVarDef.h"

namespace Ui {
class TfrDataWnd;
}

class TfrDataWnd : public QDialog {
    Q_OBJECT
public:
    // clock: UTC day number; saveFolder: where "Save" proposes its file.
    TfrDataWnd(double clock, const TObserver& observer, const TOptions& options, const std::string& saveFolder,
               QWidget* parent = nullptr);
    ~TfrDataWnd() override;

    const TReportLines& lines() const { return Lines; }

private:
    void BuildUi();
    double PickerTime() const;  // as shown
    void SetPickerTime(double shown);
    void stxt_timeClick();
    void BuildRiseSetTable(int32_t body, const std::string& title, double horizon);
    void BuildPlanetTable();
    void ShowLines(TReportLines lines);
    void bn_sunClick();
    void bn_saveClick();
    void bn_printClick();

    TObserver Observer;
    TOptions Options;
    std::string SaveFolder;
    bool UtcMode = true;
    double Horizon = 0.0;  // of the next Sun table, rad
    TReportLines Lines;
    std::unique_ptr<Ui::TfrDataWnd> Form;  // the widgets of frPlanetData.ui
};
