// The alert centre on a fixed clock over the bundled sets: the plan it works
// out is the engine's for the same rules, list and observer; notifications
// fall due once each, also after the plan is made again; an AOS program runs
// with the event in its environment. The Alerts window's rule editor saves
// the rules file, refuses what the file would not keep, and reads it back.
// The plan follows the session store's changes.
#include <QComboBox>
#include <QDBusConnection>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "SearchWndTestUtil.h"
#include "frAlerts.h"
#include "uAlertCentre.h"
#include "uNotifier.h"

namespace {

struct TAlertCentreTest : TSearchWndTest {
    double now = Day2018(22, 3);
    std::vector<QString> told;
    std::unique_ptr<TDesktopNotifier> notifier;
    std::unique_ptr<TSessionStore> store;  // made of session with the centre
    std::unique_ptr<TAlertCentre> centre;

    void SetUp() override {
        TSearchWndTest::SetUp();
        session.MainSats = BundledSets({"visual.tle"});
        // No bus: every notification goes to the fallback, which records it.
        notifier = std::make_unique<TDesktopNotifier>(
            QDBusConnection::connectToBus("unix:path=" + QString::fromStdString(folder / "nobus"), "alerts-no-bus"),
            "Skyvane", "orbisk", "orbisk");
        notifier->SetFallback([this](const QString& text) { told.push_back(text); });
    }
    void TearDown() override {
        centre.reset();
        notifier.reset();
        QDBusConnection::disconnectFromBus("alerts-no-bus");
    }
    TAlertCentre& Make() {
        centre.reset();
        store = std::make_unique<TSessionStore>(session);
        centre = std::make_unique<TAlertCentre>(*store, notifier.get());
        centre->SetClock([this] { return now; });
        return *centre;
    }
    bool Planned() {
        centre->Check();
        return WaitFor([&] { return !centre->planning() && !centre->plan().passes.empty(); }, 60000);
    }
    static TAlertRule High() {
        TAlertRule r;
        r.name = "high";
        r.minMaxElevation = 30;
        r.leadMinutes = {10, 1};
        return r;
    }
};

TEST_F(TAlertCentreTest, PlanIsTheEnginesAndEachAlertIsToldOnce) {
    TAlertRule rule = High();
    const std::string envFile = folder / "env.txt";
    rule.aosProgram = {"/bin/sh", "-c", "env | grep ^ORBISK_ | sort > '" + envFile + "'"};
    ASSERT_TRUE(WriteAlertRules(folder / kAlertRulesFile, {rule}));
    TAlertCentre& c = Make();
    ASSERT_EQ(c.rules().size(), 1u);
    ASSERT_TRUE(Planned());

    TAlertPlanInputs in;
    in.rules = {rule};
    in.catalogue = session.MainSats;
    in.dataFolder = session.DataFolder;
    in.observer = session.Observer;
    in.from = now;
    in.hours = kAlertPlanHours;
    const TAlertPlan expected = PlanAlerts(in);
    ASSERT_FALSE(expected.items.empty());
    ASSERT_EQ(c.plan().items.size(), expected.items.size());
    for (std::size_t i = 0; i < expected.items.size(); ++i) {
        EXPECT_EQ(KeyOf(c.plan(), c.plan().items[i]).what, KeyOf(expected, expected.items[i]).what);
        EXPECT_DOUBLE_EQ(c.plan().items[i].when, expected.items[i].when);
    }

    // The clock runs in steps of a minute up to the first program's AOS.
    const auto aos = std::find_if(expected.items.begin(), expected.items.end(),
                                  [](const TAlertItem& it) { return it.kind == TAlertKind::kActionAos; });
    ASSERT_NE(aos, expected.items.end());
    std::size_t notices = 0;
    for (const TAlertItem& it : expected.items)
        if (it.kind == TAlertKind::kNotify && it.when <= aos->when + 1.0 / kSecondsPerDay) ++notices;
    while (now < aos->when + 1.0 / kSecondsPerDay) {
        now = std::min(now + 1.0 / kMinutesPerDay, aos->when + 1.0 / kSecondsPerDay);
        c.Check();
    }
    ASSERT_TRUE(WaitFor([&] { return told.size() == notices; }, 5000)) << told.size() << " of " << notices;
    const TAlertPass& pass = expected.passes[expected.items.front().pass];
    EXPECT_TRUE(told.front().startsWith(QString::fromStdString(PassSummary(pass)))) << told.front().toStdString();
    EXPECT_TRUE(told.front().contains("AOS in 10 min")) << told.front().toStdString();

    // The program ran with the event of its pass.
    ASSERT_TRUE(WaitFor([&] { return !c.actionLog().empty() && c.actionLog().front().finished; }, 20000));
    EXPECT_EQ(c.actionLog().front().outcome, "exit 0");
    EXPECT_EQ(c.actionLog().front().event, "AOS");
    std::stringstream env;
    env << std::ifstream(envFile).rdbuf();
    const TAlertPass& ran = expected.passes[aos->pass];
    EXPECT_NE(env.str().find("ORBISK_EVENT=AOS\n"), std::string::npos) << env.str();
    EXPECT_NE(env.str().find("ORBISK_NUMBER=" + ran.number + "\n"), std::string::npos) << env.str();

    // The same rules saved again make the plan again: nothing is told twice.
    const std::size_t before = told.size();
    ASSERT_TRUE(c.SaveRules(c.rules()));
    ASSERT_TRUE(Planned());
    now += 1.0 / kSecondsPerDay;
    c.Check();
    QTest::qWait(100);
    EXPECT_EQ(told.size(), before);
    EXPECT_EQ(c.actionLog().size(), 1u);
}

TEST_F(TAlertCentreTest, PlanIsMadeAgainWhenTheStoreChangesTheListOrThePlace) {
    ASSERT_TRUE(WriteAlertRules(folder / kAlertRulesFile, {High()}));
    TAlertCentre& c = Make();
    ASSERT_TRUE(Planned());
    const std::size_t all = c.plan().passes.size();
    c.Check();
    EXPECT_FALSE(c.planning()) << "nothing changed: no new plan";

    // The main list cut to the first pass's satellite: its passes alone.
    const std::string number = c.plan().passes.front().number;
    std::vector<TSatRec> one;
    for (const TSatRec& s : store->session().MainSats)
        if (TrimText(s.catNo.view()) == TrimText(number)) one.push_back(s);
    ASSERT_FALSE(one.empty()) << number;
    store->SetMainSats(one, false);
    c.Check();
    EXPECT_TRUE(c.planning());
    ASSERT_TRUE(WaitFor([&] { return !c.planning(); }, 60000));
    ASSERT_FALSE(c.plan().passes.empty());
    EXPECT_LT(c.plan().passes.size(), all);
    for (const TAlertPass& p : c.plan().passes) EXPECT_EQ(p.number, number);

    // A move of the observer in the store: planned again.
    c.Check();
    ASSERT_FALSE(c.planning());
    store->EditObserver([](TObserver& o) { o.pos.lat = -o.pos.lat; });
    c.Check();
    EXPECT_TRUE(c.planning());
    ASSERT_TRUE(WaitFor([&] { return !c.planning(); }, 60000));
}

// A save that fails keeps the rules in force and the file as it was.
TEST_F(TAlertCentreTest, FailedSaveKeepsTheRulesInForce) {
    ASSERT_TRUE(WriteAlertRules(folder / kAlertRulesFile, {High()}));
    TAlertCentre& c = Make();
    ASSERT_EQ(c.rules().size(), 1u);
    ASSERT_EQ(::chmod(c.rulesPath().c_str(), 0444), 0);
    const std::string before = folder.Bytes(kAlertRulesFile);
    const TStatus saved = c.SaveRules({});
    EXPECT_EQ(saved.kind, TStatusKind::ioError);
    EXPECT_EQ(saved.message, "cannot write " + c.rulesPath() + ": the file is read-only");
    EXPECT_EQ(c.rules().size(), 1u);
    EXPECT_EQ(folder.Bytes(kAlertRulesFile), before);
}

TEST_F(TAlertCentreTest, UnreadableMaskIsToldAndNotUsed) {
    ASSERT_TRUE(WriteAlertRules(folder / kAlertRulesFile, {High()}));
    std::ofstream(ObserverHorizonPath(session.DataFolder, session.Observer.name.str())) << "not a horizon\n";
    TAlertCentre& c = Make();
    ASSERT_TRUE(Planned());
    ASSERT_FALSE(c.problems().empty());
    EXPECT_NE(c.problems().front().find("horizon mask"), std::string::npos) << c.problems().front();
}

TEST_F(TAlertCentreTest, RulesEditedByHandAreReadAgainAndTheWindowSaysWhereAlertsGo) {
    TAlertCentre& c = Make();
    TfrAlertsWnd wnd(c);
    EXPECT_EQ(wnd.tb_rules->rowCount(), 0);
    TAlertRule rule = High();
    rule.name = "by hand";
    ASSERT_TRUE(WriteAlertRules(folder / kAlertRulesFile, {rule}));
    ASSERT_TRUE(Planned());
    ASSERT_EQ(c.rules().size(), 1u);
    EXPECT_EQ(wnd.tb_rules->item(0, 1)->text(), "by hand");
    EXPECT_GT(wnd.tb_coming->rowCount(), 0);
    EXPECT_EQ(wnd.tb_coming->horizontalHeaderItem(0)->text(), "Time (UTC)");

    // Without a service, the window says the alerts go to the status bar.
    notifier->Notify("x", "y", 1);
    EXPECT_TRUE(wnd.lb_delivery->text().contains("status bar")) << wnd.lb_delivery->text().toStdString();
}

TEST_F(TAlertCentreTest, RuleEditorSavesRefusesAndReadsBack) {
    TAlertCentre& c = Make();
    auto wnd = std::make_unique<TfrAlertsWnd>(c);
    wnd->show();
    EXPECT_EQ(wnd->tb_rules->rowCount(), 0);
    const auto editor = [&] {
        TfrAlertRuleDlg* d = nullptr;
        WaitFor([&] { return (d = wnd->findChild<TfrAlertRuleDlg*>("frAlertRule")) && d->isVisible(); }, 5000);
        return d;
    };
    QTest::mouseClick(wnd->bn_add, Qt::LeftButton);
    TfrAlertRuleDlg* d = editor();
    ASSERT_NE(d, nullptr);
    d->ed_name->setText("ISS evenings");
    d->cb_satellites->setCurrentIndex(1);
    d->ed_satellites->setText("25544");
    d->ed_leads->setText("15 2");
    d->ed_aos->setText("/usr/bin/logger \"ISS up\"");
    d->accept();
    ASSERT_TRUE(WaitFor([&] { return wnd->tb_rules->rowCount() == 1; }, 5000));
    const TAlertRulesRead saved = ReadAlertRules(folder / kAlertRulesFile);
    ASSERT_EQ(saved.rules.size(), 1u);
    EXPECT_EQ(saved.rules[0].name, "ISS evenings");
    EXPECT_EQ(saved.rules[0].numbers, std::vector<std::string>{"25544"});
    EXPECT_EQ(saved.rules[0].leadMinutes, (std::vector<int>{15, 2}));
    EXPECT_EQ(saved.rules[0].aosProgram, (std::vector<std::string>{"/usr/bin/logger", "ISS up"}));

    // A wrong field keeps the editor open and the file as it was.
    const std::string before = folder.Bytes(kAlertRulesFile);
    wnd->tb_rules->selectRow(0);
    QTest::mouseClick(wnd->bn_edit, Qt::LeftButton);
    d = editor();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->ed_leads->text(), "15 2");
    d->ed_leads->setText("soon");
    d->accept();
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->lb_error->text().isEmpty());
    d->ed_leads->setText("1 2 3 4 5 6 7 8 9");
    d->accept();
    EXPECT_TRUE(d->isVisible());
    d->ed_aos->setText("\"unclosed");
    d->ed_leads->setText("5");
    d->accept();
    EXPECT_TRUE(d->isVisible());
    d->reject();
    EXPECT_EQ(folder.Bytes(kAlertRulesFile), before);

    // Another centre reads the same rules back, and its window shows them.
    wnd.reset();
    centre.reset();
    TAlertCentre& again = Make();
    TfrAlertsWnd second(again);
    ASSERT_EQ(second.tb_rules->rowCount(), 1);
    EXPECT_EQ(second.tb_rules->item(0, 1)->text(), "ISS evenings");
    second.tb_rules->selectRow(0);
    QTest::mouseClick(second.bn_remove, Qt::LeftButton);
    EXPECT_EQ(second.tb_rules->rowCount(), 0);
    EXPECT_TRUE(ReadAlertRules(folder / kAlertRulesFile).rules.empty());
}

}  // namespace
