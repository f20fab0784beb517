// The first start: where the user observes from (a place of the bundled
// location list found by name, or latitude, longitude, height and an IANA
// time zone typed in), then whether to download current elements now (the
// download list's enabled entries are named).
//
// Use: construct, open(); when accepted, take observer() (not yet saved)
// and download().
#pragma once
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "uDataFiles.h"
#include "uVarDef.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;

inline constexpr const char* kFirstStartTitle = "Welcome to Skyvane";
inline constexpr int kMaxPlaceMatches = 300;

namespace Ui {
class TfrFirstStart;
}

class TfrFirstStart : public QDialog {
    Q_OBJECT
public:
    TfrFirstStart(const std::string& dataFolder, QWidget* parent = nullptr);
    ~TfrFirstStart() override;

    const TObserver& observer() const { return Observer; }
    bool download() const { return Download; }
    // The places the search shows (at most kMaxPlaceMatches).
    int matches() const;

private:
    void BuildUi();
    void Search(const QString& text);
    void ChoosePlace(int row);
    // The fields as an observer; false with the reason shown when one is wrong.
    bool ReadFields();
    void Finish(bool download);

    QStackedWidget* Pages = nullptr;
    QLineEdit *ed_search = nullptr, *ed_name = nullptr, *ed_lat = nullptr, *ed_lon = nullptr, *ed_height = nullptr;
    QComboBox* cb_zone = nullptr;
    QListWidget* lst_places = nullptr;
    QLabel *lb_error = nullptr, *lb_lists = nullptr, *lb_place = nullptr;
    QPushButton *bn_next = nullptr, *bn_back = nullptr, *bn_download = nullptr, *bn_skip = nullptr;

    std::vector<TLocation> Places;   // the bundled list
    std::vector<int> Shown;          // Places index of each list row
    TObserver Observer{};
    bool Download = false;
    std::unique_ptr<Ui::TfrFirstStart> Form;  // the widgets of frFirstStart.ui; the pointers above are into it
};
