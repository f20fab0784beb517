// What the search windows (predictions, analysis) share: the search runner
// with its progress line and Cancel button, the date and time pickers, the
// report box, message boxes and saving a report.
#pragma once
#include <QDateTime>
#include <QObject>
#include <QWidget>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <span>
#include <memory>
#include <string>
#include <string_view>

#include "frCommands.h"
#include "frCommon.h"
#include "uReport.h"
#include "uSession.h"
#include "uSearchPool.h"
#include "uTargets.h"
#include "uWorkers.h"

class QAction;
class QCheckBox;
class QDateEdit;
class QDateTimeEdit;
class QLabel;
class QMainWindow;
class QSpinBox;
class QStatusBar;
class QToolBar;
class TClickLabel;
class QPlainTextEdit;
class QFont;
class TReportView;
class QProgressBar;
class QPushButton;

// Picker values are wall-clock numbers (UTC or local as the window shows):
// kept as UTC date-times so that moving them never meets a daylight-saving
// gap of the computer's zone.
QDateTime PickerDateTime(double dayNumber);
double PickerDayNumber(const QDateTime& value);
// " yyyy  MM  dd" and "HH:mm:ss " pickers, dates from 1957-01-01 to
// 2049-12-31. The month is a number so that it can be typed like the rest.
void SetupDatePicker(QDateEdit* picker, const char* name);
void SetupTimePicker(QDateTimeEdit* picker, const char* name, const char* format = "HH:mm:ss ");
// The date picker and the time picker (which carries the date too) follow
// each other's date.
void FollowDate(QDateEdit* date, QDateTimeEdit* time);
// Switches a window between UTC and local times: the labels read "UTC" or
// "LOC", each time picker moves back or forward by the observer's offset at
// its own instant (ObserverOffsetAt: daylight saving included; whole seconds
// both ways, so a round trip returns them), and menu, when given, offers the
// mode just left ("Set Time to " + the old label).
void ToggleTimeMode(bool& utcMode, const TObserver& observer, std::initializer_list<QLabel*> labels,
                    std::initializer_list<QDateTimeEdit*> pickers, QAction* menu = nullptr);
// The offset (days) to add to UTC for a picker's wall-clock value shown:
// 0 in UTC mode, else the observer's offset at that local time.
double ShownOffset(const TObserver& observer, double shown, bool utcMode);
// The red bold "UTC"/"LOC" label beside the pickers; a click toggles.
TClickLabel* NewTimeLabel(QWidget* parent, const char* name);
// The same look given to a label a form made.
void SetupTimeLabel(TClickLabel* label);
// The computer's local clock as a day number (the reports' "Produced").
double LocalClockDayNumber();

QSpinBox* NewSpin(QWidget* parent, const char* name, int lo, int hi, int step, int value);
QCheckBox* NewCheck(QWidget* parent, const char* name, const char* text, bool checked);

// The search windows build their commands from a table too (frCommands.h).
using TWindowCommand = TCommand;
// The toolbar: groups of commands between separators; buttons named
// "tb_" + the command's name without its "menu_".
QToolBar* MakeToolbar(QMainWindow* window, const char* name,
                      std::initializer_list<std::initializer_list<QAction*>> groups);

// The read-only fixed-pitch report box and filling it (a long report a part
// per turn of the event loop, so the window goes on answering).
QPlainTextEdit* NewReportMemo(QWidget* parent, const char* name, int pixelSize);
void SetupReportMemo(QPlainTextEdit* memo, int pixelSize);
// The monospace font reports are shown in.
QFont ReportFont(int pixelSize);
void ShowReport(QPlainTextEdit* memo, const TReportLines& lines);
void ShowReport(QPlainTextEdit* memo, std::shared_ptr<const TReportLines> lines);

// The header settings of a report made now for the session's observer.
TReportSettings ReportSettingsOf(const TSession& session, double displayOffset);
// A finished search's report into the window's report and text box; one cut
// short says so in its last line and in the status bar.
void ShowSearchReport(TReportLines& report, const TReportLines& lines, const TSearchStatus& status,
                      QPlainTextEdit* memo, QStatusBar* bar);
// The same into a report view, without a copy of the lines: report shares them with the view.
void ShowSearchReport(std::shared_ptr<const TReportLines>& report, TReportLines lines, const TSearchStatus& status,
                      TReportView* view, QStatusBar* bar);
// A window's location command runs the main window's (and is enabled while
// that one is).
void FollowCommand(QAction* own, QAction* main);

// The save path of a report: the save dialog starting in folder, then the
// file; afterwards the current folder is folder. A file that cannot be
// written is said so, with the reason.
void SaveReportLines(QWidget* parent, const TReportLines& lines, const std::string& folder);

// The transit target of a window, following its list of objects: the Sun,
// the Moon and the planets at once; "Ra/Dec" and "STAR" through their
// dialogs (a position entered stays for the next time).
class TTargetChoice {
public:
    TTargetChoice(QWidget* window, std::string dataFolder) : Window(window), DataFolder(std::move(dataFolder)) {}
    // epoch: day number the star positions are precessed to.
    void Choose(const std::string& entry, double epoch);
    const TTransitTarget& target() const { return Target; }

private:
    QWidget* Window;
    std::string DataFolder;
    TTransitTarget Target;
    double StoredRa = 0.0, StoredDec = 0.0;
};

// The search's progress in a window's status bar: what it does, satellites
// done of total, and Cancel (bn_cancel). Shown only while a search runs.
class TSearchProgress : public QWidget {
    Q_OBJECT
public:
    explicit TSearchProgress(QWidget* parent = nullptr);
    void Begin(const QString& caption);
    void Show(std::size_t done, std::size_t total);
    void End();
    QPushButton* cancelButton() const { return Cancel; }
    QString text() const;

private:
    QString Caption;
    QLabel* Label = nullptr;
    QProgressBar* Bar = nullptr;
    QPushButton* Cancel = nullptr;
};

// Runs one search at a time on a worker thread (the window's busy flag),
// shows its progress and stops it on Cancel or when the window goes. The
// body gets the search's control and returns the step that shows its result
// on the UI thread.
class TSearchRunner : public QObject {
    Q_OBJECT
public:
    using TBody = std::function<TWorkers::TApply(TSearchControl& control)>;
    explicit TSearchRunner(TSearchProgress* progress, QObject* parent = nullptr);
    // Cancels a running search and waits for it (it stops within a pass).
    ~TSearchRunner() override;

    bool Busy() const { return BusyFlag; }
    // Does nothing while busy. caption: what the progress line says. A body
    // that throws ends the search as failed: the failure handler gets a
    // status that says why (without one, the diagnostics do).
    void Start(int code, const QString& caption, TBody body);
    void Cancel();
    // Runs step on the UI thread before the search's result; callable from
    // the search's threads.
    void Post(TWorkers::TApply step) { Workers.Post(std::move(step)); }
    using TFailed = std::function<void(const TSearchStatus& status)>;
    void SetFailureHandler(TFailed handler) { Failed = std::move(handler); }
    // Called on the search's threads with each count of satellites done,
    // before the window hears of it, for the searches started from now on:
    // a test holds a search there to act while it surely runs.
    using TCountHook = std::function<void(std::size_t done, std::size_t total)>;
    void SetCountHook(TCountHook hook) { CountHook = std::move(hook); }

private:
    struct TProgressShare {
        std::atomic<std::size_t> done{0}, total{0};
        std::atomic<bool> posted{false};
        std::atomic<long long> lastPostMs{-1000000};
        // The UI thread's own: the count on show, and a later look pending.
        std::size_t shown = 0;
        bool trailing = false;
    };
    void ShowProgress(const std::shared_ptr<TProgressShare>& share);
    TSearchProgress* Progress = nullptr;
    std::shared_ptr<TSearchControl> Control;
    std::shared_ptr<TProgressShare> Share;  // the running search's
    bool BusyFlag = false;
    TFailed Failed;
    TCountHook CountHook;
    // Last, so it is destroyed first: the job ends while the rest exists.
    TWorkers Workers;
};
