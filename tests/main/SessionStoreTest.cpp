// The session store: ticks kept by set across lists that replace the main
// list, and its signals reaching an open search window.
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QStatusBar>

#include "SearchWndTestUtil.h"
#include "frPrediction.h"
#include "uSessionStore.h"

namespace {

TTestSat Sat(const std::string& catNo, const std::string& name, double epochDay = 22.0) {
    TTestSat s;
    s.catNo = catNo;
    s.name = name;
    s.epochDay = epochDay;
    return s;
}

std::vector<bool> Ticks(const TSessionStore& store) {
    std::vector<bool> t;
    for (std::size_t i = 0; i < store.session().MainSats.size(); ++i) t.push_back(store.Tracked(i));
    return t;
}

TEST(SessionStore, TicksSurviveAReloadOfTheSameSets) {
    TSessionStore store;
    QSignalSpy changed(&store, &TSessionStore::catalogueChanged);
    // Two sets of one object (both ticked), one untracked object, one tracked.
    store.LoadMain({Sat("90001", "A").Record(true), Sat("90001", "A", 30.0).Record(true),
                    Sat("90002", "B").Record(false), Sat("90003", "C").Record(true)});
    EXPECT_EQ(Ticks(store), (std::vector<bool>{true, true, false, true}));
    EXPECT_TRUE(store.MainLoaded());
    const unsigned loaded = store.MainGeneration();

    // An update in another order whose records carry no ticks: C got newer
    // elements, A lost a set, B is unticked still, D is new.
    store.SetMainSats({Sat("90003", "C", 40.0).Record(false), Sat("90002", "B").Record(false),
                       Sat("90001", "A", 30.0).Record(false), Sat("90004", "D").Record(false)},
                      false);
    EXPECT_EQ(Ticks(store), (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(store.TrackedCount(), 2u);
    EXPECT_GT(store.MainGeneration(), loaded);
    // The records carry the ticks for the searches, the views and MainSat.bin.
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(store.session().MainSats[i].selected != 0, store.Tracked(i)) << i;
    EXPECT_EQ(changed.count(), 2);

    // The selector's list is the user's choice: its ticks are taken.
    std::vector<TSatRec> chosen = store.session().MainSats;
    chosen[0].selected = 0;
    chosen[1].selected = 1;
    store.SetMainSats(chosen, true);
    EXPECT_EQ(Ticks(store), (std::vector<bool>{false, true, true, false}));

    // Records edited in place keep their ticks even if the edit touched the byte.
    store.EditMainRecords([](std::vector<TSatRec>& list) {
        for (TSatRec& s : list) {
            s.stdMag = 1.0;
            s.selected = 0;
        }
    });
    EXPECT_EQ(Ticks(store), (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(store.session().MainSats[2].selected, 1);
}

struct TStoreWndTest : TOneWindowTest<TfrPredictionWnd> {};

TEST_F(TStoreWndTest, StoreChangesReachAnOpenPredictionWindow) {
    session.MainSats = {Sat("90001", "A").Record(true), Sat("90002", "B").Record(true)};
    TfrPredictionWnd& w = Open();
    ASSERT_EQ(w.cklb_linetab->count(), 2);
    w.cklb_linetab->item(1)->setCheckState(Qt::Unchecked);  // the window's own tick

    // An update brings newer elements of B and a new, tracked C: the window's
    // list follows, B keeps the window's tick, C comes with the main list's.
    store->SetMainSats({Sat("90001", "A").Record(true), Sat("90002", "B", 25.0).Record(true),
                        Sat("90003", "C").Record(true)},
                       true);
    ASSERT_EQ(w.cklb_linetab->count(), 3);
    EXPECT_EQ(w.cklb_linetab->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(w.cklb_linetab->item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w.cklb_linetab->item(2)->checkState(), Qt::Checked);
    EXPECT_FALSE(w.listStale());

    // The unit of the ground-track limit follows the options.
    auto* track = w.findChild<QLabel*>("lb_track");
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->text(), "Track(km)");
    store->EditOptions([](TOptions& o) { o.metric = 0; });
    EXPECT_EQ(track->text(), "Track(mi)");
}

}  // namespace
