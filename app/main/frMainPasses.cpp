// The main window's upcoming-passes dock: made with the window, fed after
// every refresh and tick, and a chosen pass sets the clock.
#include <QComboBox>
#include <QScreen>

#include <algorithm>
#include <QMenu>
#include <QMenuBar>

#include "frMain.h"
#include "frPasses.h"

void TfrMainWnd::SetupPassesDock() {
    PassesDock = new TPassesDock(Workers, this);
    // Under the view: the map is twice as wide as high, so width is what it
    // cannot spare; a third of the screen's height at most. A short screen
    // has no height to spare under the readouts: beside the view there.
    const QRect avail = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    if (DocksBeside()) {
        addDockWidget(Qt::RightDockWidgetArea, PassesDock);
        resizeDocks({PassesDock}, {std::clamp(avail.width() * 34 / 100, 300, 440)}, Qt::Horizontal);
    } else {
        addDockWidget(Qt::BottomDockWidgetArea, PassesDock);
        resizeDocks({PassesDock}, {std::clamp(avail.height() * 30 / 100, 150, 400)}, Qt::Vertical);
    }
    QAction* toggle = PassesDock->toggleViewAction();
    toggle->setObjectName("menu_passes");
    toggle->setText("Upcoming Passes");
    toggle->setShortcut(QKeySequence("Ctrl+P"));
    toggle->setStatusTip("Show or hide the list and timeline of the next passes");
    addAction(toggle);
    if (auto* view = menuBar()->findChild<QMenu*>("mn_view")) {
        view->addSeparator();
        view->addAction(toggle);
    }
    connect(PassesDock, &TPassesDock::passChosen, this, &TfrMainWnd::GoToPass);
    // Shown again: catch up at once rather than at the next tick.
    connect(PassesDock, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown) FollowPasses();
    });
}

bool TfrMainWnd::DocksBeside() const {
    return screen() && screen()->availableGeometry().height() < kDocksUnderFromHeight;
}

void TfrMainWnd::FollowPasses() {
    if (!PassesDock || !Loaded) return;
    PassesDock->Follow(Session.MainSats, Store.TrackedChoice(), Session.Observer, Session.CurrentTime, Session.Options.utcDisplay != 0);
}

void TfrMainWnd::GoToPass(std::size_t mainIndex, double aos) {
    if (!Loaded) return;
    // The pass's satellite becomes the first one, so the readouts follow it.
    // Any set of a tracked object stands for it.
    for (std::size_t k = 0; k < Session.SatStates.size() && k < ActiveSets.size(); ++k) {
        if (std::none_of(ActiveSets[k].begin(), ActiveSets[k].end(),
                         [mainIndex](const TSetSpan& s) { return s.set == mainIndex; }))
            continue;
        if (static_cast<int>(k) != Ui.cb_sat1->currentIndex()) {
            Ui.cb_sat1->setCurrentIndex(static_cast<int>(k));
            cb_sat1Change(static_cast<int>(k));
        }
        break;
    }
    SetClock(aos);
}
