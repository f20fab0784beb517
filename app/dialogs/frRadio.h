// The radio control window: a tracked satellite, one of its transponders and
// a radio through hamlib, tuned for the Doppler shift while engaged. The
// devices are driven by the control loops' worker threads; this window only
// reads their status snapshots on its timer.
#pragma once
#include <QDialog>

#include <map>
#include <memory>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include "uRadioControl.h"
#include "uTransponders.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace Ui {
class TfrRadioWnd;
}

inline constexpr const char* kRadioSettingsFile = "RadioControl.txt";
inline constexpr const char* kBundledTransponders = "Transponders.txt";
inline constexpr const char* kUserTransponders = "UserTransponders.txt";

// What the window keeps between runs, as "key=value" lines of its own file.
struct TRadioWindowSettings {
    std::string satellite;     // catalogue number text
    std::string transponder;   // description
    TRigSettings rig;
    std::map<std::string, std::pair<double, double>> offsets;  // mode: down, up (Hz)
};
TRadioWindowSettings ReadRadioSettings(const std::string& text);
std::string RadioSettingsText(const TRadioWindowSettings& s);

class TfrRadioWnd : public QDialog {
    Q_OBJECT
public:
    // sats: the tracked satellites; first: the one to start on. Transponders
    // come from programFolder's data/Transponders.txt and dataFolder's
    // UserTransponders.txt; the settings live in dataFolder.
    TfrRadioWnd(std::vector<TSatRec> sats, std::size_t first, const TObserver& observer,
                const std::string& programFolder, const std::string& dataFolder, QWidget* parent = nullptr);
    ~TfrRadioWnd() override;

    bool engaged() const { return Control && Control->Engaged(); }
    // The time the radio follows (the computer's clock unless replaced, for
    // a replay); taken at the next Engage.
    void setClock(TRadioClock clock) { Clock = std::move(clock); SearchAt = 0.0; }
    // The control, while engaged (tests read its status).
    const TRigControl* control() const { return Control.get(); }
    // Chooses the satellite by catalogue number, unless engaged.
    void selectSatellite(const std::string& catNo);

private:
    void cb_satChange();
    void cb_transponderChange();
    void cb_rigtypeChange();
    void bn_engageClick();
    void bn_testClick();
    void nm_downlinkChange();
    void TimerTick();
    TRigSettings RigFromControls() const;
    void SaveSettings();
    void FindPass(double now);

    std::vector<TSatRec> Sats;
    TObserver Observer{};
    std::string DataFolder;
    TTransponderStore Store;
    std::vector<TTransponder> Transponders;  // of the chosen satellite
    TRadioWindowSettings Settings;
    std::unique_ptr<TRigControl> Control;
    std::unique_ptr<TTuner> Preview;  // what the radio would be tuned to, not engaged
    TRadioClock Clock = SystemRadioClock();
    double PassStart = 0.0, PassEnd = 0.0;  // the next (or current) pass, day numbers; 0: none
    double SearchAt = 0.0;                  // when to look for the pass again

    std::unique_ptr<Ui::TfrRadioWnd> Form;  // the widgets of frRadio.ui
    QComboBox *cb_sat = nullptr, *cb_transponder = nullptr, *cb_rigtype = nullptr;
    QSpinBox *nm_model = nullptr, *nm_model2 = nullptr, *nm_period = nullptr, *nm_settle = nullptr;
    QSpinBox *nm_deadband = nullptr, *nm_offsetdown = nullptr, *nm_offsetup = nullptr;
    QLineEdit *txt_address = nullptr, *txt_address2 = nullptr, *txt_downvfo = nullptr, *txt_upvfo = nullptr;
    QCheckBox* ckb_ignoredial = nullptr;
    QDoubleSpinBox* nm_downlink = nullptr;
    QPushButton *bn_engage = nullptr, *bn_test = nullptr;
    QLabel *lb_test = nullptr, *lb_downlink = nullptr, *lb_uplink = nullptr, *lb_doppler = nullptr;
    QLabel *lb_rangerate = nullptr, *lb_azel = nullptr, *lb_pass = nullptr, *lb_state = nullptr, *lb_message = nullptr;
    QTimer* Timer = nullptr;
    std::thread TestThread;  // the Test button's read; joined before the window goes
};
