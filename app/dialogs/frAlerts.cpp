#include "frAlerts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <tuple>

#include "frCommon.h"
#include "frSearchTools.h"
#include "uFileIO.h"
#include "uNotifier.h"
#include "uFormat.h"
#include "uText.h"
#include "ui_frAlertRule.h"
#include "ui_frAlerts.h"

namespace {

void SetRow(QTableWidget* t, int row, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c)
        t->setItem(row, static_cast<int>(c), new QTableWidgetItem(QString::fromStdString(cells[c])));
}

std::string Number(double v) { return FormatFloat("0.#", v); }

}  // namespace

// ---- one rule --------------------------------------------------------------------------------

TfrAlertRuleDlg::TfrAlertRuleDlg(const TAlertRule& rule, QWidget* parent)
    : QDialog(parent), Rule(rule), Form(std::make_unique<Ui::TfrAlertRuleDlg>()) {
    Form->setupUi(this);
    ed_name = Form->ed_name;
    ck_enabled = Form->ck_enabled;
    cb_satellites = Form->cb_satellites;
    ed_satellites = Form->ed_satellites;
    nm_minel = Form->nm_minel;
    nm_maxel = Form->nm_maxel;
    ck_magnitude = Form->ck_magnitude;
    nm_mag = Form->nm_mag;
    ck_visible = Form->ck_visible;
    nm_sun = Form->nm_sun;
    ed_leads = Form->ed_leads;
    ed_aos = Form->ed_aos;
    ed_los = Form->ed_los;
    nm_actionlead = Form->nm_actionlead;
    nm_timeout = Form->nm_timeout;
    lb_error = Form->lb_error;
    nm_actionlead->setRange(-1, kMaxLeadMinutes);
    nm_timeout->setRange(1, kMaxActionTimeout);

    ed_name->setText(QString::fromStdString(rule.name));
    ck_enabled->setChecked(rule.enabled);
    cb_satellites->setCurrentIndex(static_cast<int>(rule.satellites));
    if (rule.satellites == TAlertSatellites::kList) {
        std::string words;
        for (const std::string& n : rule.numbers) words += (words.empty() ? "" : " ") + n;
        ed_satellites->setText(QString::fromStdString(words));
    } else if (rule.satellites == TAlertSatellites::kFile) {
        ed_satellites->setText(QString::fromStdString(rule.file));
    }
    nm_minel->setValue(rule.minElevation);
    nm_maxel->setValue(rule.minMaxElevation);
    ck_magnitude->setChecked(rule.haveMagnitude);
    nm_mag->setValue(rule.brighterThan);
    ck_visible->setChecked(rule.visibleOnly);
    nm_sun->setValue(rule.sunAltitude);
    ed_leads->setText(QString::fromStdString(LeadsText(rule.leadMinutes)));
    ed_aos->setText(QString::fromStdString(JoinCommandLine(rule.aosProgram)));
    ed_los->setText(QString::fromStdString(JoinCommandLine(rule.losProgram)));
    nm_actionlead->setValue(rule.actionLeadMinutes);
    nm_timeout->setValue(rule.actionTimeoutSeconds);

    connect(cb_satellites, &QComboBox::currentIndexChanged, this, &TfrAlertRuleDlg::FollowChoice);
    connect(Form->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Form->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    FollowChoice();
}

TfrAlertRuleDlg::~TfrAlertRuleDlg() = default;

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
        if (!SplitCommandLine(sats, r.numbers) || r.numbers.empty()) {
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
        if (const TStatus split = SplitCommandLine(edit->text().toStdString(), *program); !split) {
            why = std::string("The program at ") + label + ": " + split.message;
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

TfrAlertsWnd::TfrAlertsWnd(TAlertCentre& centre, QWidget* parent)
    : QDialog(parent), Centre(centre), Form(std::make_unique<Ui::TfrAlertsWnd>()) {
    Form->setupUi(this);
    setWindowFlag(Qt::Window);
    tb_rules = Form->tb_rules;
    tb_coming = Form->tb_coming;
    tb_actions = Form->tb_actions;
    bn_add = Form->bn_add;
    bn_edit = Form->bn_edit;
    bn_remove = Form->bn_remove;
    bn_close = Form->bn_close;
    lb_problems = Form->lb_problems;
    lb_coming = Form->lb_coming;
    lb_file = Form->lb_file;
    lb_delivery = Form->lb_delivery;
    lb_file->setText(QString::fromStdString("Kept in " + Centre.rulesPath()));
    if (Centre.ShowsUtc()) tb_actions->horizontalHeaderItem(0)->setText("Started (UTC)");

    connect(tb_rules, &QTableWidget::cellDoubleClicked, this, &TfrAlertsWnd::bn_editClick);
    connect(bn_add, &QPushButton::clicked, this, &TfrAlertsWnd::bn_addClick);
    connect(bn_edit, &QPushButton::clicked, this, &TfrAlertsWnd::bn_editClick);
    connect(bn_remove, &QPushButton::clicked, this, &TfrAlertsWnd::bn_removeClick);
    connect(bn_close, &QPushButton::clicked, this, &QWidget::close);
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

TfrAlertsWnd::~TfrAlertsWnd() = default;

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
    if (const TStatus saved = Centre.SaveRules(rules); !saved)
        ShowMessageBox(this, NotWrittenText(Centre.rulesPath(), saved.message));
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
