#include "frRadio.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <thread>

#include "uCatNumber.h"
#include "uControlFields.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uPassSearch.h"
#include "uText.h"
#include "uUnits.h"
#include "ui_frRadio.h"

namespace {
constexpr std::size_t kMaxFileBytes = 4 << 20;
constexpr double kSearchAgain = 600.0;  // s between pass searches while none is within a day
const char* const kRigTypeTexts[] = {"Receive only", "Transmit only", "Simplex with PTT",
                                     "Full duplex (satellite mode)", "Two radios"};
const TRigType kRigTypes[] = {TRigType::kReceiveOnly, TRigType::kTransmitOnly, TRigType::kSimplexPtt,
                              TRigType::kFullDuplex, TRigType::kTwoRadios};

std::string Mhz(double hz) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f MHz", hz / 1.0e6);
    return buf;
}

std::string Signed(double v, const char* unit, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%+.*f %s", decimals, v, unit);
    return buf;
}

std::string ReadText(const std::string& path) { return ReadControlFile(path, kMaxFileBytes); }
}  // namespace

TRadioWindowSettings ReadRadioSettings(const std::string& text) {
    TRadioWindowSettings s;
    s.rig = TRigSettings::ForType(TRigType::kFullDuplex);
    ForEachSetting(text, [&s](const std::string& key, const std::string& value) {
        int32_t n = 0;
        double d = 0.0;
        TRigType type;
        if (key == "satellite") s.satellite = value;
        else if (key == "transponder") s.transponder = value;
        else if (key == "rigtype" && ParseRigType(value, type)) s.rig.type = type;
        else if (key == "model" && ParseInteger(value, n) && n > 0) s.rig.radio.model = n;
        else if (key == "address") s.rig.radio.port = value;
        else if (key == "model2" && ParseInteger(value, n) && n > 0) s.rig.txRadio.model = n;
        else if (key == "address2") s.rig.txRadio.port = value;
        else if (key == "downvfo" && !value.empty()) s.rig.downVfo = value;
        else if (key == "upvfo" && !value.empty()) s.rig.upVfo = value;
        else if (key == "period" && ParseInteger(value, n)) s.rig.periodMs = std::clamp(n, 100, 2000);
        else if (key == "settle" && ParseInteger(value, n)) s.rig.settleMs = std::clamp(n, 0, 5000);
        else if (key == "ignoredial") s.rig.ignoreDial = value == "1";
        else if (key == "deadband.fm" && ParseNumber(value, d) && d >= 0) s.rig.deadbands.fm = d;
        else if (key == "deadband.linear" && ParseNumber(value, d) && d >= 0) s.rig.deadbands.linear = d;
        else if (key == "deadband.data" && ParseNumber(value, d) && d >= 0) s.rig.deadbands.data = d;
        else if (key.rfind("offset.", 0) == 0) {
            const auto comma = value.find(',');
            double down = 0.0, up = 0.0;
            if (comma != std::string::npos && ParseNumber(value.substr(0, comma), down) &&
                ParseNumber(value.substr(comma + 1), up))
                s.offsets[UpperText(key.substr(7))] = {down, up};
        }
    });
    return s;
}

std::string RadioSettingsText(const TRadioWindowSettings& s) {
    const TRigSettings& r = s.rig;
    std::string t = "# Radio control window settings (written by Orbisk)\n";
    auto put = [&t](const std::string& k, const std::string& v) { PutSetting(t, k, v); };
    put("satellite", s.satellite);
    put("transponder", s.transponder);
    put("rigtype", RigTypeName(r.type));
    put("model", std::to_string(r.radio.model));
    put("address", r.radio.port);
    put("model2", std::to_string(r.txRadio.model));
    put("address2", r.txRadio.port);
    put("downvfo", r.downVfo);
    put("upvfo", r.upVfo);
    put("period", std::to_string(r.periodMs));
    put("settle", std::to_string(r.settleMs));
    put("ignoredial", r.ignoreDial ? "1" : "0");
    put("deadband.fm", FormatGeneral(r.deadbands.fm));
    put("deadband.linear", FormatGeneral(r.deadbands.linear));
    put("deadband.data", FormatGeneral(r.deadbands.data));
    for (const auto& [mode, o] : s.offsets) put("offset." + mode, FormatGeneral(o.first) + "," + FormatGeneral(o.second));
    return t;
}

TfrRadioWnd::TfrRadioWnd(std::vector<TSatRec> sats, std::size_t first, const TObserver& observer,
                         const std::string& programFolder, const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), Sats(std::move(sats)), Observer(observer), DataFolder(dataFolder),
      Form(std::make_unique<Ui::TfrRadioWnd>()) {
    ReadTransponderFile(ReadText(programFolder + "data/" + kBundledTransponders), Store, false);
    ReadTransponderFile(ReadText(dataFolder + kUserTransponders), Store, true);
    Settings = ReadRadioSettings(ReadText(dataFolder + kRadioSettingsFile));

    Form->setupUi(this);
    cb_sat = Form->cb_sat;
    cb_transponder = Form->cb_transponder;
    cb_rigtype = Form->cb_rigtype;
    nm_model = Form->nm_model;
    nm_model2 = Form->nm_model2;
    nm_period = Form->nm_period;
    nm_settle = Form->nm_settle;
    nm_deadband = Form->nm_deadband;
    nm_offsetdown = Form->nm_offsetdown;
    nm_offsetup = Form->nm_offsetup;
    txt_address = Form->txt_address;
    txt_address2 = Form->txt_address2;
    txt_downvfo = Form->txt_downvfo;
    txt_upvfo = Form->txt_upvfo;
    ckb_ignoredial = Form->ckb_ignoredial;
    nm_downlink = Form->nm_downlink;
    bn_engage = Form->bn_engage;
    bn_test = Form->bn_test;
    lb_test = Form->lb_test;
    lb_downlink = Form->lb_downlink;
    lb_uplink = Form->lb_uplink;
    lb_doppler = Form->lb_doppler;
    lb_rangerate = Form->lb_rangerate;
    lb_azel = Form->lb_azel;
    lb_pass = Form->lb_pass;
    lb_state = Form->lb_state;
    lb_message = Form->lb_message;
    FillSatelliteBox(cb_sat, Sats, first, Settings.satellite);
    // The box's order is kRigTypes'.
    for (const char* t : kRigTypeTexts) cb_rigtype->addItem(t);
    const TDeviceFields device{nm_model, txt_address};
    const TDeviceFields device2{nm_model2, txt_address2};

    // The stored settings, then the signals (so filling the controls changes nothing).
    const TRigSettings& r = Settings.rig;
    for (int i = 0; i < 5; ++i)
        if (kRigTypes[i] == r.type) cb_rigtype->setCurrentIndex(i);
    device.Show(r.radio);
    device2.Show(r.txRadio);
    txt_downvfo->setText(QText(r.downVfo));
    txt_upvfo->setText(QText(r.upVfo));
    nm_period->setValue(r.periodMs);
    nm_settle->setValue(r.settleMs);
    ckb_ignoredial->setChecked(r.ignoreDial);

    connect(cb_sat, &QComboBox::currentIndexChanged, this, &TfrRadioWnd::cb_satChange);
    connect(cb_transponder, &QComboBox::currentIndexChanged, this, &TfrRadioWnd::cb_transponderChange);
    connect(cb_rigtype, &QComboBox::currentIndexChanged, this, &TfrRadioWnd::cb_rigtypeChange);
    connect(nm_downlink, &QDoubleSpinBox::valueChanged, this, &TfrRadioWnd::nm_downlinkChange);
    connect(bn_engage, &QPushButton::clicked, this, &TfrRadioWnd::bn_engageClick);
    connect(bn_test, &QPushButton::clicked, this, &TfrRadioWnd::bn_testClick);
    cb_satChange();
    cb_rigtypeChange();
    // After cb_rigtypeChange: the stored VFO names win over the type's defaults.
    txt_downvfo->setText(QText(r.downVfo));
    txt_upvfo->setText(QText(r.upVfo));

    Timer = new QTimer(this);
    connect(Timer, &QTimer::timeout, this, &TfrRadioWnd::TimerTick);
    Timer->start(250);
    TimerTick();
}

TfrRadioWnd::~TfrRadioWnd() {
    if (Control) Control->Disengage();
    if (TestThread.joinable()) TestThread.join();
}

void TfrRadioWnd::selectSatellite(const std::string& catNo) {
    if (!engaged()) ChooseSatellite(cb_sat, Sats, catNo);
}

void TfrRadioWnd::cb_satChange() {
    cb_transponder->blockSignals(true);
    cb_transponder->clear();
    Transponders.clear();
    const int i = cb_sat->currentIndex();
    if (i >= 0 && static_cast<std::size_t>(i) < Sats.size()) {
        Transponders = Store.For(CatalogueNumberValue(Sats[i].catNo.view()));
        int chosen = 0;
        for (std::size_t k = 0; k < Transponders.size(); ++k) {
            const TTransponder& t = Transponders[k];
            cb_transponder->addItem(QText(t.description + (t.alive ? "" : " (not active)") + (t.user ? " *" : "")));
            if (t.description == Settings.transponder) chosen = static_cast<int>(k);
        }
        cb_transponder->setCurrentIndex(chosen);
        SearchAt = 0.0;  // look for this satellite's pass
    }
    cb_transponder->blockSignals(false);
    if (Transponders.empty()) lb_message->setText("No transponder is known for this satellite: add it to " +
                                                  QText(DataFolder + kUserTransponders));
    cb_transponderChange();
}

void TfrRadioWnd::cb_transponderChange() {
    const int i = cb_transponder->currentIndex();
    const int s = cb_sat->currentIndex();
    Preview.reset();
    bn_engage->setEnabled(i >= 0 && s >= 0 && !Transponders.empty());
    if (i < 0 || s < 0 || Transponders.empty()) return;
    if (!engaged()) lb_message->clear();
    const TTransponder& t = Transponders[i];
    Preview = std::make_unique<TTuner>(Sats[s], Observer, t);
    nm_downlink->blockSignals(true);
    nm_downlink->setEnabled(t.IsLinear());
    nm_downlink->setRange(t.downlinkLow / 1.0e6, std::max(t.downlinkLow, t.downlinkHigh) / 1.0e6);
    nm_downlink->setValue(Preview->DownlinkSat() / 1.0e6);
    nm_downlink->blockSignals(false);
    const std::string mode = UpperText(t.mode);
    const auto o = Settings.offsets.find(mode);
    nm_offsetdown->setValue(o == Settings.offsets.end() ? 0 : static_cast<int>(o->second.first));
    nm_offsetup->setValue(o == Settings.offsets.end() ? 0 : static_cast<int>(o->second.second));
    nm_deadband->setValue(static_cast<int>(Settings.rig.deadbands.For(t.mode)));
}

void TfrRadioWnd::cb_rigtypeChange() {
    const TRigType type = kRigTypes[std::clamp(cb_rigtype->currentIndex(), 0, 4)];
    const TRigSettings d = TRigSettings::ForType(type);
    txt_downvfo->setText(QText(d.downVfo));
    txt_upvfo->setText(QText(d.upVfo));
    nm_model2->setEnabled(type == TRigType::kTwoRadios);
    txt_address2->setEnabled(type == TRigType::kTwoRadios);
}

void TfrRadioWnd::nm_downlinkChange() {
    const double hz = std::round(nm_downlink->value() * 1.0e6);
    if (Preview) Preview->TuneDownlink(hz);
    if (Control) Control->TuneDownlink(hz);
}

TRigSettings TfrRadioWnd::RigFromControls() const {
    TRigSettings r = Settings.rig;
    r.type = kRigTypes[std::clamp(cb_rigtype->currentIndex(), 0, 4)];
    r.radio = {nm_model->value(), txt_address->text().trimmed().toStdString(), 0};
    r.txRadio = {nm_model2->value(), txt_address2->text().trimmed().toStdString(), 0};
    r.downVfo = txt_downvfo->text().trimmed().toStdString();
    r.upVfo = txt_upvfo->text().trimmed().toStdString();
    r.periodMs = nm_period->value();
    r.settleMs = nm_settle->value();
    r.ignoreDial = ckb_ignoredial->isChecked();
    return r;
}

void TfrRadioWnd::SaveSettings() {
    Settings.rig = RigFromControls();
    const int s = cb_sat->currentIndex(), t = cb_transponder->currentIndex();
    if (s >= 0) Settings.satellite = Sats[s].catNo.str();
    if (t >= 0 && !Transponders.empty()) {
        const TTransponder& tp = Transponders[t];
        Settings.transponder = tp.description;
        Settings.offsets[UpperText(tp.mode)] = {nm_offsetdown->value(), nm_offsetup->value()};
        const std::string m = UpperText(tp.mode);
        double& band = m == "FM" || m == "FMN" || m == "WFM" ? Settings.rig.deadbands.fm
                       : m == "USB" || m == "LSB" || m == "CW" || m == "CWR" || m == "SSB" ? Settings.rig.deadbands.linear
                                                                                          : Settings.rig.deadbands.data;
        band = nm_deadband->value();
    }
    if (const TStatus saved = WriteFileAtomic(DataFolder + kRadioSettingsFile, RadioSettingsText(Settings)); !saved)
        lb_message->setText("The settings were not saved: " + QText(saved.message));
}

void TfrRadioWnd::bn_engageClick() {
    if (Control) {
        Control->Disengage();
        Control.reset();
        bn_engage->setText("Engage");
        for (QWidget* w : std::initializer_list<QWidget*>{cb_sat, cb_transponder, cb_rigtype, nm_model, txt_address,
                                                          txt_downvfo, txt_upvfo, nm_period, nm_settle, nm_deadband,
                                                          nm_offsetdown, nm_offsetup, ckb_ignoredial, bn_test})
            w->setEnabled(true);
        cb_rigtypeChange();
        return;
    }
    const int s = cb_sat->currentIndex(), t = cb_transponder->currentIndex();
    if (s < 0 || t < 0 || Transponders.empty()) return;
    SaveSettings();
    TRigSettings rig = Settings.rig;
    for (const auto& [mode, o] : Settings.offsets) rig.offsets.push_back({mode, o.first, o.second});
    auto control = std::make_unique<TRigControl>(rig, Sats[s], Observer, Transponders[t], Clock);
    if (Preview) control->TuneDownlink(Preview->DownlinkSat());
    if (const std::string refused = control->Engage(); !refused.empty()) {
        lb_message->setText(QText(refused));
        return;
    }
    Control = std::move(control);
    lb_message->clear();
    bn_engage->setText("Disengage");
    for (QWidget* w : std::initializer_list<QWidget*>{cb_sat, cb_transponder, cb_rigtype, nm_model, txt_address, nm_model2,
                                                      txt_address2, txt_downvfo, txt_upvfo, nm_period, nm_settle,
                                                      nm_deadband, nm_offsetdown, nm_offsetup, ckb_ignoredial, bn_test})
        w->setEnabled(false);
}

void TfrRadioWnd::bn_testClick() {
    if (TestThread.joinable()) TestThread.join();
    const TDeviceAddress address{nm_model->value(), txt_address->text().trimmed().toStdString(), 0};
    const std::string vfo = txt_downvfo->text().trimmed().toStdString();
    bn_test->setEnabled(false);
    lb_test->setText("Reading the frequency...");
    // The device may take a second to answer, or not at all: not on the UI thread.
    TestThread = std::thread([this, address, vfo] {
        TRadioDevice dev(address);
        std::string result = dev.Open();
        double hz = 0.0;
        if (result.empty()) result = dev.GetFrequency(vfo, hz);
        if (result.empty()) result = "The radio reads " + Mhz(hz);
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                lb_test->setText(QText(result));
                bn_test->setEnabled(!engaged());
            },
            Qt::QueuedConnection);
    });
}

void TfrRadioWnd::FindPass(double now) {
    const int s = cb_sat->currentIndex();
    if (s < 0) return;
    const TSatRec& sat = Sats[s];
    const TSite obs = Observer;
    TSatState state{};
    // Up already: the rise is now.
    PassStart = SearchCrossing(TEdge::kRise, sat, state, 0.0, now, now + 1.0, obs).t;
    if (PassStart >= now + 1.0) {
        PassStart = PassEnd = 0.0;
        SearchAt = now + kSearchAgain / kSecondsPerDay;
        return;
    }
    PassEnd = SearchCrossing(TEdge::kSet, sat, state, 0.0, PassStart, PassStart + 1.0, obs).t;
    SearchAt = PassEnd;
}

void TfrRadioWnd::TimerTick() {
    const double now = Clock();
    if (now >= SearchAt) FindPass(now);
    TRadioTarget target;
    bool have = false;
    if (Control) {
        const TRigStatus st = Control->Status();
        have = st.haveTarget;
        target = st.target;
        lb_state->setText(QText(std::string(LinkStateName(st.state)) + ", " + std::to_string(st.frequencyCommands) +
                            " frequency commands" + (st.dialMoves ? ", dial turned " + std::to_string(st.dialMoves) + "x" : "")));
        lb_message->setText(QText(st.message));
        // The dial moves the frequency at the satellite: show it.
        if (have && nm_downlink->isEnabled() && target.downSat > 0.0 && !nm_downlink->hasFocus() &&
            std::fabs(nm_downlink->value() * 1.0e6 - target.downSat) > 0.5) {
            nm_downlink->blockSignals(true);
            nm_downlink->setValue(target.downSat / 1.0e6);
            nm_downlink->blockSignals(false);
        }
    } else {
        lb_state->setText("Not engaged");
        if (Preview) have = Preview->Update(now, target);
    }
    if (!have) {
        for (QLabel* l : {lb_downlink, lb_uplink, lb_doppler, lb_rangerate, lb_azel}) l->setText("-");
    } else {
        lb_downlink->setText(target.downSat > 0.0 ? QText(Mhz(target.downSat) + " at the satellite, " + Mhz(target.downRadio) + " at the radio") : "-");
        lb_uplink->setText(target.upSat > 0.0 ? QText(Mhz(target.upSat) + " at the satellite, " + Mhz(target.upRadio) + " at the radio") : "-");
        lb_doppler->setText(QText((target.downSat > 0.0 ? Signed((target.downRadio - target.downSat) / 1000.0, "kHz down", 3) : "") +
                              (target.upSat > 0.0 ? "   " + Signed((target.upRadio - target.upSat) / 1000.0, "kHz up", 3) : "")));
        lb_rangerate->setText(QText(Signed(target.look.rangeRate, "km/s", 3)));
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.1f°, %.1f°", target.look.azimuth, target.look.elevation);
        lb_azel->setText(QString::fromUtf8(buf));
    }
    lb_pass->setText(QText(PassCountdown(now, PassStart, PassEnd)));
}
