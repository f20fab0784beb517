// The main window's polar plot panel and night palette: both toggled from
// the View menu and kept in the display settings file.
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>

#include "frMain.h"
#include "frCommon.h"
#include "frMainWidgets.h"
#include "frPalette.h"
#include "frPasses.h"
#include "frPolar.h"
#include "uInitialize.h"
#include "uPassSearch.h"
#include "uText.h"

void TfrMainWnd::BuildDisplayExtras() {
    std::string text;
    std::vector<std::string> notes;
    const std::string path = Session.DataFolder + kDisplaySettingsFile;
    if (IsRegularFile(path)) {
        if (ReadFileBytes(path, 1 << 16, text)) Display = ReadDisplaySettings(text, &notes);
        else notes.push_back(FileProblemText(path));
    }
    for (const std::string& note : notes) std::fprintf(stderr, "orbisk: %s\n", note.c_str());

    PolarPlot = new TfrPolarPlot(this);
    PolarDock = new QDockWidget("Polar Plot", this);
    PolarDock->setObjectName("PolarDock");
    PolarDock->setWidget(PolarPlot);
    PolarDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                           QDockWidget::DockWidgetFloatable);
    addDockWidget(DocksBeside() ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, PolarDock);
    // Beside the upcoming passes under the view, or under them beside it.
    if (PassesDock && DocksBeside()) {
        splitDockWidget(PassesDock, PolarDock, Qt::Vertical);
    } else if (PassesDock) {
        splitDockWidget(PassesDock, PolarDock, Qt::Horizontal);
        // The plot is round: about as wide as the docks are high; the list takes the rest.
        const int screenWidth = screen() ? screen()->availableGeometry().width() : 1280;
        const int plot = std::clamp(screenWidth / 4, 260, 420);
        resizeDocks({PassesDock, PolarDock}, {screenWidth - plot, plot}, Qt::Horizontal);
    }
    PolarDock->setVisible(Display.polarPlot);

    menu_polar = PolarDock->toggleViewAction();
    menu_polar->setObjectName("menu_polar");
    menu_polar->setText("Polar Plot");
    menu_polar->setStatusTip("The chosen satellite's pass now, or its next one, on a polar plot");
    menu_night = new QAction("Night Palette", this);
    menu_night->setObjectName("menu_night");
    menu_night->setCheckable(true);
    menu_night->setShortcut(QKeySequence("Ctrl+Shift+N"));
    menu_night->setStatusTip("Red on black, for eyes used to the dark");
    addAction(menu_night);
    if (QMenu* view = menuBar()->findChild<QMenu*>("mn_view")) {
        view->addSeparator();
        view->addActions({menu_polar, menu_night});
    }
    connect(menu_polar, &QAction::toggled, this, [this](bool on) {
        if (Display.polarPlot == on || Closing || !isVisible()) return;
        Display.polarPlot = on;
        (void)SaveDisplaySettings(true);
        if (on) ShowPolarPass();
    });
    connect(menu_night, &QAction::toggled, this, [this](bool on) {
        SetNightPalette(on);
        (void)SaveDisplaySettings(true);
    });
    // A palette is the application's: it goes with the window.
    connect(this, &QObject::destroyed, [] { ApplyNightPalette(false); });
    if (Display.nightPalette) {
        menu_night->setChecked(true);  // applies it; the file already says so
    }
    RestoreLayout();
}

void TfrMainWnd::RestoreLayout() {
    // What does not read back as the toolkit's own layout is left alone:
    // the window opens as it would the first time.
    const QByteArray geometry = QByteArray::fromBase64(QByteArray::fromStdString(Display.windowGeometry));
    const QByteArray state = QByteArray::fromBase64(QByteArray::fromStdString(Display.windowState));
    LayoutRestored = !geometry.isEmpty() && restoreGeometry(geometry);
    if (!state.isEmpty() && !restoreState(state, kLayoutVersion))
        std::fprintf(stderr, "orbisk: %s: the docks' layout kept there is not usable, left out\n",
                     kDisplaySettingsFile);
    if (!LayoutRestored && !Display.windowGeometry.empty())
        std::fprintf(stderr, "orbisk: %s: the window's place kept there is not usable, left out\n",
                     kDisplaySettingsFile);
    // The settings' own flag rules the polar plot.
    PolarDock->setVisible(Display.polarPlot);
}

void TfrMainWnd::KeepLayout() {
    Display.windowGeometry = saveGeometry().toBase64().toStdString();
    Display.windowState = saveState(kLayoutVersion).toBase64().toStdString();
}

void TfrMainWnd::SetNightPalette(bool on) {
    Display.nightPalette = on;
    if (menu_night->isChecked() != on) menu_night->setChecked(on);
    ApplyNightPalette(on);
    Frame.night = on;
    PolarPlot->SetNight(on);
    View.Dirty = 1;
    if (Loaded) DrawFrame();
}

TStatus TfrMainWnd::SaveDisplaySettings(bool tell) {
    TStatus saved = WriteFileAtomic(Session.DataFolder + kDisplaySettingsFile, DisplaySettingsText(Display));
    if (!saved && tell) Ui.Sb_Main->setText(0, WidgetText("Display settings not saved: " + saved.message));
    return saved;
}

void TfrMainWnd::ShowPolarPass() {
    if (!PolarPlot || !PolarDock->isVisible()) return;
    if (Ui.cb_sat1->count() == 0 || Session.SatStates.empty() || Session.Sat1Main >= Session.MainSats.size() ||
        Session.Sat1State >= Session.SatStates.size()) {
        PolarPlot->ShowNoPass("", "No satellite chosen");
        return;
    }
    const TSatRec& sat = Session.MainSats[Session.Sat1Main];
    const std::string name(TrimText(sat.name.view()));
    if (sat.decayed) return PolarPlot->ShowNoPass(name, "Decayed: no position");
    if (!(sat.meanMotion > kSlowMeanMotion)) return PolarPlot->ShowNoPass(name, "Geostationary: no passes");
    const bool ours = PassGeneration == Store.MainGeneration() && PassSat == Session.Sat1Main;
    if (!ours || NextPassBusy || !(Session.NextSet > Session.NextRise))
        return PolarPlot->ShowNoPass(name, "Looking for the next pass...");
    if (NeverRises) return PolarPlot->ShowNoPass(name, "never rises here");
    const bool utc = Session.Options.utcDisplay != 0;
    const double offset = utc ? 0.0 : ObserverOffsetAt(Session.Observer, Session.NextRise);
    PolarPlot->ShowPass(sat, Session.Observer, Session.NextRise, Session.NextSet, Session.CurrentTime,
                        Session.SatStates[Session.Sat1State], offset);
}
