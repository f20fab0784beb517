#include "frSearchTools.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

#include "frMainWidgets.h"
#include "frPickFile.h"
#include "frReportView.h"
#include "uFileIO.h"
#include "frRaDec.h"
#include "frstar.h"
#include "uAnalysis.h"
#include "uFormat.h"
#include "uInitialize.h"
#include "uLoadSave.h"

namespace {
const QDate kFirstDate(1957, 1, 1), kLastDate(2049, 12, 31);
}  // namespace

QDateTime PickerDateTime(double dayNumber) {
    TDateParts p;
    if (!DecodeDayNumber(dayNumber + 0.5 / 86400.0, &p)) return QDateTime(kFirstDate, QTime(0, 0), Qt::UTC);
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second), Qt::UTC);
}

double PickerDayNumber(const QDateTime& value) {
    const QDate d = value.date();
    const QTime t = value.time();
    return EncodeDayNumber(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
}

void SetupDatePicker(QDateEdit* picker, const char* name) {
    picker->setObjectName(name);
    picker->setLocale(QLocale::c());
    picker->setTimeSpec(Qt::UTC);
    picker->setDisplayFormat(" yyyy  MM  dd");
    picker->setDateRange(kFirstDate, kLastDate);
    picker->setCalendarPopup(true);
}

void SetupTimePicker(QDateTimeEdit* picker, const char* name, const char* format) {
    picker->setObjectName(name);
    picker->setLocale(QLocale::c());
    picker->setTimeSpec(Qt::UTC);
    picker->setDisplayFormat(format);
    picker->setDateTimeRange(QDateTime(kFirstDate, QTime(0, 0), Qt::UTC),
                             QDateTime(kLastDate, QTime(23, 59, 59), Qt::UTC));
}

void FollowDate(QDateEdit* date, QDateTimeEdit* time) {
    QObject::connect(date, &QDateEdit::dateChanged, time, [time](const QDate& d) {
        QDateTime t = time->dateTime();
        t.setDate(d);
        time->setDateTime(t);
    });
    QObject::connect(time, &QDateTimeEdit::dateTimeChanged, date, [date](const QDateTime& t) {
        if (date->date() != t.date()) date->setDate(t.date());
    });
}

void ToggleTimeMode(bool& utcMode, const TObserver& observer, std::initializer_list<QLabel*> labels,
                    std::initializer_list<QDateTimeEdit*> pickers, QAction* menu) {
    const QString old = labels.size() > 0 ? (*labels.begin())->text() : QString();
    utcMode = !utcMode;
    if (menu) menu->setText("Set Time to " + old);
    for (QLabel* label : labels) label->setText(utcMode ? "UTC" : "LOC");
    for (QDateTimeEdit* picker : pickers) {
        const double shown = PickerDayNumber(picker->dateTime());
        const double utc = utcMode ? ObserverLocalToUtc(observer, shown) : shown;
        const qint64 offset = std::llround((shown - utc + (utcMode ? 0.0 : ObserverOffsetAt(observer, shown))) *
                                           kSecondsPerDay);
        picker->setDateTime(picker->dateTime().addSecs(utcMode ? -offset : offset));
    }
}

double ShownOffset(const TObserver& observer, double shown, bool utcMode) {
    if (utcMode) return 0.0;
    return ObserverOffsetAt(observer, ObserverLocalToUtc(observer, shown));
}

TClickLabel* NewTimeLabel(QWidget* parent, const char* name) {
    auto* l = new TClickLabel("UTC", parent);
    l->setObjectName(name);
    SetupTimeLabel(l);
    return l;
}

void SetupTimeLabel(TClickLabel* l) {
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(pal);
    QFont bold = l->font();
    bold.setBold(true);
    l->setFont(bold);
    l->setCursor(Qt::PointingHandCursor);
    l->setToolTip("Click to show the times in UTC or local time");
}

double LocalClockDayNumber() {
    const QDateTime now = QDateTime::currentDateTime();
    return EncodeDayNumber(now.date().year(), now.date().month(), now.date().day(), now.time().hour(),
                           now.time().minute(), now.time().second());
}

QSpinBox* NewSpin(QWidget* parent, const char* name, int lo, int hi, int step, int value) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setValue(value);
    return s;
}

QCheckBox* NewCheck(QWidget* parent, const char* name, const char* text, bool checked) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setChecked(checked);
    return c;
}

QToolBar* MakeToolbar(QMainWindow* window, const char* name,
                      std::initializer_list<std::initializer_list<QAction*>> groups) {
    QToolBar* bar = window->addToolBar("Tools");
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    for (const auto& group : groups) {
        if (!bar->actions().isEmpty()) bar->addSeparator();
        for (QAction* a : group) {
            bar->addAction(a);
            bar->widgetForAction(a)->setObjectName("tb_" + a->objectName().mid(5));
        }
    }
    return bar;
}

QPlainTextEdit* NewReportMemo(QWidget* parent, const char* name, int pixelSize) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    SetupReportMemo(memo, pixelSize);
    return memo;
}

void SetupReportMemo(QPlainTextEdit* memo, int pixelSize) {
    memo->setReadOnly(true);
    // Nobody undoes a report: the stack would hold a copy of every part put in.
    memo->setUndoRedoEnabled(false);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(ReportFont(pixelSize));
}

QFont ReportFont(int pixelSize) {
    QFont font("Courier New");
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(pixelSize);
    return font;
}

namespace {
constexpr int kSearchNice = 5;
// A whole catalogue finishes thousands of satellites a second: a label and a
// bar redrawn for each would keep the window's thread from anything else.
constexpr long long kProgressEveryMs = 100;
constexpr std::size_t kReportChunk = 1000;
// The later parts of a long report go in about kReportTurnMs each: the
// memo's cost per line grows with its text, so each part is sized by what
// the one before it took.
constexpr std::size_t kReportPart = 250;
constexpr std::size_t kLeastReportPart = 20;
constexpr double kReportTurnMs = 15.0;
constexpr int kHiddenPollMs = 150;  // lines a turn of the event loop puts in the memo

QString ReportText(const TReportLines& lines, std::size_t from, std::size_t to) {
    QString text;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from) text += '\n';
        text += WidgetText(lines[i]);
    }
    return text;
}

// The rest of a long report, a chunk per turn of the event loop, so the
// window never stops for all of it; a newer report stops an older one. It
// waits while the memo is hidden: the text of a whole catalogue's passes
// takes more memory than its records, and printing and saving take the lines.
void FillReport(QPlainTextEdit* memo, std::shared_ptr<const TReportLines> lines, std::size_t from, int fill,
                int delayMs = 0, std::size_t part = kReportPart) {
    QTimer::singleShot(delayMs, memo, [memo, lines = std::move(lines), from, fill, part] {
        if (memo->property("reportFill").toInt() != fill) return;
        if (!memo->isVisible()) {
            FillReport(memo, lines, from, fill, kHiddenPollMs, part);
            return;
        }
        const std::size_t to = std::min(lines->size(), from + part);
        const auto start = std::chrono::steady_clock::now();
        memo->appendPlainText(ReportText(*lines, from, to));
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        // Grown by half at most: one quick part says little of the next.
        const double scaled = static_cast<double>(part) * std::min(1.5, kReportTurnMs / std::max(ms, 0.1));
        const std::size_t next = static_cast<std::size_t>(
            std::clamp(scaled, static_cast<double>(kLeastReportPart), static_cast<double>(kReportChunk)));
        if (to < lines->size()) FillReport(memo, lines, to, fill, 0, next);
    });
}
}  // namespace

void ShowReport(QPlainTextEdit* memo, std::shared_ptr<const TReportLines> lines) {
    const int fill = memo->property("reportFill").toInt() + 1;
    memo->setProperty("reportFill", fill);
    const std::size_t first = std::min(lines->size(), kReportChunk);
    memo->setPlainText(ReportText(*lines, 0, first));
    if (first < lines->size()) FillReport(memo, std::move(lines), first, fill);
}

void ShowReport(QPlainTextEdit* memo, const TReportLines& lines) {
    if (lines.size() <= kReportChunk) {
        memo->setProperty("reportFill", memo->property("reportFill").toInt() + 1);
        memo->setPlainText(ReportText(lines, 0, lines.size()));
        return;
    }
    ShowReport(memo, std::make_shared<const TReportLines>(lines));
}

TReportSettings ReportSettingsOf(const TSession& session, double displayOffset) {
    TReportSettings s;
    s.observerName = session.Observer.name.str();
    s.latitude = session.Observer.pos.lat;
    s.longitude = session.Observer.pos.lon;
    s.produced = LocalClockDayNumber();
    s.distanceFactor = session.DistanceFactor;
    s.metric = session.Options.metric != 0;
    s.displayOffset = displayOffset;
    return s;
}

void ShowSearchReport(TReportLines& report, const TReportLines& lines, const TSearchStatus& status,
                      QPlainTextEdit* memo, QStatusBar* bar) {
    report = lines;
    const std::string cut = CutShortLine(status);
    if (!cut.empty()) report.push_back(cut);
    ShowReport(memo, report);
    bar->showMessage(cut.empty() ? QString() : WidgetText(TrimText(cut)));
}

void ShowSearchReport(std::shared_ptr<const TReportLines>& report, TReportLines lines, const TSearchStatus& status,
                      TReportView* view, QStatusBar* bar) {
    const std::string cut = CutShortLine(status);
    if (!cut.empty()) lines.push_back(cut);
    report = std::make_shared<const TReportLines>(std::move(lines));
    view->SetLines(report);
    bar->showMessage(cut.empty() ? QString() : WidgetText(TrimText(cut)));
}

void FollowCommand(QAction* own, QAction* main) {
    own->setEnabled(main && main->isEnabled());
    if (!main) return;
    QObject::connect(own, &QAction::triggered, main, &QAction::trigger);
    QObject::connect(main, &QAction::enabledChanged, own, &QAction::setEnabled);
}

void SaveReportLines(QWidget* parent, const TReportLines& lines, const std::string& folder) {
    PickFile(parent, kPickReportFile, folder, [parent, lines, folder](const std::string& path) {
        if (const TStatus saved = SaveReport(path, lines); !saved)
            ShowMessageBox(parent, "The report was not saved: " + saved.message);
        QDir::setCurrent(QString::fromStdString(folder));
    });
}

// ---- the transit target ----------------------------------------------------------

void TTargetChoice::Choose(const std::string& entry, double epoch) {
    if (MakeBodyTarget(entry, Target)) return;
    QWidget* window = Window;
    if (entry == kRaDecName) {
        SetRaDecTarget(Target, StoredRa, StoredDec);
        auto* dialog = new TfrRaDecWnd(StoredRa, StoredDec, window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QDialog::finished, window, [this, window, dialog] {
            if (!dialog->message().empty()) ShowMessageBox(window, dialog->message());
            StoredRa = dialog->ra();
            StoredDec = dialog->dec();
            SetRaDecTarget(Target, StoredRa, StoredDec);
        });
        dialog->open();
        return;
    }
    auto* dialog = new TfrStarWnd(DataFolder, epoch, window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!dialog->starFileFound()) ShowMessageBox(window, FileProblemText(DataFolder + "star.dat"));
    QObject::connect(dialog, &QDialog::finished, window,
                     [this, dialog] { SetStarTarget(Target, dialog->ra(), dialog->dec(), dialog->commonName()); });
    dialog->open();
}

// ---- progress ----------------------------------------------------------------------

TSearchProgress::TSearchProgress(QWidget* parent) : QWidget(parent) {
    setObjectName("SearchProgress");
    Label = new QLabel(this);
    Label->setObjectName("stxt_progress");
    Bar = new QProgressBar(this);
    Bar->setObjectName("SearchBar");
    Bar->setTextVisible(false);
    Bar->setMaximumWidth(200);
    Cancel = new QPushButton("Cancel", this);
    Cancel->setObjectName("bn_cancel");
    Cancel->setToolTip("Stop the search and show what it has found so far");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Label);
    row->addWidget(Bar);
    row->addWidget(Cancel);
    hide();
}

void TSearchProgress::Begin(const QString& caption) {
    Caption = caption;
    Label->setText(caption + " ...");
    Bar->setRange(0, 0);  // busy until the first satellite is done
    Cancel->setEnabled(true);
    show();
}

void TSearchProgress::Show(std::size_t done, std::size_t total) {
    if (isHidden() || total == 0) return;
    Label->setText(QString("%1: %2 of %3 satellites").arg(Caption).arg(done).arg(total));
    Bar->setRange(0, static_cast<int>(std::min<std::size_t>(total, 1u << 30)));
    Bar->setValue(static_cast<int>(std::min(done, total)));
}

void TSearchProgress::End() { hide(); }

QString TSearchProgress::text() const { return Label->text(); }

// ---- runner ----------------------------------------------------------------------------

TSearchRunner::TSearchRunner(TSearchProgress* progress, QObject* parent) : QObject(parent), Progress(progress) {
    connect(Progress->cancelButton(), &QPushButton::clicked, this, &TSearchRunner::Cancel);
}

TSearchRunner::~TSearchRunner() {
    if (Control) Control->cancel = true;
    Workers.DropResults();
}

void TSearchRunner::ShowProgress(const std::shared_ptr<TProgressShare>& share) {
    if (share != Share) return;  // an earlier search's
    share->shown = share->done;
    Progress->Show(share->shown, share->total);
    if (share->trailing) return;
    share->trailing = true;
    QTimer::singleShot(kProgressEveryMs, this, [this, share] {
        share->trailing = false;
        if (share->done != share->shown) ShowProgress(share);
    });
}

void TSearchRunner::Cancel() {
    if (!Control) return;
    Control->cancel = true;
    Progress->cancelButton()->setEnabled(false);
}

void TSearchRunner::Start(int code, const QString& caption, TBody body) {
    if (BusyFlag) return;
    auto control = std::make_shared<TSearchControl>();
    auto share = std::make_shared<TProgressShare>();
    // The UI hears of progress once per turn of its event loop at most, and
    // then not again within kProgressEveryMs but for the last count; counts
    // passed over are caught up by ShowProgress's later look.
    control->progress = [this, share, hook = CountHook](std::size_t done, std::size_t total) {
        if (hook) hook(done, total);
        share->done = done;
        share->total = total;
        const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count();
        if (done < total && now - share->lastPostMs.load() < kProgressEveryMs) return;
        if (share->posted.exchange(true)) return;
        share->lastPostMs = now;
        Workers.Post([this, share] {
            share->posted = false;
            ShowProgress(share);
        });
    };
    Control = control;
    Share = share;
    Progress->Begin(caption);
    Workers.Start(
        code,
        [this, control, body = std::move(body)]() -> TWorkers::TApply {
            TWorkers::TApply show;
            // A search's threads (this one and those it starts, which take
            // its priority) give way to the window's when they share a core.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kSearchNice);
            try {
                show = body(*control);
            } catch (...) {
                TSearchStatus failed;
                failed.cutShort = true;
                failed.failure = TWorkers::Reason(std::current_exception());
                show = [this, failed] {
                    if (Failed) Failed(failed);
                    else Workers.Diagnostics().Tell("The search failed: " + failed.failure);
                };
            }
            return [this, control, show = std::move(show)] {
                if (Control == control) Control.reset();
                Progress->End();
                if (show) show();
            };
        },
        &BusyFlag);
}
