// The program window: the clock and its tick, the satellite boxes and
// readouts, the three views and every command of the menus and toolbar.
//
// The window owns the session (catalogues, states, observer, options,
// clock) and is the only one to change it, always on the UI thread.
// Background jobs get copies and hand their results back (uWorkers.h).
//
// The members are defined in four files: frMain.cpp (start-up, satellite
// boxes, shut-down), frMainClock.cpp (clock, tick, readouts, next pass),
// frMainViews.cpp (view switching, frames, resizing), frMainCommands.cpp
// (menu and toolbar commands), frMainPointer.cpp (the pointer on the
// view area) and frMainPasses.cpp (the upcoming-passes dock).
#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "frMainUi.h"
#include "uClock.h"
#include "uDisplaySettings.h"
#include "uElementGroups.h"
#include "uFileIO.h"
#include "uGraphicCalc.h"
#include "uNetFiles.h"
#include "uSession.h"
#include "uSessionStore.h"
#include "uStartup.h"
#include "uWorkers.h"

class QDockWidget;
class QMouseEvent;
class TAlertCentre;
class TDesktopNotifier;
class TPassesDock;
class TfrPolarPlot;

// Mean motion (rev/day) at or below which no pass is searched.
inline constexpr double kSlowMeanMotion = 2.0;
// A map click picks satellites whose sub-point is closer than this, km.
inline constexpr double kPickDistanceKm = 150.0;
// A drag smaller than this (half-height, pixels) is a click, not a zoom.
inline constexpr int kMinZoomDrag = 15;

inline constexpr const char* kMagnitudeNotNumber = " Magnitude entered is not valid, try again ";
inline constexpr const char* kMagnitudeOutOfRange = " Magnitude not valid, Max (30) - Min (-10) ";
inline constexpr const char* kDownloadBusy = "Download in Progress, try later.";
inline constexpr const char* kHelpFile = "Orbisk.html";
inline constexpr const char* kKmlFile = "Orbisk_Google_Tracks.kml";
// How long an alert's notice stays in the status bar when no notification service answers.
inline constexpr int kAlertNoticeMs = 30000;

class TfrMainWnd : public QMainWindow {
    Q_OBJECT
public:
    // FormCreate; the start-up loader starts at once. The clock starts at
    // startTime (UTC day number) when given, else at the computer's time.
    TfrMainWnd(const TFolders& folders, const double* startTime = nullptr, QWidget* parent = nullptr);
    ~TfrMainWnd() override;

    const TSession& session() const { return Session; }
    // The session with its change signals (the search windows follow them).
    const TSessionStore& store() const { return Store; }
    // Null until start-up has finished.
    TAlertCentre* alerts() const { return Alerts; }
    TDesktopNotifier* notifier() const { return Notifier; }
    const TMainWndUi& ui() const { return Ui; }
    const TViewState& viewState() const { return View; }
    bool loaded() const { return Loaded; }
    bool busy() const { return Busy; }
    // No background job is running (tests and the screenshot wait for this).
    bool idle() const { return Workers.Idle(); }
    // Number of frames drawn so far.
    long framesDrawn() const { return FrameCount; }
    TfrPolarPlot* polarPlot() const { return PolarPlot; }
    QDockWidget* polarDock() const { return PolarDock; }
    QAction* polarAction() const { return menu_polar; }
    QAction* nightAction() const { return menu_night; }
    const TFrameState& frame() const { return Frame; }
    // The window's place and size were those kept from the last run.
    bool layoutRestored() const { return LayoutRestored; }

    // One tick of the clock, as the timer does it every second while the clock runs.
    void Tick();
    // The full recomputation after any change (time, observer, options, list).
    void RefreshAll();
    void BuildActiveList();
    // Nobody is there to answer a box (the screenshot run): shut-down
    // failures go to stderr only, so the run still ends.
    void SetUnattended(bool on) { Unattended = on; }
    // When the data folder holds no saved observer, ask for the place once
    // loaded (the program does; tests and screenshots do not unless asked).
    void AskPlaceOnFirstStart(bool on) { AskPlace = on; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- start-up and shut-down (frMain.cpp)
    void FormCreate(const double* startTime);
    void ConnectCommands();
    // The menu, toolbar and key commands (frMainCommands.cpp).
    std::vector<TCommand> Commands();
    // messages: what start-up found unusable so far, shown with the loader's.
    void StartLoader(double clock, bool clockGiven, std::vector<std::string> messages);
    void FormClose();
    void ShowMessage(const std::string& text, const std::string& title = "Skyvane");
    void ShowNetMessage(const TNetMessage& m);
    std::array<QAction*, kMenuItemCount> SavedMenuItems() const;
    void ApplyMenuSettings(const TMenuSettings& menu);
    TMenuSettings MenuSettingsFromMenus() const;
    void cb_sat1Change(int index);
    void cb_sat2Change(int index);
    void ShowCaption();
    void StartAutoDownload();
    // A download's updated Iridium list, taken and written to IridSat.bin
    // while the window still holds the list of that generation and no
    // Iridium job runs; else kept out (and said so). True when taken.
    bool AdoptDownloadedIridium(std::vector<TSatRec> list, unsigned generation);
    void StartSkyRefresh();

    // ---- clock, tick, readouts (frMainClock.cpp)
    void SetClockStep(int action);
    void TickCompute();
    void ShowClock();
    void ShowReadouts();
    void ClearReadouts();
    void ShowRange2();
    void UpdateNextPass();
    // The observer's mask from its file (told when it cannot be read), and
    // handed to the searches and the views.
    void LoadHorizon();
    void SetHorizon(THorizonHandle mask);
    void ShowNextPass();
    void ShowElementAge();
    void SetClock(double t);
    void bn_setClick();
    void bn_nowClick();
    void RunClock(int direction);
    void dt_main_dateChange();
    // The pickers show utc in the clock's display mode (local or UTC).
    void ShowPickers(double utc);
    // What the pickers show, as UTC.
    double PickerUtc() const;

    // ---- views (frMainViews.cpp)
    void SwitchView(int mode);
    void ApplyViewMode();
    void EnterView(int mode);
    void DrawFrame();
    void ComputeStates();
    // Each tracked object of several sets takes the one nearest the clock
    // once the clock leaves the span of the one it has.
    void FollowElementSets();
    void RebuildFrameSatellites();
    void ViewResized();
    void SetFieldLabel(const std::string& text);
    TViewMenu ViewMenuNow() const;
    void SetSkySats(std::vector<TSatRec> list);

    // ---- commands (frMainCommands.cpp)
    void ToggleLayer();
    void ToggleHomeLocation(QAction* source);
    void menu_displaynumberClick();
    void ToggleSkyFlag();
    void menu_magClick();
    void ApplyMagnitude(const QString& answer);
    void menu_showskysatClick();
    void StarMagnitudeStep(double delta);
    void SetOrientation(QAction* item);
    void GoToBody(int index);
    void GoToCompass(double azimuth);
    void menu_gotozenithClick();
    void menu_skyviewClick(QAction* item);
    void menu_utctimeClick();
    void menu_epochtimeClick();
    void menu_resetClick();
    void menu_infoClick();
    void menu_aboutClick();
    void menu_contentsClick();
    void menu_linetabularClick();
    void menu_analysisClick();
    void menu_satelliteClick();
    void menu_locationClick();
    void menu_satdataClick();
    void menu_planetsClick();
    void menu_optionsClick();
    void menu_webupdateClick();
    void menu_radioClick();
    void menu_alertsClick();
    // The alerts of the running program, once start-up has loaded the lists.
    void StartAlerts();
    // A notification's "Show": this window raised with the satellite chosen.
    void ShowAlertSatellite(long long number);
    void menu_rotatorClick();
    // The control windows with Session.MainSats[mainIndex] chosen (raised when open).
    void OpenRadio(std::size_t mainIndex);
    void OpenRotator(std::size_t mainIndex);
    void SatelliteMenu(QComboBox* box, const QPoint& at);
    void menu_conversionClick();
    void menu_importmagClick();
    void mn_UpdateMainListClick();
    void mn_UpdateIridiListClick();
    void nm_createIridClick();
    void menu_createskyfileClick();
    bool SkyMode() const { return Session.Options.viewMode == kViewSky; }

    // ---- upcoming passes (frMainPasses.cpp)
    void SetupPassesDock();
    // Docks go beside the view on screens shorter than this (px): under it they would push
    // the window past the screen's foot.
    static constexpr int kDocksUnderFromHeight = 760;
    bool DocksBeside() const;
    void FollowPasses();
    void GoToPass(std::size_t mainIndex, double aos);

    // ---- first start (frMainFirstStart.cpp)
    void OpenFirstStart();
    void FirstStartDownload();
    void StartAtElementsIfStale();
    // ---- polar plot and night palette (frMainDisplay.cpp)
    void BuildDisplayExtras();
    void ShowPolarPass();
    void SetNightPalette(bool on);
    // Writes the display settings; tell: a failure also goes to the status bar.
    TStatus SaveDisplaySettings(bool tell);
    // The window's and the docks' places and sizes from the settings, and
    // into them (written at close).
    void RestoreLayout();
    void KeepLayout();
    static constexpr int kLayoutVersion = 1;

    // ---- pointer (frMainPointer.cpp)
    void MainImageMouseDown(QMouseEvent* event);
    void MainImageMouseMove(QMouseEvent* event);
    void MainImageMouseUp(QMouseEvent* event);
    void MapPointerUp(QMouseEvent* event);
    void SkyGlobePointerUp(QMouseEvent* event);
    int DragSize(const QPoint& p) const;
    void ZoomByDrag();

    TMainWndUi Ui;
    // The session's parts with signals (lists, tracked list, observer,
    // options, clock) change through Store; Session is the window's view of
    // it for reading and for its own per-tick state.
    TSessionStore Store;
    TSession& Session = Store.owned();
    TFolders Folders;
    TViewState View;
    TFrameState Frame;
    QTimer Timer;

    int Direction = 1;          // +1 forwards, -1 backwards
    bool Busy = false;          // a view switch runs
    bool Loaded = false;        // start-up finished, not yet closing
    // A file that was there but could not be read is not written back as it stood.
    TReadGuard OptionsGuard, MainSatGuard;
    bool Closing = false;
    bool Unattended = false;
    bool AskPlace = false;
    bool LayoutRestored = false;
    bool DownloadRunning = false;
    bool NextPassBusy = false;
    bool NeverRises = false;    // the first satellite did not rise within the searched days
    // The satellite (list generation, index) NextRise and NextSet belong to.
    unsigned PassGeneration = ~0u;
    int PassSat = -1;
    bool MainListBusy = false, IridiumBusy = false, SkyListBusy = false;
    // The pickers: the UTC time they were last set to, and whether the user
    // changed them since (SET takes that time unchanged when not).
    double PickersUtc = 0.0;
    bool PickersEdited = false;
    bool SettingPickers = false;
    long FrameCount = 0;
    std::shared_ptr<std::atomic<bool>> StopDownload = std::make_shared<std::atomic<bool>>(false);

    // Pointer.
    TLatLon PointerGeo{};
    TRaDec PointerSky{};
    TAltAz PointerHoriz{};
    QPoint DragStart;
    int DragPixels = 0;
    bool Dragging = false;
    bool ZoomIn = true;
    Qt::MouseButton PressedButton = Qt::NoButton;

    TPassesDock* PassesDock = nullptr;
    TDisplaySettings Display;
    QDockWidget* PolarDock = nullptr;
    TfrPolarPlot* PolarPlot = nullptr;
    QAction *menu_polar = nullptr, *menu_night = nullptr;

    std::shared_ptr<const std::vector<TSatRec>> SkySatsShared;
    QPointer<QWidget> PredictionWnd, AnalysisWnd;  // each made when first asked for
    // The observer's horizon mask (null: none), given to every search and view.
    THorizonHandle Horizon;
    QPointer<QWidget> RadioWnd, RotatorWnd;        // one each at a time: they drive devices
    QPointer<QWidget> AlertsWnd;
    TDesktopNotifier* Notifier = nullptr;  // children of this window
    TAlertCentre* Alerts = nullptr;
    // The sets of each tracked object (one for most) and the one in use.
    std::vector<std::vector<TSetSpan>> ActiveSets;
    std::vector<std::size_t> ActiveSetInUse;
    bool SetSwitched = false;  // the first satellite took another set: its pass is searched again

    // Last, so it is destroyed first: the jobs end while the rest still exists.
    TWorkers Workers;
};
