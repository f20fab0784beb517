#include "uAlerts.h"

#include <algorithm>
#include <cmath>

#include "uCatNumber.h"
#include "uFormat.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uPassSearch.h"
#include "uText.h"
#include "uUnits.h"

namespace {
// Searches start this long before the period, so a pass under way at its
// start is seen whole (its true AOS) and not as one rising at the start.
constexpr double kLeadIn = 2.0 / 24.0;
// ... and end this long after the last lead, so no pass of the period is cut at the end.
constexpr double kLeadOut = 2.0 / 24.0;
// A plan keeps the items this long before its start.
constexpr double kKeepBefore = 10.0 / kMinutesPerDay;

long long MinuteOf(double t) { return static_cast<long long>(std::floor(t * kMinutesPerDay + 1e-9)); }

// The satellites of a rule, every one of them searched.
std::vector<TSatRec> RuleSatellites(const TAlertRule& rule, const TAlertPlanInputs& in,
                                    std::vector<std::string>& problems) {
    std::vector<TSatRec> sats;
    switch (rule.satellites) {
        case TAlertSatellites::kTracked:
            for (std::size_t i = 0; i < in.catalogue.size(); ++i)
                if (in.tracked(i)) sats.push_back(in.catalogue[i]);
            break;
        case TAlertSatellites::kList:
            for (const std::string& n : rule.numbers) {
                const long value = CatalogueNumberValue(n);
                const auto found = std::find_if(in.catalogue.begin(), in.catalogue.end(), [&](const TSatRec& s) {
                    return CatalogueNumberValue(s.catNo.view()) == value;
                });
                if (found == in.catalogue.end())
                    problems.push_back("rule '" + rule.name + "': no satellite " + n + " in the satellite list");
                else
                    sats.push_back(*found);
            }
            break;
        case TAlertSatellites::kFile: {
            const std::string path = !rule.file.empty() && rule.file[0] == '/' ? rule.file : in.dataFolder + rule.file;
            std::vector<TElementEntry> entries;
            std::string warning;
            if (const TStatus read = ReadSearchElements(entries, path, in.dataFolder + "Mag.dat", &warning); !read) {
                problems.push_back("rule '" + rule.name + "': " + read.message);
                break;
            }
            for (const TElementEntry& e : entries) {
                TSatRec sat{};
                if (InitSatelliteFromEntry(sat, e, 0.0, 1000.0)) sats.push_back(sat);
            }
            break;
        }
    }
    return sats;
}

bool Keeps(const TAlertRule& rule, const TLinePass& p) {
    if (p.maxElevation < rule.minMaxElevation) return false;
    if (rule.haveMagnitude && (p.shadowed || !(p.magnitude < rule.brighterThan))) return false;
    return true;
}

int LongestLead(const TAlertRule& r) {
    int lead = std::max(0, r.actionLeadMinutes);
    for (int m : r.leadMinutes) lead = std::max(lead, m);
    return lead;
}
}  // namespace

TAlertPass AlertPassOf(const TLinePass& p, const TSatRec& sat) {
    TAlertPass a;
    a.number = std::string(TrimText(sat.catNo.view()));
    a.numberValue = CatalogueNumberValue(sat.catNo.view());
    a.name = std::string(TrimText(sat.name.view()));
    a.aos = p.aos, a.middle = p.middle, a.los = p.los;
    a.aosAzimuth = p.aosAzimuth, a.maxElevation = p.maxElevation, a.maxAzimuth = p.maxAzimuth;
    a.losAzimuth = p.losAzimuth;
    a.aosElevation = p.aosElevation, a.losElevation = p.losElevation;
    a.magnitude = p.magnitude;
    a.haveMagnitude = !p.shadowed;
    a.estimated = !SatMagnitudeKnown(sat);
    a.aosMinute = MinuteOf(p.aos);
    return a;
}

const char* ActionEventName(TAlertKind kind) {
    switch (kind) {
        case TAlertKind::kActionLead: return "LEAD";
        case TAlertKind::kActionLos: return "LOS";
        default: return "AOS";
    }
}

TAlertPlan PlanAlerts(const TAlertPlanInputs& in, TSearchControl* control) {
    TAlertPlan plan;
    plan.from = in.from;
    plan.to = in.from + in.hours / 24.0;
    // A pass several rules keep is one pass: its notifications are the
    // union of their leads, its programs those of each rule.
    struct TKept {
        TAlertPass pass;
        std::vector<std::size_t> rules;
    };
    std::vector<TKept> kept;
    for (std::size_t r = 0; r < in.rules.size(); ++r) {
        const TAlertRule& rule = in.rules[r];
        if (!rule.enabled) continue;
        if (control && control->cancel.load()) break;
        const std::vector<TSatRec> sats = RuleSatellites(rule, in, plan.problems);
        if (sats.empty()) continue;
        TPredictionInputs search;
        search.start = plan.from - kLeadIn;
        search.stop = plan.to + LongestLead(rule) / kMinutesPerDay + kLeadOut;
        search.minElevation = Radians(rule.minElevation);
        search.sunAltitude = Radians(rule.sunAltitude);
        search.minRevs = 2.0;  // anything that rises and sets in a day or less
        search.sunlitOnly = rule.visibleOnly;
        search.dayAndNight = !rule.visibleOnly;
        search.horizon = in.horizon;
        const TPredictionResult result = RunLineSearch(search, sats, in.observer, 0, control);
        if (!result.status.failure.empty()) plan.problems.push_back("rule '" + rule.name + "': " + result.status.failure);
        for (const TLinePass& p : result.linePasses) {
            // Cut by the search's start: its AOS is not known.
            if (p.aos <= search.start + 1.0 / kSecondsPerDay) continue;
            if (!Keeps(rule, p)) continue;
            TAlertPass a = AlertPassOf(p, sats[p.satellite]);
            a.rule = r;
            const auto same = std::find_if(kept.begin(), kept.end(), [&](const TKept& k) {
                return k.pass.numberValue == a.numberValue && std::llabs(k.pass.aosMinute - a.aosMinute) <= 1;
            });
            if (same == kept.end())
                kept.push_back({a, {r}});
            else
                same->rules.push_back(r);
        }
    }
    std::stable_sort(kept.begin(), kept.end(), [](const TKept& a, const TKept& b) { return a.pass.aos < b.pass.aos; });
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const TAlertPass& p = kept[i].pass;
        plan.passes.push_back(p);
        std::vector<int> leads;
        for (std::size_t r : kept[i].rules) {
            const TAlertRule& rule = in.rules[r];
            for (int m : rule.leadMinutes)
                if (std::find(leads.begin(), leads.end(), m) == leads.end()) leads.push_back(m);
            if (!rule.aosProgram.empty()) {
                plan.items.push_back({TAlertKind::kActionAos, 0, p.aos, i, r});
                if (rule.actionLeadMinutes >= 0)
                    plan.items.push_back({TAlertKind::kActionLead, rule.actionLeadMinutes,
                                          p.aos - rule.actionLeadMinutes / kMinutesPerDay, i, r});
            }
            if (!rule.losProgram.empty()) plan.items.push_back({TAlertKind::kActionLos, 0, p.los, i, r});
        }
        for (int m : leads) plan.items.push_back({TAlertKind::kNotify, m, p.aos - m / kMinutesPerDay, i, kept[i].pass.rule});
    }
    // Items a little before the start stay: a plan worked out while the
    // clock ran on must not lose what fell due meanwhile (the ledger keeps
    // them from being told twice).
    std::erase_if(plan.items, [&](const TAlertItem& it) {
        return it.when < plan.from - kKeepBefore || it.when >= plan.to;
    });
    // Only passes that still have items, in AOS order as before.
    std::vector<bool> usedPass(plan.passes.size(), false);
    for (const TAlertItem& it : plan.items) usedPass[it.pass] = true;
    std::vector<std::size_t> index(plan.passes.size(), 0);
    std::vector<TAlertPass> used;
    for (std::size_t i = 0; i < plan.passes.size(); ++i)
        if (usedPass[i]) {
            index[i] = used.size();
            used.push_back(plan.passes[i]);
        }
    plan.passes = std::move(used);
    for (TAlertItem& it : plan.items) it.pass = index[it.pass];
    std::stable_sort(plan.items.begin(), plan.items.end(),
                     [](const TAlertItem& a, const TAlertItem& b) { return a.when < b.when; });
    return plan;
}

TAlertKey KeyOf(const TAlertPlan& plan, const TAlertItem& item) {
    const TAlertPass& p = plan.passes[item.pass];
    const int kind = static_cast<int>(item.kind);
    const int detail = item.kind == TAlertKind::kNotify ? item.lead : static_cast<int>(item.rule);
    return {p.numberValue, p.aosMinute, kind * 100000 + detail};
}

std::string PassKeyText(const TAlertPass& pass) {
    return pass.number + " " + FormatDateTime("yyyy-mm-dd HH:nn", pass.aosMinute / kMinutesPerDay);
}

std::string PassSummary(const TAlertPass& pass) {
    std::string s = Latin1ToUtf8(pass.name) + " " + std::to_string(static_cast<int>(std::lround(pass.maxElevation))) +
                    "\xC2\xB0";
    if (pass.haveMagnitude) {
        std::string mag = FormatFloat("0.0", std::fabs(pass.magnitude));
        // A true minus sign, as a calendar or a notification shows it.
        const bool negative = pass.magnitude < 0.0 && mag != "0.0";
        s += " mag " + std::string(negative ? "\xE2\x88\x92" : "") + mag + (pass.estimated ? " est" : "");
    }
    return s;
}

std::string AlertItemText(const TAlertItem& item) {
    switch (item.kind) {
        case TAlertKind::kNotify: return item.lead == 0 ? "at AOS" : std::to_string(item.lead) + " min before AOS";
        case TAlertKind::kActionLead: return "program " + std::to_string(item.lead) + " min before AOS";
        case TAlertKind::kActionAos: return "program at AOS";
        case TAlertKind::kActionLos: return "program at LOS";
    }
    return {};
}

bool TAlertLedger::Fired(const TAlertKey& key) const {
    for (long long d = -1; d <= 1; ++d)
        if (fired_.count({key.number, key.aosMinute + d, key.what})) return true;
    return false;
}

void TAlertLedger::ForgetBefore(double t) {
    const long long minute = MinuteOf(t);
    std::erase_if(fired_, [&](const TAlertKey& k) { return k.aosMinute < minute; });
}

std::vector<TAlertItem> TakeDueAlerts(const TAlertPlan& plan, TAlertLedger& ledger, double previous, double now,
                                      double maxStep) {
    std::vector<TAlertItem> due;
    if (!(now > previous) || now - previous > maxStep) return due;
    for (const TAlertItem& item : plan.items) {
        if (!(item.when > previous && item.when <= now)) continue;
        const TAlertKey key = KeyOf(plan, item);
        if (ledger.Fired(key)) continue;
        ledger.Mark(key);
        due.push_back(item);
    }
    return due;
}
