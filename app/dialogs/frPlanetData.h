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

#include <string>

#include "uReport.h"
#include "uVarDef.h"

class QComboBox;
class QDateEdit;
class QDateTimeEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class TClickLabel;

class TfrDataWnd : public QDialog {
    Q_OBJECT
public:
    // clock: UTC day number; saveFolder: where "Save" proposes its file.
    TfrDataWnd(double clock, const TObserver& observer, const TOptions& options, const std::string& saveFolder,
               QWidget* parent = nullptr);

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

    QDateEdit* dt_data_date = nullptr;
    QDateTimeEdit* dt_data_hour = nullptr;
    TClickLabel* stxt_time = nullptr;
    QSpinBox* nm_days = nullptr;
    QComboBox* cb_sun = nullptr;
    QPushButton *bn_sun = nullptr, *bn_moon = nullptr, *bn_planets = nullptr, *bn_save = nullptr,
                *bn_print = nullptr, *bn_close = nullptr;
    QPlainTextEdit* PlanetMemo = nullptr;

    TObserver Observer;
    TOptions Options;
    std::string SaveFolder;
    bool UtcMode = true;
    double Horizon = 0.0;  // of the next Sun table, rad
    TReportLines Lines;
};
