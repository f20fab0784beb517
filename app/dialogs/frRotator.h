// The rotator control window: a tracked satellite's next pass planned for
// the antenna rotator's ranges and followed while engaged. The rotator is
// driven by the control loop's worker thread; this window only reads its
// status snapshots on its timer.
#pragma once
#include <QDialog>
#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "uGraphicCalc.h"
#include "uRadioControl.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace Ui {
class TfrRotatorWnd;
}

inline constexpr const char* kRotatorSettingsFile = "RotatorControl.txt";

// What the window keeps between runs, as "key=value" lines of its own file.
struct TRotatorWindowSettings {
    std::string satellite;  // catalogue number text
    TDeviceAddress rotator{kNetRotatorModel, "localhost:4533", 0};
    std::string azRange = "0-360";
    TRotatorSettings plan;
};
TRotatorWindowSettings ReadRotatorSettings(const std::string& text);
std::string RotatorSettingsText(const TRotatorWindowSettings& s);

class TfrRotatorWnd : public QDialog {
    Q_OBJECT
public:
    // sats: the tracked satellites; first: the one to start on (past the
    // end: the one last used). The settings live in dataFolder.
    TfrRotatorWnd(std::vector<TSatRec> sats, std::size_t first, const TObserver& observer,
                  const std::string& dataFolder, QWidget* parent = nullptr);
    ~TfrRotatorWnd() override;

    bool engaged() const { return Control && Control->Engaged(); }
    // The time the rotator follows (the computer's clock unless replaced);
    // taken at the next Engage.
    void setClock(TRadioClock clock);
    // Chooses the satellite by catalogue number, unless engaged.
    void selectSatellite(const std::string& catNo);
    const TRotatorControl* control() const { return Control.get(); }
    const TRotatorPlan& plan() const { return Plan; }
    const QImage& chart() const { return Shown; }

private:
    void bn_engageClick();
    void SettingsChanged();
    TRotatorWindowSettings FromControls(std::string& why) const;
    void SaveSettings();
    void Replan(double now);
    void DrawBase();
    void TimerTick();

    std::vector<TSatRec> Sats;
    TObserver Observer{};
    std::string DataFolder;
    TRotatorWindowSettings Settings;
    std::unique_ptr<TRotatorControl> Control;
    TRadioClock Clock = SystemRadioClock();
    TRotatorPlan Plan;
    double Aos = 0.0, Los = 0.0;  // the planned pass, day numbers; Los 0: none
    double NextPlan = 0.0;        // when to plan again
    TViewState View;
    QImage Base, Shown;           // the chart with the plan; with the live marks
    double BaseGst = 0.0;

    std::unique_ptr<Ui::TfrRotatorWnd> Form;  // the widgets of frRotator.ui
    QComboBox *cb_sat = nullptr, *cb_azrange = nullptr, *cb_elrange = nullptr;
    QSpinBox *nm_model = nullptr, *nm_preaos = nullptr;
    QLineEdit* txt_address = nullptr;
    QDoubleSpinBox *nm_floor = nullptr, *nm_flip = nullptr, *nm_threshold = nullptr, *nm_parkaz = nullptr,
                   *nm_parkel = nullptr;
    QPushButton* bn_engage = nullptr;
    QLabel *lb_stop = nullptr, *lb_plan = nullptr, *lb_pass = nullptr, *lb_commanded = nullptr, *lb_read = nullptr, *lb_state = nullptr,
           *lb_message = nullptr, *ImgRadar = nullptr;
    QTimer* Timer = nullptr;
};
