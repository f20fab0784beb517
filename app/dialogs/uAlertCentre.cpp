#include "uAlertCentre.h"

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstring>

#include "uFormat.h"
#include "uHorizonMask.h"
#include "uInitialize.h"
#include "uNotifier.h"
#include "uUnits.h"

namespace {
constexpr int kCheckMs = 1000;

// What tells a file's change: its time and size (zeros when it is not there).
struct TFileStamp {
    long long seconds = 0, nanoseconds = 0, size = -1;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp StampOf(const std::string& path) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) return {};
    return {st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_size};
}

std::string DegreesText(double value) { return std::to_string(static_cast<int>(std::lround(value))) + "\xC2\xB0"; }
}  // namespace

TAlertCentre::TAlertCentre(const TSessionStore& store, TDesktopNotifier* notifier, QObject* parent)
    : QObject(parent), Store(store), Session(store.session()), Notifier(notifier), Clock([] { return NowDayNumber(); }) {
    // Ticks change with the main list (the store writes them into its records).
    connect(&store, &TSessionStore::catalogueChanged, this, [this](TCatalogue which) {
        if (which == TCatalogue::main) ++InputsGeneration;
    });
    connect(&store, &TSessionStore::observerChanged, this, [this] { ++InputsGeneration; });
    Timer.setInterval(kCheckMs);
    connect(&Timer, &QTimer::timeout, this, &TAlertCentre::Check);
    LoadRules();
}

TAlertCentre::~TAlertCentre() {
    Stop->store(true);
    if (PlanControl) PlanControl->cancel.store(true);
    Workers.DropResults();
}

std::string TAlertCentre::rulesPath() const { return Session.DataFolder + kAlertRulesFile; }

void TAlertCentre::LoadRules() {
    const TFileStamp stamp = StampOf(rulesPath());
    RulesStamp = {stamp.seconds, stamp.nanoseconds, stamp.size};
    TAlertRulesRead read = ReadAlertRules(rulesPath());
    Rules = std::move(read.rules);
    RuleProblems.clear();
    for (const std::string& p : read.problems) RuleProblems.push_back(std::string(kAlertRulesFile) + ": " + p);
    if (!read.readable) RuleProblems.push_back(std::string(kAlertRulesFile) + " could not be read");
    Problems = RuleProblems;
    ++RulesGeneration;
    emit PlanChanged();
}

TStatus TAlertCentre::SaveRules(const std::vector<TAlertRule>& rules) {
    if (TStatus saved = WriteAlertRules(rulesPath(), rules); !saved) return saved;
    const TFileStamp stamp = StampOf(rulesPath());
    RulesStamp = {stamp.seconds, stamp.nanoseconds, stamp.size};
    Rules = rules;
    RuleProblems.clear();
    Problems.clear();
    ++RulesGeneration;
    Check();
    emit PlanChanged();
    return TStatus::Success();
}

TAlertCentre::TPlanKey TAlertCentre::InputsKey() const {
    // The mask file may be edited outside the program: its stamp is read each time.
    const TFileStamp mask = StampOf(ObserverHorizonPath(Session.DataFolder, Session.Observer.name.str()));
    return {InputsGeneration, RulesGeneration, {mask.seconds, mask.nanoseconds, mask.size}};
}

void TAlertCentre::Check() {
    const double now = Clock();
    if (LastCheck == 0) LastCheck = now;
    // The rules file edited by hand while the program runs.
    const TFileStamp stamp = StampOf(rulesPath());
    if (std::array<long long, 3>{stamp.seconds, stamp.nanoseconds, stamp.size} != RulesStamp) LoadRules();
    if (!Planning) {
        const TPlanKey key = InputsKey();
        if (!HavePlan || key != PlanKey || now >= Plan->from + kReplanHours / 24.0 || now < Plan->from)
            StartPlan(key, now);
    }
    if (HavePlan) {
        for (const TAlertItem& item : TakeDueAlerts(*Plan, Ledger, LastCheck, now)) Deliver(item);
        Ledger.ForgetBefore(now - 1.0);
    }
    LastCheck = now;
}

void TAlertCentre::StartPlan(TPlanKey key, double now) {
    if (Rules.empty()) {
        // Nothing to search: an empty plan at once.
        auto empty = std::make_shared<TAlertPlan>();
        empty->from = now;
        empty->to = now + kAlertPlanHours / 24.0;
        Plan = std::move(empty);
        PlanRules.clear();
        PlanKey = key;
        HavePlan = true;
        Problems = RuleProblems;
        emit PlanChanged();
        return;
    }
    TAlertPlanInputs in;
    in.rules = Rules;
    in.catalogue = Session.MainSats;
    in.tracked = Store.TrackedChoice();
    in.dataFolder = Session.DataFolder;
    in.observer = Session.Observer;
    in.from = now;
    in.hours = kAlertPlanHours;
    const std::string maskPath = ObserverHorizonPath(Session.DataFolder, Session.Observer.name.str());
    PlanControl = std::make_shared<TSearchControl>();
    Workers.Start(kWorkerAlertPlan, [this, in = std::move(in), maskPath, key, control = PlanControl]() mutable
                  -> TWorkers::TApply {
        std::string maskProblem;
        struct stat st{};
        if (stat(maskPath.c_str(), &st) == 0) {
            // A mask that cannot be read is said so and not used, never half-used.
            THorizonRead read = ReadHorizonFile(maskPath, HorizonFormatForName(maskPath));
            if (read.ok)
                in.horizon = std::make_shared<const THorizonMask>(std::move(read.mask));
            else
                maskProblem = "horizon mask " + maskPath + ": " + read.error + "; alerts are worked out without it";
        }
        auto plan = std::make_shared<TAlertPlan>(PlanAlerts(in, control.get()));
        if (!maskProblem.empty()) plan->problems.insert(plan->problems.begin(), maskProblem);
        auto rules = std::make_shared<std::vector<TAlertRule>>(std::move(in.rules));
        return [this, plan, rules, key] {
            Plan = plan;
            PlanRules = std::move(*rules);
            PlanKey = key;
            HavePlan = true;
            Problems = RuleProblems;
            Problems.insert(Problems.end(), plan->problems.begin(), plan->problems.end());
            emit PlanChanged();
            // What changed meanwhile is planned at the next check.
        };
    }, &Planning);
}

std::string TAlertCentre::ShownTime(double utc, const char* pattern) const {
    return FormatDateTime(pattern, ShowsUtc() ? utc : utc + ObserverOffsetAt(Session.Observer, utc));
}

std::string TAlertCentre::BodyText(const TAlertItem& item) const {
    const TAlertPass& p = Plan->passes[item.pass];
    const bool utcMode = ShowsUtc();
    const auto at = [&](double utc) { return ShownTime(utc); };
    const std::string when = item.lead > 0 ? "AOS in " + std::to_string(item.lead) + " min" : "AOS now";
    return when + ": " + at(p.aos) + " at " + DegreesText(p.aosAzimuth) + ", highest " + DegreesText(p.maxElevation) +
           " at " + at(p.middle) + ", LOS " + at(p.los) + " at " + DegreesText(p.losAzimuth) + (utcMode ? " (UTC)" : "");
}

void TAlertCentre::Deliver(const TAlertItem& item) {
    ++Delivered;
    if (item.kind != TAlertKind::kNotify) {
        StartAction(item);
        return;
    }
    const TAlertPass& p = Plan->passes[item.pass];
    if (Notifier)
        Notifier->Notify(QString::fromStdString(PassSummary(p)), QString::fromStdString(BodyText(item)),
                         p.numberValue);
}

void TAlertCentre::StartAction(const TAlertItem& item) {
    if (item.rule >= PlanRules.size()) return;
    const TAlertRule& rule = PlanRules[item.rule];
    const TAlertPass& p = Plan->passes[item.pass];
    TActionRun run;
    run.argv = item.kind == TAlertKind::kActionLos ? rule.losProgram : rule.aosProgram;
    if (run.argv.empty()) return;
    run.timeoutSeconds = rule.actionTimeoutSeconds;
    TActionEvent event;
    event.name = Latin1ToUtf8(p.name);
    event.number = p.number;
    event.event = ActionEventName(item.kind);
    event.timeUtc = item.kind == TAlertKind::kActionLos ? p.los : p.aos;
    event.maxElevation = p.maxElevation;
    event.azimuth = item.kind == TAlertKind::kActionLos ? p.losAzimuth : p.aosAzimuth;
    run.env = ActionEnvironment(event);

    TActionLogEntry entry;
    entry.when = Clock();
    entry.satellite = event.name;
    entry.event = event.event;
    entry.program = JoinCommandLine(run.argv);
    entry.outcome = "running";
    ActionLog.push_front(entry);
    if (ActionLog.size() > kMaxActionLog) ActionLog.pop_back();
    // Entries move as new ones come; this one is found again by its start and program.
    const double when = entry.when;
    const std::string program = entry.program;
    auto stop = Stop;
    Workers.Start(kWorkerAlertAction, [run, stop, when, program, this]() -> TWorkers::TApply {
        const TActionResult result = RunAction(run, stop.get());
        const std::string outcome = ActionOutcomeText(result, run.timeoutSeconds);
        return [this, result, outcome, when, program] {
            for (TActionLogEntry& e : ActionLog)
                if (!e.finished && e.when == when && e.program == program) {
                    e.finished = true;
                    e.result = result;
                    e.outcome = outcome;
                    break;
                }
            emit ActionsChanged();
        };
    });
    emit ActionsChanged();
}

std::vector<TAlertItem> TAlertCentre::Coming() const {
    const double now = Clock();
    std::vector<TAlertItem> items;
    for (const TAlertItem& item : Plan->items)
        if (item.when >= now && item.when < now + 1.0) items.push_back(item);
    return items;
}
