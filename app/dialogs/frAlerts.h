// The Alerts window (Predictions menu, "Pass Alerts..."): the alert rules
// with an editor (each change saved to the rules file at once), the alerts
// of the next 24 hours and what the programs run at AOS and LOS gave.
#pragma once
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uAlertCentre.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
namespace Ui {
class TfrAlertRuleDlg;
class TfrAlertsWnd;
}

// One rule's editor; OK is refused (with the reason shown) while a field is wrong.
class TfrAlertRuleDlg : public QDialog {
    Q_OBJECT
public:
    TfrAlertRuleDlg(const TAlertRule& rule, QWidget* parent = nullptr);
    ~TfrAlertRuleDlg() override;
    const TAlertRule& rule() const { return Rule; }
    // The rule of the fields; false with the reason when one is wrong.
    bool ReadFields(TAlertRule& rule, std::string& why) const;
    void accept() override;

    QLineEdit *ed_name = nullptr, *ed_satellites = nullptr, *ed_leads = nullptr, *ed_aos = nullptr,
              *ed_los = nullptr;
    QCheckBox *ck_enabled = nullptr, *ck_magnitude = nullptr, *ck_visible = nullptr;
    QComboBox* cb_satellites = nullptr;
    QDoubleSpinBox *nm_minel = nullptr, *nm_maxel = nullptr, *nm_mag = nullptr, *nm_sun = nullptr;
    QSpinBox *nm_actionlead = nullptr, *nm_timeout = nullptr;
    QLabel* lb_error = nullptr;

private:
    void FollowChoice();
    TAlertRule Rule;
    std::unique_ptr<Ui::TfrAlertRuleDlg> Form;  // frAlertRule.ui
};

// The coming alerts are shown again this often, so past ones leave the list.
inline constexpr int kComingRefreshMs = 30000;

class TfrAlertsWnd : public QDialog {
    Q_OBJECT
public:
    // centre: the main window's, which outlives this window.
    explicit TfrAlertsWnd(TAlertCentre& centre, QWidget* parent = nullptr);
    ~TfrAlertsWnd() override;

    void ShowRules();
    void ShowComing();
    void ShowActions();
    void ShowDelivery();

    QTableWidget *tb_rules = nullptr, *tb_coming = nullptr, *tb_actions = nullptr;
    QPushButton *bn_add = nullptr, *bn_edit = nullptr, *bn_remove = nullptr, *bn_close = nullptr;
    QLabel *lb_problems = nullptr, *lb_coming = nullptr, *lb_file = nullptr, *lb_delivery = nullptr;

private:
    void bn_addClick();
    void bn_editClick();
    void bn_removeClick();
    // Opens the editor on rule; done gets the edited rule when OK is pressed.
    void EditRule(const TAlertRule& rule, std::function<void(const TAlertRule&)> done);
    void Save(std::vector<TAlertRule> rules);

    TAlertCentre& Centre;
    std::unique_ptr<Ui::TfrAlertsWnd> Form;  // frAlerts.ui
};
