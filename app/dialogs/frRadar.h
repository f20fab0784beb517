// The radar window: the passes found by a search, one at a time on the
// all-sky chart, with rotation, a print view, printing and saving as JPEG.
#pragma once
#include <QDialog>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "uGraphicCalc.h"
#include "uRadarChart.h"
#include "uSearchTypes.h"
#include "uWorkers.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
namespace Ui {
class TfrRadarWnd;
}

inline constexpr const char* kNoPasses = " No Prediction found, Sky Trails not available. ";

class TfrRadarWnd : public QDialog {
    Q_OBJECT
public:
    // passes: the search's pass list, grouped by satellite; observer: the
    // one they were found for; displayOffset: 0 in UTC mode, else the
    // observer's UTC offset. The star and figure files come from dataFolder.
    TfrRadarWnd(const std::vector<TPassRecord>& passes, const TObserver& observer, double displayOffset,
                const TOptions& options, const std::string& dataFolder, QWidget* parent = nullptr);
    ~TfrRadarWnd() override;

    // The horizon mask the passes were found for, drawn at the rim (null: none).
    void SetHorizon(THorizonHandle mask) {
        Horizon = std::move(mask);
        Redraw();
    }

    const QImage& chart() const { return Chart; }
    const TRadarDrawn& drawn() const { return Drawn; }
    int rotation() const { return Rotation; }

private:
    void cb_satChange();
    void cb_timesChange();
    void bn_upClick();
    void bn_dnClick();
    void bn_printClick();
    void bn_filesaveClick();
    bool Scene(TRadarScene& scene) const;
    void Redraw();
    void ShowRotation();

    std::vector<TPassRecord> AllPasses;
    std::vector<TPassRecord> Passes;  // of the chosen satellite
    TObserver Observer{};
    THorizonHandle Horizon;
    double DisplayOffset = 0.0;
    std::string DataFolder;
    std::vector<TSkyRecord> Stars, Figures;
    QFont ChartFont;
    TViewState View;
    QImage Chart;
    TRadarDrawn Drawn;
    int Rotation = kRadarStartRotation;

    // The widgets of frRadar.ui the code works with.
    QComboBox *cb_sat = nullptr, *cb_times = nullptr;
    QLabel *stxt_sat = nullptr, *stxt_aos = nullptr, *stxt_spin = nullptr, *ImgRadar = nullptr;
    QPushButton *bn_up = nullptr, *bn_dn = nullptr, *bn_filesave = nullptr, *bn_print = nullptr,
                *bn_close = nullptr;
    QCheckBox* ck_print_view = nullptr;
    std::unique_ptr<Ui::TfrRadarWnd> Form;
    TWorkers Workers;  // last: a save in progress ends before the rest goes
};
