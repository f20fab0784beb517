#include "frRotator.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cmath>
#include <cstdio>

#include "Zenora.h"
#include "uControlFields.h"
#include "uFileIO.h"
#include "uFormat.h"
#include "uPassSearch.h"
#include "uRadarChart.h"
#include "uReport.h"
#include "uText.h"
#include "uTracking.h"
#include "ui_frRotator.h"

namespace {
constexpr std::size_t kMaxFileBytes = 1 << 20;
constexpr int kChartHeight = 360;
constexpr int kParkRadius = 6;
constexpr double kReplanAfter = 5.0;   // s after the park command: on to the next pass
constexpr double kSearchAgain = 60.0;  // s between searches while no pass is in sight
const QColor kPlanColour(0, 200, 220);
const QColor kCommandColour(255, 60, 60);
const QColor kReadColour(60, 230, 60);

std::string ReadText(const std::string& path) { return ReadControlFile(path, kMaxFileBytes); }

double Wrap360(double a) {
    a = std::fmod(a, 360.0);
    return a < 0.0 ? a + 360.0 : a;
}

std::string AzEl(double az, double el) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "az %.1f°, el %.1f°", az, el);
    return buf;
}

const char* PhaseText(TRotatorPhase phase) {
    switch (phase) {
        case TRotatorPhase::kPreposition: return "waiting at AOS";
        case TRotatorPhase::kTrack: return "tracking";
        case TRotatorPhase::kPark: return "parked";
    }
    return "";
}

// A point in rotator degrees on the chart: a flipped elevation is the sky
// behind, on the other side of the zenith.
bool Place(const TViewState& vs, const TObserver& observer, double gst, double az, double el, QPoint& p) {
    if (el > 90.0) el = 180.0 - el, az += 180.0;
    const TAltAz h{Radians(el), Radians(Wrap360(az))};
    TRaDec rd{};
    Alt_az_to_ra_dec(&observer.pos, &h, &rd, gst);
    return SkyToPixel(vs, rd, p);
}
}  // namespace

TRotatorWindowSettings ReadRotatorSettings(const std::string& text) {
    TRotatorWindowSettings s;
    ForEachSetting(text, [&s](const std::string& key, const std::string& value) {
        int32_t n = 0;
        double d = 0.0;
        TRotatorSettings& p = s.plan;
        const bool number = ParseNumber(value, d) && std::isfinite(d);
        if (key == "satellite") s.satellite = value;
        else if (key == "model" && ParseInteger(value, n) && n > 0) s.rotator.model = n;
        else if (key == "address") s.rotator.port = value;
        else if (key == "azrange" && ParseAzimuthRange(value, p.limits).empty()) s.azRange = value;
        else if (key == "elmax" && number) p.limits.elMax = d >= 180.0 ? 180.0 : 90.0;
        else if (key == "floor" && number) p.limits.elMin = std::clamp(d, 0.0, 45.0);
        else if (key == "flip" && number) p.flipAbove = std::clamp(d, 0.0, 90.0);
        else if (key == "preaos" && number) p.preAos = std::clamp(d, 0.0, 900.0);
        else if (key == "threshold" && number) p.lead = std::clamp(d, 0.5, 45.0);
        else if (key == "parkaz" && number) p.parkAz = d;
        else if (key == "parkel" && number) p.parkEl = std::clamp(d, 0.0, 180.0);
    });
    return s;
}

std::string RotatorSettingsText(const TRotatorWindowSettings& s) {
    std::string t = "# Rotator control window settings (written by Orbisk)\n";
    auto put = [&t](const std::string& k, const std::string& v) { PutSetting(t, k, v); };
    const TRotatorSettings& p = s.plan;
    put("satellite", s.satellite);
    put("model", std::to_string(s.rotator.model));
    put("address", s.rotator.port);
    put("azrange", s.azRange);
    put("elmax", FormatGeneral(p.limits.elMax));
    put("floor", FormatGeneral(p.limits.elMin));
    put("flip", FormatGeneral(p.flipAbove));
    put("preaos", FormatGeneral(p.preAos));
    put("threshold", FormatGeneral(p.lead));
    put("parkaz", FormatGeneral(p.parkAz));
    put("parkel", FormatGeneral(p.parkEl));
    return t;
}

TfrRotatorWnd::TfrRotatorWnd(std::vector<TSatRec> sats, std::size_t first, const TObserver& observer,
                             const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), Sats(std::move(sats)), Observer(observer), DataFolder(dataFolder),
      Form(std::make_unique<Ui::TfrRotatorWnd>()) {
    Settings = ReadRotatorSettings(ReadText(dataFolder + kRotatorSettingsFile));

    Form->setupUi(this);
    cb_sat = Form->cb_sat;
    cb_azrange = Form->cb_azrange;
    cb_elrange = Form->cb_elrange;
    nm_model = Form->nm_model;
    nm_preaos = Form->nm_preaos;
    txt_address = Form->txt_address;
    nm_floor = Form->nm_floor;
    nm_flip = Form->nm_flip;
    nm_threshold = Form->nm_threshold;
    nm_parkaz = Form->nm_parkaz;
    nm_parkel = Form->nm_parkel;
    bn_engage = Form->bn_engage;
    lb_stop = Form->lb_stop;
    lb_plan = Form->lb_plan;
    lb_pass = Form->lb_pass;
    lb_commanded = Form->lb_commanded;
    lb_read = Form->lb_read;
    lb_state = Form->lb_state;
    lb_message = Form->lb_message;
    ImgRadar = Form->ImgRadar;
    FillSatelliteBox(cb_sat, Sats, first, Settings.satellite);
    const TDeviceFields device{nm_model, txt_address};

    const QFontMetrics fm(font());
    const int width = kChartHeight + fm.horizontalAdvance("AOS : 00/00   00:00:00") + 24;
    SetupRadarView(View, width, kChartHeight);
    ImgRadar->setFixedSize(width, kChartHeight);

    // The stored settings, then the signals (so filling the controls changes nothing).
    const TRotatorSettings& p = Settings.plan;
    device.Show(Settings.rotator);
    cb_azrange->setCurrentText(QText(Settings.azRange));
    cb_elrange->setCurrentIndex(p.limits.elMax >= 180.0 ? 1 : 0);
    nm_floor->setValue(p.limits.elMin);
    nm_flip->setValue(p.flipAbove);
    nm_preaos->setValue(static_cast<int>(std::lround(p.preAos)));
    nm_threshold->setValue(p.lead);
    nm_parkaz->setValue(p.parkAz);
    nm_parkel->setValue(p.parkEl);

    connect(cb_sat, &QComboBox::currentIndexChanged, this, &TfrRotatorWnd::SettingsChanged);
    connect(cb_azrange, &QComboBox::currentTextChanged, this, &TfrRotatorWnd::SettingsChanged);
    connect(cb_elrange, &QComboBox::currentIndexChanged, this, &TfrRotatorWnd::SettingsChanged);
    for (QDoubleSpinBox* w : {nm_floor, nm_flip, nm_threshold, nm_parkaz, nm_parkel})
        connect(w, &QDoubleSpinBox::valueChanged, this, &TfrRotatorWnd::SettingsChanged);
    connect(nm_preaos, &QSpinBox::valueChanged, this, &TfrRotatorWnd::SettingsChanged);
    connect(bn_engage, &QPushButton::clicked, this, &TfrRotatorWnd::bn_engageClick);

    Timer = new QTimer(this);
    connect(Timer, &QTimer::timeout, this, &TfrRotatorWnd::TimerTick);
    Timer->start(500);
    SettingsChanged();
}

TfrRotatorWnd::~TfrRotatorWnd() {
    if (Control) Control->Disengage();
}

void TfrRotatorWnd::setClock(TRadioClock clock) {
    Clock = std::move(clock);
    Los = 0.0;
    SettingsChanged();
}

void TfrRotatorWnd::selectSatellite(const std::string& catNo) {
    if (!engaged()) ChooseSatellite(cb_sat, Sats, catNo);
}

TRotatorWindowSettings TfrRotatorWnd::FromControls(std::string& why) const {
    TRotatorWindowSettings s = Settings;
    TRotatorSettings& p = s.plan;
    const int i = cb_sat->currentIndex();
    if (i >= 0 && static_cast<std::size_t>(i) < Sats.size()) s.satellite = Sats[i].catNo.str();
    s.rotator = {nm_model->value(), txt_address->text().trimmed().toStdString(), 0};
    const std::string range = cb_azrange->currentText().trimmed().toStdString();
    why = ParseAzimuthRange(range, p.limits);
    if (why.empty()) s.azRange = range;
    else why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
    p.limits.elMax = cb_elrange->currentIndex() == 1 ? 180.0 : 90.0;
    p.limits.elMin = nm_floor->value();
    p.flipAbove = nm_flip->value();
    p.preAos = nm_preaos->value();
    p.lead = nm_threshold->value();
    p.parkAz = nm_parkaz->value();
    p.parkEl = nm_parkel->value();
    return s;
}

void TfrRotatorWnd::SettingsChanged() {
    std::string why;
    Settings = FromControls(why);
    const TRotatorLimits& l = Settings.plan.limits;
    char buf[96];
    std::snprintf(buf, sizeof buf, "Stop at %.0f°, %.0f° of overlap", Wrap360(l.azMin), l.azMax - l.azMin - 360.0);
    lb_stop->setText(why.empty() ? QString::fromUtf8(buf) : QString());
    lb_message->setText(QText(why));
    bn_engage->setEnabled(why.empty() && !Sats.empty());
    Replan(Clock());
}

void TfrRotatorWnd::SaveSettings() {
    if (const TStatus saved = WriteFileAtomic(DataFolder + kRotatorSettingsFile, RotatorSettingsText(Settings)); !saved)
        lb_message->setText("The settings were not saved: " + QText(saved.message));
}

void TfrRotatorWnd::Replan(double now) {
    Plan = TRotatorPlan{};
    Aos = Los = 0.0;
    const int i = cb_sat->currentIndex();
    if (i >= 0 && static_cast<std::size_t>(i) < Sats.size()) {
        const TSatRec& sat = Sats[i];
        const TSite obs = Observer;
        TSatState state{};
        const double aos = SearchCrossing(TEdge::kRise, sat, state, 0.0, now, now + 1.0, obs).t;
        if (aos < now + 1.0) {
            const double los = SearchCrossing(TEdge::kSet, sat, state, 0.0, aos, aos + 1.0, obs).t;
            double from = Settings.plan.parkAz;
            if (Control) {
                const TRotatorStatus st = Control->Status();
                if (st.haveReading) from = st.readAz;
            }
            Plan = PlanPass(PassTrack(Sats[i], Observer, aos, los, 1.0), Settings.plan, from);
            if (!Plan.commands.empty()) Aos = aos, Los = los;
        }
    }
    if (Los > 0.0) {
        std::string text = FormatDateTime("mm/dd HH:nn:ss", Aos) + " to " + FormatDateTime("HH:nn:ss", Los) +
                           " UTC, highest " + FormatFloat("0.0", Plan.maxElevation) + "°";
        if (Plan.flipped) text += ", flipped";
        if (Plan.unwinds) text += ", unwinds once";
        lb_plan->setText(QString::fromUtf8(text.c_str()));
    } else {
        lb_plan->setText("No pass within a day");
    }
    // After the park on to the next pass; while none is in sight, look again now and then.
    NextPlan = Los > 0.0 ? Plan.commands.back().t + kReplanAfter / kSecondsPerDay : now + kSearchAgain / kSecondsPerDay;
    if (Control) Control->SetPlan(Plan);
    DrawBase();
    TimerTick();
}

void TfrRotatorWnd::DrawBase() {
    const int i = cb_sat->currentIndex();
    if (Los <= 0.0 || i < 0) {
        Base = QImage(View.Width, View.Height, QImage::Format_ARGB32_Premultiplied);
        Base.fill(Qt::white);
        return;
    }
    TRadarScene scene;
    scene.pass.title = PassTitle(Sats[i]);
    scene.pass.magnitude = std::nullopt;
    scene.showMagnitude = false;  // an antenna has no use for a placeholder
    scene.pass.maxElevation = Plan.maxElevation;
    scene.pass.start = Aos;
    scene.pass.end = Los;
    scene.pass.satellite = std::make_shared<const TSatRec>(Sats[i]);
    scene.observer = Observer;
    scene.font = font();
    const TRadarDrawn drawn = DrawRadarChart(Base, View, scene, kRadarStartRotation, false);
    BaseGst = ObserverFrame(Observer, Aos).gha;
    // The rotator's commands over the satellite's track.
    QPainter painter(&Base);
    painter.setRenderHint(QPainter::Antialiasing);
    QPoint last;
    bool haveLast = false;
    for (const TRotatorCommand& c : Plan.commands) {
        QPoint p;
        if (!Place(View, Observer, BaseGst, c.az, c.el, p)) {
            haveLast = false;
            continue;
        }
        painter.setPen(QPen(kPlanColour, 1.0));
        if (haveLast && c.phase == TRotatorPhase::kTrack) painter.drawLine(last, p);
        if (c.phase == TRotatorPhase::kPark) {
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(p, kParkRadius, kParkRadius);
            const QSize size = painter.fontMetrics().size(0, "park");
            painter.drawText(LabelTowardsCentre(View, p, kParkRadius, size, drawn.compass), Qt::AlignCenter, "park");
        } else {
            painter.setBrush(kPlanColour);
            painter.drawRect(p.x() - 2, p.y() - 2, 4, 4);
        }
        last = p;
        haveLast = true;
    }
}

void TfrRotatorWnd::bn_engageClick() {
    auto enable = [this](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{cb_sat, nm_model, txt_address, cb_azrange, cb_elrange, nm_floor,
                                                          nm_flip, nm_preaos, nm_threshold, nm_parkaz, nm_parkel})
            w->setEnabled(on);
    };
    if (Control) {
        Control->Disengage();
        Control.reset();
        bn_engage->setText("Engage");
        enable(true);
        return;
    }
    std::string why;
    Settings = FromControls(why);
    if (!why.empty()) {
        lb_message->setText(QText(why));
        return;
    }
    SaveSettings();
    TRotatorControlSettings rcs;
    rcs.rotator = Settings.rotator;
    auto control = std::make_unique<TRotatorControl>(rcs, Clock);
    control->SetPlan(Plan);
    if (const std::string refused = control->Engage(); !refused.empty()) {
        lb_message->setText(QText(refused));
        return;
    }
    Control = std::move(control);
    lb_message->clear();
    bn_engage->setText("Disengage");
    enable(false);
}

void TfrRotatorWnd::TimerTick() {
    const double now = Clock();
    if (now > NextPlan) {
        Replan(now);
        return;
    }
    Shown = Base.copy();
    lb_pass->setText(QText(PassCountdown(now, Aos, Los)));
    if (!Control) {
        lb_state->setText("Not engaged");
        const TRotatorCommand* c = Plan.At(now);
        lb_commanded->setText(c ? QString::fromUtf8((AzEl(c->az, c->el) + " would be sent").c_str()) : "-");
        lb_read->setText("-");
    } else {
        const TRotatorStatus st = Control->Status();
        lb_state->setText(QText(std::string(LinkStateName(st.state)) + ", " + std::to_string(st.positionCommands) +
                            " position commands"));
        lb_message->setText(QText(st.message));
        lb_commanded->setText(
            st.haveCommand ? QString::fromUtf8((AzEl(st.commanded.az, st.commanded.el) + ", " + PhaseText(st.commanded.phase)).c_str())
                           : "-");
        lb_read->setText(st.haveReading ? QString::fromUtf8(AzEl(st.readAz, st.readEl).c_str()) : "-");
        if (Los > 0.0) {
            QPainter painter(&Shown);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(Qt::NoBrush);
            QPoint p;
            if (st.haveCommand && Place(View, Observer, BaseGst, st.commanded.az, st.commanded.el, p)) {
                painter.setPen(QPen(kCommandColour, 2.0));
                painter.drawEllipse(p, 7, 7);
            }
            if (st.haveReading && Place(View, Observer, BaseGst, st.readAz, st.readEl, p)) {
                painter.setPen(QPen(kReadColour, 2.0));
                painter.drawLine(p - QPoint(6, 0), p + QPoint(6, 0));
                painter.drawLine(p - QPoint(0, 6), p + QPoint(0, 6));
            }
        }
    }
    ImgRadar->setPixmap(QPixmap::fromImage(Shown));
}
