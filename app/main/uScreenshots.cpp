#include "uScreenshots.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QDir>
#include <QDockWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "frAnalysis.h"
#include "uAlertCentre.h"
#include "frFirstStart.h"
#include "frMain.h"
#include "frPrediction.h"
#include "frRadar.h"
#include "frSatSelector.h"

namespace {

constexpr int kPollMs = 100;
constexpr int kGiveUpPolls = 600;  // one minute without a step forward
constexpr int kAlertsStep = 10;    // after the prediction, radar and analysis windows
constexpr int kAlertsDone = 12;

struct TShot {
    int mode;
    const char* name;
    QAction* TMainWndUi::*action;
};
const TShot kShots[] = {
    {kViewMap, "orbisk-map.png", &TMainWndUi::menu_map},
    {kViewSky, "orbisk-sky.png", &TMainWndUi::menu_sky},
    {kViewGlobe, "orbisk-globe.png", &TMainWndUi::menu_globe},
};

// The dialogs, each opened by its menu command and pictured alone.
struct TDialogShot {
    const char* objectName;
    const char* name;
    QAction* TMainWndUi::*action;
};
const TDialogShot kDialogShots[] = {
    {"frSatSelector", "orbisk-selector.png", &TMainWndUi::menu_satellite},
    {"frLocSelector", "orbisk-location.png", &TMainWndUi::menu_location},
    {"frOptions", "orbisk-options.png", &TMainWndUi::menu_options},
    {"frWeb", "orbisk-download.png", &TMainWndUi::menu_webupdate},
    {"frPlanetData", "orbisk-data.png", &TMainWndUi::menu_planets},
    {"frMag", "orbisk-magnitudes.png", &TMainWndUi::menu_satdata},
    {"frInfo", "orbisk-info.png", &TMainWndUi::menu_info},
};

struct TState {
    std::size_t next = 0;
    bool switched = false;
    int polls = 0;
    QDialog* dialog = nullptr;
    int step = 0;  // after the dialogs: the prediction and radar windows, then the analysis window
    int displayStep = 0;  // the polar plot and night palette pictures
    // Where the run stood at the last poll: polls count only while it stands still.
    std::size_t lastNext = ~std::size_t{0};
    int lastStep = -1, lastDisplayStep = -1;
    const QDialog* lastDialog = nullptr;
    bool Moved() {
        const bool moved = next != lastNext || step != lastStep || displayStep != lastDisplayStep || dialog != lastDialog;
        lastNext = next;
        lastStep = step;
        lastDisplayStep = displayStep;
        lastDialog = dialog;
        return moved;
    }
};

// A window pictured at the size asked for, but never larger than the screen
// it opens on: a small screen's picture shows what its user gets.
void ResizeWithin(QWidget& widget, const QSize& size) {
    const QScreen* screen = widget.screen();
    widget.resize(screen ? size.boundedTo(screen->availableGeometry().size()) : size);
}

bool Save(QWidget& widget, const std::string& path) {
    QApplication::processEvents();
    if (!widget.grab().save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "orbisk: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// One step of the dialog pictures; true when all are taken.
bool DialogStep(TfrMainWnd& window, const std::string& folder, TState& state) {
    const std::size_t k = state.next - std::size(kShots);
    if (k >= std::size(kDialogShots)) return true;
    const TDialogShot& shot = kDialogShots[k];
    if (!state.dialog) {
        (window.ui().*shot.action)->trigger();
        state.dialog = window.findChild<QDialog*>(shot.objectName);
        // The selector shows the bundled visual satellites beside the list.
        if (auto* selector = qobject_cast<TfrSatSelectorWnd*>(state.dialog))
            selector->OpenFile(window.session().Options.tleFolder.str() + "visual.tle");
        return false;
    }
    if (auto* selector = qobject_cast<TfrSatSelectorWnd*>(state.dialog); selector && selector->busy()) return false;
    Save(*state.dialog, folder + "/" + shot.name);
    state.dialog->reject();
    state.dialog = nullptr;
    ++state.next;
    return false;
}

// The first start's place dialog with a search typed in, pictured alone.
void FirstStartShot(TfrMainWnd& window, const std::string& folder) {
    TfrFirstStart dialog(window.session().DataFolder, &window);
    dialog.show();
    if (auto* search = dialog.findChild<QLineEdit*>("ed_place_search")) search->setText("Berlin");
    Save(dialog, folder + "/orbisk-firststart.png");
    dialog.reject();
}

// The analysis window after a search for what is up at the moment over the
// bundled visual satellites. True when done.
bool AnalysisShot(TfrMainWnd& window, const std::string& folder, TState& state) {
    auto* analysis = window.findChild<TfrAnalysisWnd*>();
    switch (state.step) {
        case 4:
            window.ui().menu_analysis->trigger();
            ++state.step;
            return false;
        case 5:
            if (!analysis) return false;
            ResizeWithin(*analysis, QSize(1000, 720));
            analysis->LoadElementFile(window.session().Options.tleFolder.str() + "visual.tle");
            ++state.step;
            return false;
        case 6:
            if (analysis->busy() || analysis->elementCount() == 0) return false;
            analysis->menu_visible->trigger();
            ++state.step;
            return false;
        default:
            if (analysis->busy()) return false;
            Save(*analysis, folder + "/orbisk-analysis.png");
            state.step = kAlertsStep;
            return false;
    }
}

// The Alerts window with the data folder's rules, its alerts on the
// window's clock (the bundled sets are old). True when done.
bool AlertsShot(TfrMainWnd& window, const std::string& folder, TState& state) {
    TAlertCentre* alerts = window.alerts();
    // Taken once: the window closed is gone, and waiting for it again never ends.
    if (!alerts || state.step >= kAlertsDone) return true;
    if (state.step == kAlertsStep) {
        const TSession& session = window.session();
        alerts->SetClock([&session] { return session.CurrentTime; });
        alerts->Check();
        window.ui().menu_alerts->trigger();
        ++state.step;
        return false;
    }
    auto* wnd = window.findChild<QDialog*>("frAlerts");
    if (!wnd || alerts->planning()) return false;
    ResizeWithin(*wnd, QSize(1000, 720));
    Save(*wnd, folder + "/orbisk-alerts.png");
    wnd->close();
    state.step = kAlertsDone;
    return true;
}

// The prediction window after an Iridium flare search over its default
// period, then the radar chart of the first flare. True when done.
bool PredictionShots(TfrMainWnd& window, const std::string& folder, TState& state) {
    auto* prediction = window.findChild<TfrPredictionWnd*>();
    switch (state.step) {
        case 0:
            FirstStartShot(window, folder);
            window.ui().menu_linetabular->trigger();
            ++state.step;
            return false;
        case 1:
            if (!prediction) return false;
            ResizeWithin(*prediction, QSize(1000, 720));
            prediction->menu_flare->trigger();
            ++state.step;
            return false;
        case 2:
            if (!prediction || prediction->busy()) return false;
            Save(*prediction, folder + "/orbisk-prediction.png");
            if (prediction->bn_chartwnd->isEnabled())
                prediction->bn_chartwnd->click();
            state.step = prediction->bn_chartwnd->isEnabled() ? 3 : 4;
            return false;
        case 3:
            if (auto* radar = window.findChild<TfrRadarWnd*>()) Save(*radar, folder + "/orbisk-radar.png");
            ++state.step;
            return false;
        default:
            return state.step >= kAlertsStep ? AlertsShot(window, folder, state) : AnalysisShot(window, folder, state);
    }
}

// The polar plot and the upcoming passes alone, then the window in the night
// palette on the map (its home name and labels). True when done.
bool DisplayShots(TfrMainWnd& window, const std::string& folder, TState& state) {
    if (state.displayStep == 0) {
        if (QWidget* dock = window.polarDock()) Save(*dock, folder + "/orbisk-polar.png");
        if (auto* passes = window.findChild<QDockWidget*>("dock_passes"); passes && passes->isVisible())
            Save(*passes, folder + "/orbisk-passes.png");
        if (window.session().Options.viewMode != kViewMap) window.ui().menu_map->trigger();
        ++state.displayStep;
        return false;
    }
    if (state.displayStep == 1) {
        window.nightAction()->trigger();
        ++state.displayStep;
        return false;
    }
    Save(window, folder + "/orbisk-night.png");
    window.nightAction()->trigger();
    return true;
}

}  // namespace

void SaveScreenshots(TfrMainWnd& window, const std::string& folder) {
    QDir().mkpath(QString::fromStdString(folder));
    auto* timer = new QTimer(&window);
    auto state = std::make_shared<TState>();
    QObject::connect(timer, &QTimer::timeout, &window, [&window, folder, timer, state] {
        if (state->Moved()) state->polls = 0;
        if (++state->polls > kGiveUpPolls) {
            std::fprintf(stderr, "orbisk: the window did not settle (%s); no more pictures\n",
                         !window.loaded()            ? "not loaded"
                         : !window.idle()            ? "a background job still runs"
                         : window.busy()             ? "a view switch still runs"
                         : window.framesDrawn() == 0 ? "no frame drawn"
                                                     : "a window waited for is still busy");
            timer->stop();
            window.close();
            QCoreApplication::exit(1);  // the run failed: the script says so
            return;
        }
        if (!window.loaded() || !window.idle() || window.busy() || window.framesDrawn() == 0) return;
        // ORBISK_SCREENSHOT_DAY: only the sky view, named for a daytime moment.
        const bool dayOnly = std::getenv("ORBISK_SCREENSHOT_DAY") != nullptr;
        if (dayOnly && state->next != 1) {
            if (state->next > 1) {
                timer->stop();
                window.close();
                return;
            }
            ++state->next;
            return;
        }
        if (state->next >= std::size_t(std::size(kShots))) {
            if (!DialogStep(window, folder, *state) || !PredictionShots(window, folder, *state) ||
                !DisplayShots(window, folder, *state))
                return;
            timer->stop();
            window.close();
            return;
        }
        const TShot& shot = kShots[state->next];
        if (!state->switched) {
            if (window.session().Options.viewMode != shot.mode) (window.ui().*shot.action)->trigger();
            state->switched = true;
            return;  // the switch runs on a worker; look again once it is done
        }
        Save(window, folder + "/" + (dayOnly ? std::string("orbisk-sky-day.png") : std::string(shot.name)));
        ++state->next;
        state->switched = false;
    });
    timer->start(kPollMs);
}
