#include "frAlerts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <tuple>

#include "frCommon.h"
#include "frSearchTools.h"
#include "uFileIO.h"
#include "uNotifier.h"
#include "uFormat.h"
#include "uText.h"

namespace {

QDoubleSpinBox* NewDegrees(QWidget* parent, const char* name, double lo, double hi, double value) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setDecimals(1);
    s->setValue(value);
    return s;
}

QTableWidget* NewTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setObjectName(name);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->setVisible(false);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setWordWrap(false);
    return t;
}

void SetRow(QTableWidget* t, int row, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c)
        t->setItem(row, static_cast<int>(c), new QTableWidgetItem(QString::fromStdString(cells[c])));
}

std::string Number(double v) { return FormatFloat("0.#", v); }

}  // namespace

// ---- one rule --------------------------------------------------------------------------------

TfrAlertRuleDlg::TfrAlertRuleDlg(const TAlertRule& rule, QWidget* parent) : QDialog(parent), Rule(rule) {
    setObjectName("frAlertRule");
    setWindowTitle("Alert Rule");
    ed_name = new QLineEdit(QString::fromStdString(rule.name), this);
    ed_name->setObjectName("ed_name");
    ck_enabled = NewCheck(this, "ck_enabled", "Rule in use", rule.enabled);
    cb_satellites = new QComboBox(this);
    cb_satellites->setObjectName("cb_satellites");
    cb_satellites->addItems({"Tracked satellites", "These catalogue numbers", "All of an element file"});
    cb_satellites->setCurrentIndex(static_cast<int>(rule.satellites));
    ed_satellites = new QLineEdit(this);
    ed_satellites->setObjectName("ed_satellites");
    if (rule.satellites == TAlertSatellites::kList) {
        std::string words;
        for (const std::string& n : rule.numbers) words += (words.empty() ? "" : " ") + n;
        ed_satellites->setText(QString::fromStdString(words));
    } else if (rule.satellites == TAlertSatellites::kFile) {
        ed_satellites->setText(QString::fromStdString(rule.file));
    }
    connect(cb_satellites, &QComboBox::currentIndexChanged, this, &TfrAlertRuleDlg::FollowChoice);
    nm_minel = NewDegrees(this, "nm_minel", 0, 90, rule.minElevation);
    nm_maxel = NewDegrees(this, "nm_maxel", 0, 90, rule.minMaxElevation);
    ck_magnitude = NewCheck(this, "ck_magnitude", "Brighter than magnitude", rule.haveMagnitude);
    nm_mag = NewDegrees(this, "nm_mag", -10, 15, rule.brighterThan);
    ck_visible = NewCheck(this, "ck_visible", "Visible passes only (satellite sunlit, Sun below)", rule.visibleOnly);
    nm_sun = NewDegrees(this, "nm_sun", -18, 0, rule.sunAltitude);
    ed_leads = new QLineEdit(QString::fromStdString(LeadsText(rule.leadMinutes)), this);
    ed_leads->setObjectName("ed_leads");
    ed_leads->setToolTip("Minutes before AOS, e.g. \"10 1\"; 0 is at AOS");
    ed_aos = new QLineEdit(QString::fromStdString(JoinCommandLine(rule.aosProgram)), this);
    ed_aos->setObjectName("ed_aos");
    ed_aos->setToolTip("A program and its arguments, started without a shell; \"...\" groups a word");
    ed_los = new QLineEdit(QString::fromStdString(JoinCommandLine(rule.losProgram)), this);
    ed_los->setObjectName("ed_los");
    ed_los->setToolTip(ed_aos->toolTip());
    nm_actionlead = new QSpinBox(this);
    nm_actionlead->setObjectName("nm_actionlead");
    nm_actionlead->setRange(-1, kMaxLeadMinutes);
    nm_actionlead->setSpecialValueText("none");
    nm_actionlead->setSuffix(" min");
    nm_actionlead->setValue(rule.actionLeadMinutes);
    nm_timeout = new QSpinBox(this);
    nm_timeout->setObjectName("nm_timeout");
    nm_timeout->setRange(1, kMaxActionTimeout);
    nm_timeout->setSuffix(" s");
    nm_timeout->setValue(rule.actionTimeoutSeconds);
    lb_error = new QLabel(this);
    lb_error->setObjectName("lb_error");
    lb_error->setStyleSheet("QLabel { color: #c00000; }");
    lb_error->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow("Name", ed_name);
    form->addRow("", ck_enabled);
    form->addRow("Satellites", cb_satellites);
    form->addRow("", ed_satellites);
    form->addRow("AOS/LOS at elevation (°)", nm_minel);
    form->addRow("Highest at least (°)", nm_maxel);
    auto* mag = new QHBoxLayout;
    mag->addWidget(ck_magnitude);
    mag->addWidget(nm_mag);
    form->addRow("Brightness", mag);
    form->addRow("", ck_visible);
    form->addRow("Sun below (°)", nm_sun);
    form->addRow("Tell before AOS (min)", ed_leads);
    form->addRow("Program at AOS", ed_aos);
    form->addRow("Program at LOS", ed_los);
    form->addRow("AOS program also before", nm_actionlead);
    form->addRow("Stop a program after", nm_timeout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(lb_error);
    column->addWidget(buttons);
    FollowChoice();
}

void TfrAlertRuleDlg::FollowChoice() {
    const int choice = cb_satellites->currentIndex();
    ed_satellites->setEnabled(choice != 0);
    ed_satellites->setPlaceholderText(choice == 1 ? "25544 43205" : choice == 2 ? "visual.txt (in the data folder)" : "");
}

bool TfrAlertRuleDlg::ReadFields(TAlertRule& r, std::string& why) const {
    r = Rule;
    r.name = std::string(TrimText(ed_name->text().toStdString()));
    if (r.name.empty()) {
        why = "The rule needs a name.";
        return false;
    }
    r.enabled = ck_enabled->isChecked();
    r.satellites = static_cast<TAlertSatellites>(cb_satellites->currentIndex());
    const std::string sats(TrimText(ed_satellites->text().toStdString()));
    r.numbers.clear();
    r.file.clear();
    if (r.satellites == TAlertSatellites::kList) {
        std::string why2;
        if (!SplitCommandLine(sats, r.numbers, &why2) || r.numbers.empty()) {
            why = "List the catalogue numbers, e.g. \"25544 43205\".";
            return false;
        }
    } else if (r.satellites == TAlertSatellites::kFile) {
        if (sats.empty()) {
            why = "Name the element file (relative names are in the data folder).";
            return false;
        }
        r.file = sats;
    }
    r.minElevation = nm_minel->value();
    r.minMaxElevation = nm_maxel->value();
    r.haveMagnitude = ck_magnitude->isChecked();
    r.brighterThan = nm_mag->value();
    r.visibleOnly = ck_visible->isChecked();
    r.sunAltitude = nm_sun->value();
    if (!ParseLeads(ed_leads->text().toStdString(), r.leadMinutes)) {
        why = "Lead times are whole minutes 0 to " + std::to_string(kMaxLeadMinutes) + ", at most " +
              std::to_string(kMaxLeads) + ", e.g. \"10 1\".";
        return false;
    }
    for (auto [edit, program, label] : {std::tuple{ed_aos, &r.aosProgram, "AOS"}, {ed_los, &r.losProgram, "LOS"}}) {
        std::string problem;
        if (!SplitCommandLine(edit->text().toStdString(), *program, &problem)) {
            why = std::string("The program at ") + label + ": " + problem;
            return false;
        }
    }
    r.actionLeadMinutes = nm_actionlead->value();
    r.actionTimeoutSeconds = nm_timeout->value();
    // The file's own reader has the last word: what it would refuse is refused here.
    const TAlertRulesRead back = ParseAlertRules(AlertRulesText({r}));
    if (back.rules.size() != 1 || !back.problems.empty()) {
        why = back.problems.empty() ? "The rule cannot be kept." : back.problems.front();
        return false;
    }
    return true;
}

void TfrAlertRuleDlg::accept() {
    std::string why;
    TAlertRule r;
    if (!ReadFields(r, why)) {
        lb_error->setText(QString::fromStdString(why));
        return;
    }
    Rule = r;
    QDialog::accept();
}

// ---- the window ------------------------------------------------------------------------------

TfrAlertsWnd::TfrAlertsWnd(TAlertCentre& centre, QWidget* parent) : QDialog(parent), Centre(centre) {
    setObjectName("frAlerts");
    setWindowTitle("Pass Alerts");
    setWindowFlag(Qt::Window);

    auto* rules = new QGroupBox("Rules", this);
    tb_rules = NewTable(rules, "tb_rules",
                        {"On", "Name", "Satellites", "Highest ≥", "Brighter", "Visible", "Tell (min)", "At AOS",
                         "At LOS"});
    connect(tb_rules, &QTableWidget::cellDoubleClicked, this, &TfrAlertsWnd::bn_editClick);
    bn_add = new QPushButton("Add…", rules);
    bn_add->setObjectName("bn_add");
    bn_edit = new QPushButton("Edit…", rules);
    bn_edit->setObjectName("bn_edit");
    bn_remove = new QPushButton("Remove", rules);
    bn_remove->setObjectName("bn_remove");
    connect(bn_add, &QPushButton::clicked, this, &TfrAlertsWnd::bn_addClick);
    connect(bn_edit, &QPushButton::clicked, this, &TfrAlertsWnd::bn_editClick);
    connect(bn_remove, &QPushButton::clicked, this, &TfrAlertsWnd::bn_removeClick);
    lb_file = new QLabel(QString::fromStdString("Kept in " + Centre.rulesPath()), rules);
    lb_file->setObjectName("lb_file");
    lb_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lb_problems = new QLabel(rules);
    lb_problems->setObjectName("lb_problems");
    lb_problems->setStyleSheet("QLabel { color: #c00000; }");
    lb_problems->setWordWrap(true);
    auto* ruleButtons = new QHBoxLayout;
    ruleButtons->addWidget(bn_add);
    ruleButtons->addWidget(bn_edit);
    ruleButtons->addWidget(bn_remove);
    ruleButtons->addStretch(1);
    ruleButtons->addWidget(lb_file);
    auto* ruleColumn = new QVBoxLayout(rules);
    ruleColumn->addWidget(tb_rules, 1);
    ruleColumn->addLayout(ruleButtons);
    ruleColumn->addWidget(lb_problems);

    auto* coming = new QGroupBox("Coming alerts, next 24 hours", this);
    tb_coming = NewTable(coming, "tb_coming", {"Time", "Alert", "Pass"});
    lb_coming = new QLabel(coming);
    lb_coming->setObjectName("lb_coming");
    lb_delivery = new QLabel(coming);
    lb_delivery->setObjectName("lb_delivery");
    lb_delivery->setWordWrap(true);
    auto* comingColumn = new QVBoxLayout(coming);
    comingColumn->addWidget(tb_coming, 1);
    auto* comingNotes = new QHBoxLayout;
    comingNotes->addWidget(lb_coming);
    comingNotes->addStretch(1);
    comingNotes->addWidget(lb_delivery);
    comingColumn->addLayout(comingNotes);

    auto* actions = new QGroupBox("Programs run at AOS and LOS", this);
    tb_actions = NewTable(actions, "tb_actions",
                          {Centre.ShowsUtc() ? "Started (UTC)" : "Started", "Satellite", "Event", "Program", "Result"});
    auto* actionColumn = new QVBoxLayout(actions);
    actionColumn->addWidget(tb_actions, 1);

    bn_close = new QPushButton("Close", this);
    bn_close->setObjectName("bn_close");
    connect(bn_close, &QPushButton::clicked, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(bn_close);

    auto* column = new QVBoxLayout(this);
    column->addWidget(rules, 3);
    column->addWidget(coming, 4);
    column->addWidget(actions, 2);
    column->addLayout(bottom);
    resize(900, 680);

    connect(&Centre, &TAlertCentre::PlanChanged, this, [this] {
        ShowRules();
        ShowComing();
    });
    connect(&Centre, &TAlertCentre::ActionsChanged, this, &TfrAlertsWnd::ShowActions);
    if (TDesktopNotifier* notifier = Centre.notifier())
        connect(notifier, &TDesktopNotifier::Finished, this, &TfrAlertsWnd::ShowDelivery);
    // Alerts that are past leave the list.
    auto* timer = new QTimer(this);
    timer->setInterval(kComingRefreshMs);
    connect(timer, &QTimer::timeout, this, &TfrAlertsWnd::ShowComing);
    timer->start();
    ShowDelivery();
    ShowRules();
    ShowComing();
    ShowActions();
}

void TfrAlertsWnd::ShowRules() {
    const std::vector<TAlertRule>& rules = Centre.rules();
    const int selected = tb_rules->currentRow();
    tb_rules->setRowCount(static_cast<int>(rules.size()));
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const TAlertRule& r = rules[i];
        SetRow(tb_rules, static_cast<int>(i),
               {r.enabled ? "yes" : "no", r.name, AlertSatellitesText(r), Number(r.minMaxElevation) + "°",
                r.haveMagnitude ? Number(r.brighterThan) : "", r.visibleOnly ? "yes" : "any",
                LeadsText(r.leadMinutes), JoinCommandLine(r.aosProgram), JoinCommandLine(r.losProgram)});
    }
    tb_rules->resizeColumnsToContents();
    if (selected >= 0 && selected < tb_rules->rowCount()) tb_rules->selectRow(selected);
    std::string problems;
    for (const std::string& p : Centre.problems()) problems += (problems.empty() ? "" : "\n") + p;
    lb_problems->setText(QString::fromStdString(problems));
    lb_problems->setVisible(!problems.empty());
    bn_edit->setEnabled(!rules.empty());
    bn_remove->setEnabled(!rules.empty());
}

void TfrAlertsWnd::ShowDelivery() {
    const TDesktopNotifier* n = Centre.notifier();
    if (!n || (n->delivered() == 0 && n->fellBack() == 0)) {
        lb_delivery->setText("Alerts go to the desktop's notifications, or the status bar without them.");
    } else if (!n->lastError().isEmpty() && n->lastDeliveryFailed()) {
        lb_delivery->setText("No notification service answered (" + n->lastError() +
                             "): alerts show in the main window's status bar.");
    } else {
        lb_delivery->setText("Alerts go to the desktop's notifications.");
    }
}

void TfrAlertsWnd::ShowComing() {
    tb_coming->horizontalHeaderItem(0)->setText(Centre.ShowsUtc() ? "Time (UTC)" : "Time (local)");
    const std::vector<TAlertItem> items = Centre.Coming();
    tb_coming->setRowCount(static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TAlertItem& it = items[i];
        const TAlertPass& p = Centre.plan().passes[it.pass];
        SetRow(tb_coming, static_cast<int>(i),
               {Centre.ShownTime(it.when, "ddd dd mmm HH:nn:ss"), AlertItemText(it), PassSummary(p)});
    }
    tb_coming->resizeColumnsToContents();
    if (Centre.planning() && items.empty())
        lb_coming->setText("Working out the coming passes…");
    else if (Centre.rules().empty())
        lb_coming->setText("No rules: add one to be told of coming passes.");
    else
        lb_coming->setText(QString("%1 alerts of %2 passes").arg(items.size()).arg(Centre.plan().passes.size()));
}

void TfrAlertsWnd::ShowActions() {
    const auto& log = Centre.actionLog();
    tb_actions->setRowCount(static_cast<int>(log.size()));
    int row = 0;
    for (const TActionLogEntry& e : log)
        SetRow(tb_actions, row++,
               {Centre.ShownTime(e.when, "dd mmm HH:nn:ss"), e.satellite, e.event, e.program, e.outcome});
    tb_actions->resizeColumnsToContents();
}

void TfrAlertsWnd::EditRule(const TAlertRule& rule, std::function<void(const TAlertRule&)> done) {
    auto* dialog = new TfrAlertRuleDlg(rule, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [dialog, done = std::move(done)] { done(dialog->rule()); });
    dialog->open();
}

void TfrAlertsWnd::Save(std::vector<TAlertRule> rules) {
    std::string why;
    if (!Centre.SaveRules(rules, &why)) ShowMessageBox(this, NotWrittenText(Centre.rulesPath(), why));
    ShowRules();
    ShowComing();
}

void TfrAlertsWnd::bn_addClick() {
    EditRule(TAlertRule{}, [this](const TAlertRule& r) {
        std::vector<TAlertRule> rules = Centre.rules();
        rules.push_back(r);
        Save(std::move(rules));
        tb_rules->selectRow(tb_rules->rowCount() - 1);
    });
}

void TfrAlertsWnd::bn_editClick() {
    const int row = tb_rules->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Centre.rules().size()) return;
    EditRule(Centre.rules()[static_cast<std::size_t>(row)], [this, row](const TAlertRule& r) {
        std::vector<TAlertRule> rules = Centre.rules();
        if (static_cast<std::size_t>(row) >= rules.size()) return;
        rules[static_cast<std::size_t>(row)] = r;
        Save(std::move(rules));
    });
}

void TfrAlertsWnd::bn_removeClick() {
    const int row = tb_rules->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= Centre.rules().size()) return;
    std::vector<TAlertRule> rules = Centre.rules();
    rules.erase(rules.begin() + row);
    Save(std::move(rules));
}
