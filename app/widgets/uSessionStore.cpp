#include "uSessionStore.h"

#include <algorithm>

std::string TSatSelection::ObjectOf(const TSatRec& sat) {
    // A record without a number is known by its name.
    return sat.catNo.view().empty() ? "name:" + sat.name.str() : sat.catNo.str();
}

TSatSelection TSatSelection::Of(const std::vector<TSatRec>& list, const std::vector<bool>& ticks) {
    TSatSelection s;
    for (std::size_t i = 0; i < list.size(); ++i) {
        TKey key{ObjectOf(list[i]), list[i].epoch};
        if (i < ticks.size() && ticks[i]) {
            s.Sets.insert(key);
            s.Objects.insert(key.first);
        }
        s.AllObjects.insert(key.first);
        s.Known.insert(std::move(key));
    }
    return s;
}

TSatSelection TSatSelection::FromRecords(const std::vector<TSatRec>& list) {
    std::vector<bool> ticks(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) ticks[i] = list[i].selected != 0;
    return Of(list, ticks);
}

bool TSatSelection::Ticked(const TSatRec& sat) const {
    TKey key{ObjectOf(sat), sat.epoch};
    if (Sets.count(key)) return true;
    return !Known.count(key) && Objects.count(key.first);
}

std::vector<bool> TSatSelection::TicksFor(const std::vector<TSatRec>& list) const {
    std::vector<bool> ticks(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) ticks[i] = Ticked(list[i]);
    return ticks;
}

TSessionStore::TSessionStore(TSession session, QObject* parent) : QObject(parent), S(std::move(session)) {
    Ticks = TSatSelection::FromRecords(S.MainSats).TicksFor(S.MainSats);
}

std::shared_ptr<const std::vector<TSatRec>> TSessionStore::MainSnapshot() const {
    return std::make_shared<const std::vector<TSatRec>>(S.MainSats);
}

std::shared_ptr<const std::vector<TSatRec>> TSessionStore::IridiumSnapshot() const {
    return std::make_shared<const std::vector<TSatRec>>(S.IridiumSats);
}

std::size_t TSessionStore::TrackedCount() const { return static_cast<std::size_t>(std::count(Ticks.begin(), Ticks.end(), true)); }

void TSessionStore::ApplyTicks() {
    Ticks.resize(S.MainSats.size());
    for (std::size_t i = 0; i < S.MainSats.size(); ++i) S.MainSats[i].selected = Ticks[i] ? 1 : 0;
}

void TSessionStore::LoadMain(std::vector<TSatRec> list) {
    Ticks = TSatSelection::FromRecords(list).TicksFor(list);
    S.MainSats = std::move(list);
    ApplyTicks();
    MainFromFile = true;
    ++MainGen;
    emit catalogueChanged(TCatalogue::main);
}

void TSessionStore::SetMainSats(std::vector<TSatRec> list, bool takeTicks) {
    const TSatSelection kept = takeTicks ? TSatSelection::FromRecords(list) : TSatSelection::Of(S.MainSats, Ticks);
    Ticks = kept.TicksFor(list);
    S.MainSats = std::move(list);
    ApplyTicks();
    ++MainGen;
    emit catalogueChanged(TCatalogue::main);
}

void TSessionStore::SetIridiumSats(std::vector<TSatRec> list) {
    S.IridiumSats = std::move(list);
    ++IridiumGen;
    emit catalogueChanged(TCatalogue::iridium);
}

void TSessionStore::SetSkySats(std::vector<TSatRec> list) {
    S.SkySats = std::move(list);
    emit catalogueChanged(TCatalogue::sky);
}

void TSessionStore::SetObserver(const TObserver& observer) {
    S.Observer = observer;
    emit observerChanged();
}

void TSessionStore::SetOptions(const TOptions& options) {
    S.Options = options;
    S.DistanceFactor = S.Options.metric ? 1.0 : kMilesPerKm;
    emit optionsChanged();
}

void TSessionStore::SetTime(double t) {
    S.CurrentTime = t;
    emit clockChanged(t);
}
