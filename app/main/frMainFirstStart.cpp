// The first start: when no observer was ever saved, the window asks for the
// place and offers a download of current elements; without one the clock
// goes to the bundled elements' epoch, where they predict well.
#include <QComboBox>
#include <QPushButton>

#include <cmath>

#include "frFirstStart.h"
#include "frMain.h"
#include "frWeb.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uReport.h"

void TfrMainWnd::OpenFirstStart() {
    // A data folder given on the command line may lack the bundled lists.
    const bool own = IsRegularFile(Session.DataFolder + "Locations.dat");
    auto* dialog = new TfrFirstStart(own ? Session.DataFolder : Session.ProgramFolder + "data/", this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (!Loaded) return;
        Store.SetObserver(dialog->observer());
        if (const TStatus saved = SaveObserver(Session.DataFolder, Session.Observer); !saved)
            ShowMessage(NotWrittenText(Session.DataFolder + kObserverFile, saved.message) +
                        "; the place is used until the program ends");
        View.GlobeCentre = Session.Observer.pos;
        ShowCaption();
        Session.NextRise = Session.NextSet = Session.CurrentTime;
        ShowPickers(Session.CurrentTime);
        RefreshAll();
        if (dialog->download())
            FirstStartDownload();
        else
            StartAtElementsIfStale();
    });
    dialog->open();
}

void TfrMainWnd::FirstStartDownload() {
    const unsigned before = Store.MainGeneration();
    menu_webupdateClick();
    const auto windows = findChildren<TfrWebWnd*>();
    if (windows.isEmpty()) {
        StartAtElementsIfStale();
        return;
    }
    TfrWebWnd* web = windows.last();
    // New elements: the clock goes to now; none (declined, no network): to their epoch.
    connect(web, &QDialog::finished, this, [this, before] {
        if (!Loaded) return;
        if (Store.MainGeneration() != before)
            SetClock(NowDayNumber());
        else
            StartAtElementsIfStale();
    });
    if (auto* start = web->findChild<QPushButton*>("bn_download")) start->click();
}

void TfrMainWnd::StartAtElementsIfStale() {
    if (Ui.cb_sat1->count() == 0 || Session.MainSats.empty()) return;
    const double age = Session.CurrentTime - JulianToDayNumber(Session.MainSats[Session.Sat1Main].epoch);
    if (std::fabs(age) > kStaleElementDays) menu_epochtimeClick();
}
