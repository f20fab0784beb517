// The pass alerts of the running program: the rules of the data folder, the
// plan of the coming hours worked out on a worker (again when the elements,
// the observer, the horizon mask or the rules change, and each hour), the
// notifications handed to the desktop when they fall due and the programs
// started at AOS and LOS, each once per pass. Alerts follow the computer's
// clock, not the main window's (which may run fast or stand still).
#pragma once
#include <QObject>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uActions.h"
#include "uAlertRules.h"
#include "uAlerts.h"
#include "uSearchPool.h"
#include "uSession.h"
#include "uSessionStore.h"
#include "uWorkers.h"

class TDesktopNotifier;

// The plan covers this many hours from when it is made and is made again
// after kReplanHours, so the next 24 hours are always in it.
inline constexpr double kAlertPlanHours = 25.0;
inline constexpr double kReplanHours = 1.0;
// The action results kept for the Alerts window.
inline constexpr std::size_t kMaxActionLog = 50;

struct TActionLogEntry {
    double when = 0;           // UTC day number the program was started
    std::string satellite;     // UTF-8
    std::string event;         // AOS, LOS or LEAD
    std::string program;       // its command line
    bool finished = false;     // false while it runs
    TActionResult result;
    std::string outcome;       // ActionOutcomeText of the result
};

class TAlertCentre : public QObject {
    Q_OBJECT
public:
    // store: the main window's, read on the UI thread only; its change
    // signals tell when the plan is out of date. notifier may be null.
    TAlertCentre(const TSessionStore& store, TDesktopNotifier* notifier, QObject* parent = nullptr);
    // Stops the programs still running and waits for them.
    ~TAlertCentre() override;

    using TClock = std::function<double()>;
    // The clock alerts follow (the computer's by default).
    void SetClock(TClock clock) { Clock = std::move(clock); }
    // Checks every second by itself once started (the main window's tick checks too).
    void Start() { Timer.start(); }

    // The rules file of the data folder, read again.
    void LoadRules();
    const std::vector<TAlertRule>& rules() const { return Rules; }
    // What the rules file or the last plan could not use, one line each.
    const std::vector<std::string>& problems() const { return Problems; }
    // Written atomically; the plan is then made again. A failure changes nothing.
    TStatus SaveRules(const std::vector<TAlertRule>& rules);
    std::string rulesPath() const;

    // Makes the plan again when what it was made from changed, and delivers what fell due.
    void Check();
    // The plan in use (empty before the first one is made) and whether one is being made.
    const TAlertPlan& plan() const { return *Plan; }
    bool planning() const { return Planning; }
    // Items of the plan from now to 24 hours ahead.
    std::vector<TAlertItem> Coming() const;
    const std::deque<TActionLogEntry>& actionLog() const { return ActionLog; }
    TDesktopNotifier* notifier() const { return Notifier; }
    // Items delivered since the start, notifications and programs.
    int deliveredCount() const { return Delivered; }
    // The notification text of an item: summary (UTF-8) and body.
    std::string BodyText(const TAlertItem& item) const;
    // A time as the main window shows them (local or UTC: ShowsUtc), in pattern (FormatDateTime).
    std::string ShownTime(double utc, const char* pattern = "HH:nn") const;
    bool ShowsUtc() const { return Session.Options.utcDisplay != 0; }

signals:
    void PlanChanged();
    void ActionsChanged();

private:
    // What a plan was made from: the store's changes counted, the rules'
    // and the horizon mask file's stamp.
    struct TPlanKey {
        unsigned inputs = 0, rules = 0;
        std::array<long long, 3> mask{};
        bool operator==(const TPlanKey&) const = default;
    };
    TPlanKey InputsKey() const;
    void StartPlan(TPlanKey key, double now);
    void Deliver(const TAlertItem& item);
    void StartAction(const TAlertItem& item);

    const TSessionStore& Store;
    const TSession& Session;
    TDesktopNotifier* Notifier;
    TClock Clock;
    QTimer Timer;
    std::vector<TAlertRule> Rules;
    std::vector<std::string> RuleProblems, Problems;
    unsigned RulesGeneration = 0;
    unsigned InputsGeneration = 0;  // counts the store's changes of the main list and the observer
    std::array<long long, 3> RulesStamp{};  // the rules file when last read or written
    std::shared_ptr<const TAlertPlan> Plan = std::make_shared<TAlertPlan>();
    std::vector<TAlertRule> PlanRules;  // the rules the plan was made with
    TPlanKey PlanKey;
    bool HavePlan = false, Planning = false;
    TAlertLedger Ledger;
    double LastCheck = 0;
    int Delivered = 0;
    std::deque<TActionLogEntry> ActionLog;
    std::shared_ptr<TSearchControl> PlanControl;
    std::shared_ptr<std::atomic<bool>> Stop = std::make_shared<std::atomic<bool>>(false);
    // Last, so it is destroyed first: the jobs end while the rest exists.
    TWorkers Workers;
};
