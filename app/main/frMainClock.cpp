// The main window's clock: the step ladder, the tick, the full refresh, the
// readouts and the next rise and set of the first satellite.
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QLabel>

#include <cmath>
#include <utility>

#include "Zenora.h"
#include "frCommon.h"
#include "frMain.h"
#include "frMainWidgets.h"
#include "frSearchTools.h"
#include "uAlertCentre.h"
#include "uClock.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uPassSearch.h"
#include "uReport.h"
#include "uTracking.h"

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kSearchDays = 120.0;
constexpr double kGeoRiseDays = 180.0, kGeoSetDays = 181.0;

void SetColour(QLabel* label, bool running) {
    label->setStyleSheet(running ? "QLabel { color: #008000; }" : "QLabel { color: #c00000; }");
}

struct TPassTimes {
    double rise = 0.0, set = 0.0;
};

// The next rise after from and the set after it, elevation 0; with a
// horizon mask, the first part of a pass that clears it.
TPassTimes SearchNextPass(const TSatRec& sat, const TSite& site, double from, double now,
                          const THorizonHandle& horizon) {
    if (const THorizonHandle mask = EffectiveHorizon(horizon, 0.0)) {
        const TClearPass p = NextClearPass(sat, site, *mask, 0.0, from, from + kSearchDays, now);
        return {p.aos, p.los};
    }
    TSatState state{};
    TPassTimes p;
    p.rise = SearchCrossing(TEdge::kRise, sat, state, 0.0, from, from + kSearchDays, site).t + kSecond;
    p.set = SearchCrossing(TEdge::kSet, sat, state, 0.0, p.rise, p.rise + kSearchDays, site).t;
    return p;
}

}  // namespace

void TfrMainWnd::SetClockStep(int action) {
    if (action == kClockStop) {
        Timer.stop();
        SetColour(Ui.stxt_step, false);
        SetColour(Ui.stxt_time, false);
        return;
    }
    const int32_t step = LadderStep(Session.ClockStep, action);
    Ui.stxt_step->setText(WidgetText(StepText(step, Direction)));
    Session.ClockStep = Direction * step;
    if (action == kClockStart) {
        Timer.start();
        SetColour(Ui.stxt_step, true);
        SetColour(Ui.stxt_time, true);
    }
}

void TfrMainWnd::RunClock(int direction) {
    Direction = direction;
    SetClockStep(kClockStart);
}

void TfrMainWnd::Tick() {
    Store.SetTime(AdvanceClock(Session.CurrentTime, Session.ClockStep));
    if (!Session.TickReady || !Loaded) return;
    TickCompute();
    ShowClock();
    if (Session.CurrentTime > Session.NextSet || std::exchange(SetSwitched, false)) UpdateNextPass();
    if (Alerts) Alerts->Check();
    FollowPasses();
}

void TfrMainWnd::TickCompute() {
    if (SkyMode()) View.Dirty = 1;
    ComputeStates();
    DrawFrame();
    ShowReadouts();
    ShowPolarPass();
}

void TfrMainWnd::RefreshAll() {
    if (!Loaded) return;
    Session.TickReady = false;
    View.Dirty = 1;
    ComputeStates();
    if (!Session.SatStates.empty()) {
        // A pass found for another satellite (or list) is no answer for this one.
        if (PassGeneration != Store.MainGeneration() || PassSat != Session.Sat1Main)
            Session.NextRise = Session.NextSet = Session.CurrentTime;
        // The shown pass is recomputed when it is over or a fresh start was asked for.
        if (Session.CurrentTime >= Session.NextSet) UpdateNextPass();
    } else {
        View.TrackPoints.clear();
    }
    if (SkyMode() && View.SkyScale < View.SkyScaleMin) SetFieldLabel(GoToZenith(View, Session.Options));
    DrawFrame();
    ShowReadouts();
    ShowPolarPass();
    ShowClock();
    FollowPasses();
    Session.TickReady = true;
}

void TfrMainWnd::SetClock(double t) {
    Store.SetTime(t);
    // A new time makes the shown pass meaningless: search from the new time.
    Session.NextRise = Session.NextSet = t;
    ShowPickers(t);
    RefreshAll();
}

void TfrMainWnd::ShowPickers(double utc) {
    const bool utcMode = Session.Options.utcDisplay != 0;
    const double shown = utcMode ? utc : utc + ObserverOffsetAt(Session.Observer, utc);
    SettingPickers = true;
    Ui.dt_main_hour->setDateTime(PickerDateTime(shown));
    Ui.dt_main_date->setDate(Ui.dt_main_hour->date());
    SettingPickers = false;
    PickersUtc = utc;
    PickersEdited = false;
}

double TfrMainWnd::PickerUtc() const {
    const double shown = PickerDayNumber(Ui.dt_main_hour->dateTime());
    return Session.Options.utcDisplay ? shown : ObserverLocalToUtc(Session.Observer, shown);
}

void TfrMainWnd::ShowClock() {
    const double t = Session.CurrentTime;
    Ui.stxt_time->setText(
        WidgetText(ClockText(t, Session.Options.utcDisplay != 0, ObserverOffsetAt(Session.Observer, t))));
}

void TfrMainWnd::ShowReadouts() {
    const bool empty = Ui.cb_sat1->count() == 0 || Session.SatStates.empty();
    if (empty || Session.MainSats[Session.Sat1Main].decayed) {
        ClearReadouts();
        ShowRange2();
        return;
    }
    const TSatState& s = Session.SatStates[Session.Sat1State];
    const double k = Session.DistanceFactor;
    const std::string unit = Session.Options.metric ? " km" : " mi";
    const std::string degree(1, kDegree);
    Ui.stxt_ra->setText(WidgetText(Conv_to_str_hrs(true, 0, s.radec.ra)));
    Ui.stxt_dec->setText(AngleText(s.radec.dec));
    Ui.stxt_az->setText(WidgetText(FloatToStrFixed(s.altaz.az * kRadToDeg, 5, 1) + degree));
    Ui.stxt_alt->setText(WidgetText(FloatToStrFixed(s.altaz.alt * kRadToDeg, 5, 1) + degree));
    Ui.stxt_rng->setText(WidgetText(FloatToStrFixed(s.radec.dist * k, 6, 1) + unit));
    Ui.stxt_hgt->setText(WidgetText(FloatToStrFixed(s.latlon.height * k, 6, 1) + unit));
    ShowRange2();
    if (!SkyMode()) {
        Ui.Sb_Main->setText(9, WidgetText(FloatToStrFixed(s.vel.r * k, 5, 1) + unit + "/s"));
    }
    ShowElementAge();
}

void TfrMainWnd::ShowRange2() {
    const int second = Ui.cb_sat2->currentIndex();
    if (Ui.cb_sat1->count() == 0 || second < 0 || static_cast<std::size_t>(second) >= Session.SatStates.size()) {
        Ui.stxt_2sat_range->setText("00.0");
        return;
    }
    const TVector a = Session.SatStates[Session.Sat1State].pos;
    const TVector b = Session.SatStates[static_cast<std::size_t>(second)].pos;
    const double d = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
    const std::string unit = Session.Options.metric ? " km" : " mi";
    Ui.stxt_2sat_range->setText(WidgetText(FloatToStrFixed(d * Session.DistanceFactor, 5, 1) + unit));
}

void TfrMainWnd::ClearReadouts() {
    const bool none = Session.MainSats.empty() || Ui.cb_sat1->count() == 0;
    if (none) {
        Ui.Sb_Main->setText(1, "None");
        Ui.Sb_Main->setText(3, "None");
    } else if (Session.MainSats[Session.Sat1Main].decayed) {
        Ui.Sb_Main->setText(1, "Decayed");
        Ui.Sb_Main->setText(3, "Decayed");
    }
    Ui.stxt_ra->setText("00h 00m 00s");
    Ui.stxt_dec->setText("00d 00m 00s");
    for (QLabel* l : {Ui.stxt_az, Ui.stxt_alt, Ui.stxt_rng, Ui.stxt_hgt}) l->setText("00.0");
    if (!SkyMode()) {
        Ui.Sb_Main->setText(9, "");
        Ui.Sb_Main->setText(11, "");
    }
    Ui.ElementNotice->hide();
}

// The age of the first satellite's element set: status panel 11 (map and
// globe) and, when it is far from the clock, the notice over the view.
void TfrMainWnd::ShowElementAge() {
    const TSatRec& sat = Session.MainSats[Session.Sat1Main];
    const double age = Session.CurrentTime - JulianToDayNumber(sat.epoch);
    if (!SkyMode()) Ui.Sb_Main->setText(11, WidgetText(FormatFloat("####0.0 Days", age)));
    const bool stale = std::fabs(age) > kStaleElementDays;
    if (stale) {
        const std::string name(TrimText(sat.name.view()));
        Ui.ElementNotice->setMessage(
            WidgetText("The element set of " + name + " is " + FormatFloat("0", std::fabs(age)) + " days " +
                       (age > 0 ? "older than the clock" : "ahead of the clock") +
                       ": positions and passes shown are unreliable."));
    }
    Ui.ElementNotice->setVisible(stale);
}

void TfrMainWnd::UpdateNextPass() {
    if (Ui.cb_sat1->count() == 0 || Session.SatStates.empty()) return;
    const TSatRec& sat = Session.MainSats[Session.Sat1Main];
    if (sat.decayed) return;
    if (NextPassBusy) return;  // the search running will answer
    const double t = Session.CurrentTime;
    const double period = sat.period / 1440.0;
    if (t > Session.NextSet) {
        // The pass shown is over; the next one cannot rise much sooner,
        // unless a mask cut this one and it comes out again.
        Session.NextRise = EffectiveHorizon(Horizon, 0.0) ? t : t + 0.6 * period;
        Session.NextSet = Session.NextRise + 2.0 * kSecond;
    } else if (Session.NextRise == Session.NextSet) {
        // Fresh start: a satellite up now shows the pass it is on.
        const bool up = Session.SatStates[Session.Sat1State].altaz.alt > 0.0;
        Session.NextRise = up ? t - 0.3 * period : t;
    } else {
        return;
    }
    PassGeneration = Store.MainGeneration();
    PassSat = Session.Sat1Main;
    NeverRises = false;
    if (!(sat.meanMotion > kSlowMeanMotion)) {
        Session.NextRise = t + kGeoRiseDays;
        Session.NextSet = t + kGeoSetDays;
        Ui.Sb_Main->setText(1, "Geo Sat");
        Ui.Sb_Main->setText(3, "Geo Sat");
        return;
    }
    // Up to 120 days of search: never on the UI thread.
    const unsigned generation = Store.MainGeneration();
    const uint8_t first = Session.Sat1Main;
    const TSatRec copy = sat;
    const TSite site = Session.Observer;
    const double from = Session.NextRise;
    const double origin = from;
    const THorizonHandle horizon = Horizon;
    // Until the search answers, the panels show no pass of another satellite or time.
    Ui.Sb_Main->setText(1, "...");
    Ui.Sb_Main->setText(3, "...");
    Workers.Start(
        kWorkerNextPass,
        [this, copy, site, from, t, generation, first, origin, horizon]() -> TWorkers::TApply {
            const TPassTimes p = SearchNextPass(copy, site, from, t, horizon);
            return [this, p, generation, first, origin, from] {
                const bool current = generation == Store.MainGeneration() && first == Session.Sat1Main &&
                                     Session.NextRise == origin;
                if (!current) {
                    // The list, the first satellite or the clock changed meanwhile.
                    NextPassBusy = false;
                    Session.NextRise = Session.NextSet = Session.CurrentTime;
                    UpdateNextPass();
                    return;
                }
                Session.NextRise = p.rise;
                Session.NextSet = p.set;
                NeverRises = !(p.rise < from + kSearchDays);
                ShowNextPass();
                ShowPolarPass();
            };
        },
        &NextPassBusy);
}

void TfrMainWnd::ShowNextPass() {
    if (Ui.cb_sat1->count() == 0 || Session.SatStates.empty()) return;
    const TSatRec& sat = Session.MainSats[Session.Sat1Main];
    if (sat.decayed || !(sat.meanMotion > kSlowMeanMotion) || NextPassBusy) return;
    if (NeverRises) {
        Ui.Sb_Main->setText(1, "never rises");
        Ui.Sb_Main->setText(3, "-");
        return;
    }
    const bool utc = Session.Options.utcDisplay != 0;
    const TObserver& o = Session.Observer;
    Ui.Sb_Main->setText(1, WidgetText(PassTimeText(Session.NextRise, utc, ObserverOffsetAt(o, Session.NextRise))));
    Ui.Sb_Main->setText(3, WidgetText(PassTimeText(Session.NextSet, utc, ObserverOffsetAt(o, Session.NextSet))));
}

void TfrMainWnd::bn_nowClick() { SetClock(NowDayNumber()); }

void TfrMainWnd::bn_setClick() {
    // Untouched pickers hold the time they were set to, to the millisecond.
    SetClock(PickersEdited ? PickerUtc() : PickersUtc);
}

void TfrMainWnd::dt_main_dateChange() {
    // setDate would take the time picker's time to midnight (its format has no
    // date, so Qt holds it to one day); a whole date and time keeps it.
    QDateTime t = Ui.dt_main_hour->dateTime();
    t.setDate(Ui.dt_main_date->date());
    Ui.dt_main_hour->setDateTime(t);
}
