// The session with change signals. The main window owns one store and is
// its only writer, always on the UI thread; the search windows and the alert
// centre read it on the UI thread and follow its signals to refresh what
// they show, and a job takes a snapshot (a copy) of what it reads.
//
// Which satellites are tracked is kept here, by set (catalogue number and
// epoch), not in the records: the records' tick byte is written from it so
// the searches, the views and MainSat.bin see it as before, and a list that
// replaces the main list keeps the ticks of the sets it still holds.
#pragma once
#include <QObject>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "uChoice.h"
#include "uSession.h"

enum class TCatalogue { main, iridium, sky };

// Ticks by set: what a reload of the same satellites keeps.
class TSatSelection {
public:
    // The ticks the records carry (a catalogue file's, a selector's).
    static TSatSelection FromRecords(const std::vector<TSatRec>& list);
    // ticks[i] for list[i].
    static TSatSelection Of(const std::vector<TSatRec>& list, const std::vector<bool>& ticks);
    // A set ticked here stays ticked; a set new to a ticked object is ticked
    // (an update that brought newer elements); every other one is not.
    bool Ticked(const TSatRec& sat) const;
    // The ticks of list by that rule, one per record.
    std::vector<bool> TicksFor(const std::vector<TSatRec>& list) const;
    // Some set of sat's object was in the list this was made from.
    bool KnowsObject(const TSatRec& sat) const { return AllObjects.count(ObjectOf(sat)) != 0; }
    std::size_t size() const { return Sets.size(); }

private:
    using TKey = std::pair<std::string, double>;  // object, epoch
    static std::string ObjectOf(const TSatRec& sat);
    std::set<TKey> Sets, Known;
    std::set<std::string> Objects, AllObjects;
};

class TSessionStore : public QObject {
    Q_OBJECT
public:
    explicit TSessionStore(TSession session = {}, QObject* parent = nullptr);

    const TSession& session() const { return S; }
    // The owner's own state in the session (tracked states, the track span,
    // the next pass, folders, sky data): no signal. The parts with signals
    // change only through the calls below.
    TSession& owned() { return S; }

    // ---- snapshots, for jobs and windows that keep what they read
    std::shared_ptr<const std::vector<TSatRec>> MainSnapshot() const;
    std::shared_ptr<const std::vector<TSatRec>> IridiumSnapshot() const;
    TObserver observer() const { return S.Observer; }
    TOptions options() const { return S.Options; }
    double time() const { return S.CurrentTime; }
    bool Tracked(std::size_t mainIndex) const { return mainIndex < Ticks.size() && Ticks[mainIndex]; }
    // The tracked records of the main list, for a search or a frame.
    TChoice TrackedChoice() const { return TChoice::Marked(Ticks); }
    std::size_t TrackedCount() const;
    // Counts replacements of each list: a job that started from one
    // generation gives its list back only while it is still current.
    unsigned MainGeneration() const { return MainGen; }
    unsigned IridiumGeneration() const { return IridiumGen; }
    // The main list is MainSat.bin as read (only then is it saved at close).
    bool MainLoaded() const { return MainFromFile; }

    // ---- changes (UI thread only)
    // The main list read from MainSat.bin: its ticks are the selection.
    void LoadMain(std::vector<TSatRec> list);
    // A new main list that replaces the satellites: the selector's, whose
    // ticks are taken (takeTicks), or an update's, which keeps the store's.
    void SetMainSats(std::vector<TSatRec> list, bool takeTicks);
    // Records of the main list changed in place (magnitudes): same sets.
    template <class F>
    void EditMainRecords(F edit) {
        edit(S.MainSats);
        ApplyTicks();
        emit catalogueChanged(TCatalogue::main);
    }
    void SetIridiumSats(std::vector<TSatRec> list);
    void SetSkySats(std::vector<TSatRec> list);
    void SetObserver(const TObserver& observer);
    template <class F>
    void EditObserver(F edit) {
        edit(S.Observer);
        emit observerChanged();
    }
    // The distance factor follows the options' unit.
    void SetOptions(const TOptions& options);
    template <class F>
    void EditOptions(F edit) {
        TOptions o = S.Options;
        edit(o);
        SetOptions(o);
    }
    void SetTime(double t);
    // The owner filled ActiveIndex (the tracked list and the set each uses).
    void TrackedListChanged() { emit trackedChanged(); }

signals:
    void catalogueChanged(TCatalogue which);
    void trackedChanged();
    void observerChanged();
    void optionsChanged();
    void clockChanged(double t);

private:
    void ApplyTicks();

    TSession S;
    std::vector<bool> Ticks;  // per MainSats record
    unsigned MainGen = 0, IridiumGen = 0;
    bool MainFromFile = false;
};
