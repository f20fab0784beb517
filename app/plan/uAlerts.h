// Pass alerts worked out from the line search: the coming events of a
// period (notifications a lead time before AOS, programs at AOS and LOS)
// for a set of rules, and a ledger of what was delivered, so that a pass is
// never told twice however often the plan is worked out again.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "SatTypes.h"
#include "uAlertRules.h"
#include "uSearchPool.h"
#include "uSearchTypes.h"
#include "uVarDef.h"

// One pass that a rule keeps.
struct TAlertPass {
    std::string number;        // catalogue number as the catalogue spells it
    long long numberValue = 0; // as a number (Alpha-5 decoded)
    std::string name;          // trimmed, Latin-1
    std::size_t rule = 0;      // first rule that keeps it
    double aos = 0, middle = 0, los = 0;  // UTC day numbers
    double aosAzimuth = 0, maxElevation = 0, maxAzimuth = 0, losAzimuth = 0;  // degrees
    double aosElevation = 0, losElevation = 0;                               // degrees
    double magnitude = 0;
    bool haveMagnitude = false;  // false: in the Earth's shadow at its highest
    bool estimated = false;      // no standard magnitude known: the magnitude is a guess
    long long aosMinute = 0;     // AOS in whole minutes since the day-number epoch
};

enum class TAlertKind : uint8_t {
    kNotify,      // a notification, lead minutes before AOS (0: at AOS)
    kActionLead,  // a rule's AOS program, its action lead before AOS
    kActionAos,
    kActionLos,
};

struct TAlertItem {
    TAlertKind kind = TAlertKind::kNotify;
    int lead = 0;               // minutes before AOS (kNotify, kActionLead)
    double when = 0;            // UTC day number
    std::size_t pass = 0;       // index into TAlertPlan::passes
    std::size_t rule = 0;       // the rule whose program runs (actions)
};

// What identifies an item across plans: the satellite, AOS to the minute and
// what the item does. A refresh that moves AOS over a minute boundary still
// finds it (the ledger accepts the neighbouring minutes).
struct TAlertKey {
    long long number = 0;
    long long aosMinute = 0;
    int what = 0;  // kind * 100000 + lead, or + rule for actions
    bool operator<(const TAlertKey& o) const {
        return std::tie(number, aosMinute, what) < std::tie(o.number, o.aosMinute, o.what);
    }
};

struct TAlertPlan {
    double from = 0, to = 0;               // the period of the items, UTC day numbers
    std::vector<TAlertPass> passes;        // in AOS order
    std::vector<TAlertItem> items;         // in time order, from - 10 min <= when < to
    std::vector<std::string> problems;     // satellites or files a rule could not use
};

struct TAlertPlanInputs {
    std::vector<TAlertRule> rules;
    std::vector<TSatRec> catalogue;  // the main list
    TChoice tracked;                 // which of it are "tracked" (default: all)
    std::string dataFolder;          // for rules that name a file, and Mag.dat
    TObserver observer{};
    THorizonHandle horizon;          // the observer's mask; null: none
    double from = 0;                 // UTC day number
    double hours = 24;
};

// The passes and events of every enabled rule from inputs.from for
// inputs.hours, and those of the ten minutes before (a plan worked out
// while the clock ran on still has what fell due meanwhile). A pass under
// way at the start has its true AOS, so its items keep their keys. Runs
// line searches: call it on a worker.
TAlertPlan PlanAlerts(const TAlertPlanInputs& inputs, TSearchControl* control = nullptr);

// A pass of the line search as alerts and calendars see it.
TAlertPass AlertPassOf(const TLinePass& pass, const TSatRec& satellite);

TAlertKey KeyOf(const TAlertPlan& plan, const TAlertItem& item);
// "25544 2018-01-22 23:15" (UTC): the pass an item belongs to.
std::string PassKeyText(const TAlertPass& pass);
// "ISS (ZARYA) 67° mag -3.1" in UTF-8 ("ISS (ZARYA) 67°" in the shadow,
// "... mag 2.4 est" for a magnitude with no standard magnitude known).
std::string PassSummary(const TAlertPass& pass);
// "in 10 min", "AOS", "LOS", "program 5 min before AOS" and the like.
std::string AlertItemText(const TAlertItem& item);
// "AOS", "LOS" or "LEAD": the ORBISK_EVENT of an action.
const char* ActionEventName(TAlertKind kind);

// What has been delivered.
class TAlertLedger {
public:
    bool Fired(const TAlertKey& key) const;
    void Mark(const TAlertKey& key) { fired_.insert(key); }
    // Drops what belongs to passes with AOS before t (UTC day number).
    void ForgetBefore(double t);
    std::size_t Size() const { return fired_.size(); }

private:
    std::set<TAlertKey> fired_;
};

// The items of plan with previous < when <= now that were not delivered
// yet, marked delivered. A clock that went back or jumped further than
// maxStep days gives none (setting the clock is no reason to tell every
// pass in between).
std::vector<TAlertItem> TakeDueAlerts(const TAlertPlan& plan, TAlertLedger& ledger, double previous, double now,
                                      double maxStep = 5.0 / 1440.0);
