// The observer location selector: a list of named places from the full
// location list or the user's favourites, fields for the shown place with
// its time zone, New / Modify / Delete / Save / Cancel on the list, and
// Apply, which makes the shown place the observer and saves Observer.bin.
//
// Use: construct on a copy of the observer, open() or exec(), and take
// observer() back when applied() says a place was applied. The list files
// are written when the list is switched or the window closes, and only when
// they changed.
#pragma once
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "uDataFiles.h"
#include "uVarDef.h"

class QLineEdit;
namespace Ui {
class TfrLocWnd;
}

inline constexpr double kFeetPerMetre = 3.2808;
inline constexpr const char* kLatitudeRangeText = "Not a valid Latitude, value must be between 90 and -90";
inline constexpr const char* kLongitudeRangeText = "Not a valid Longitude, value must be between 180 and -180";
inline constexpr const char* kNothingToDeleteText = "First select a location in the list to be deleted";

class TfrLocWnd : public QDialog {
    Q_OBJECT
public:
    TfrLocWnd(const TObserver& observer, bool metric, const std::string& dataFolder, QWidget* parent = nullptr);
    ~TfrLocWnd() override;

    const TObserver& observer() const { return Observer; }
    bool applied() const { return Applied; }
    void done(int result) override;

private:
    enum TMode { kView, kNew, kModify };
    void BuildUi();
    void LoadList(const std::string& fileName);
    bool SaveList();
    void FillList();
    void ShowObserver();
    void SelectZone(const std::string& name);
    void SetMode(TMode mode);
    // The value checks; each keeps the field's last valid value.
    void CheckAngle(QLineEdit* edit, QLineEdit* text, double limit, double& last, const char* message);
    void CheckHeight(QLineEdit* edit, double& last);
    void CheckAll();
    void SetAngle(QLineEdit* edit, const QString& text);
    void listbox_locClick(int row);
    void cb_timezoneChange(int index);
    void bn_listClick(const char* fileName);
    void bn_saveClick();
    void bn_deleteClick();
    void bn_applyClick();
    void bn_horizonClick();

    TObserver Observer;
    std::string DataFolder;
    std::string ListPath;            // the location file shown
    std::vector<std::string> Lines;  // its lines, sorted
    bool ListChanged = false;
    bool ListWritable = true;        // false: the file could be read only in part
    std::vector<TTimeZone> Zones;
    double Unit = 1.0;               // display units per metre
    double LastLat = 0, LastLon = 0, LastMsl = 0, LastGeoid = 0;  // degrees; display units
    TMode Mode = kView;
    bool Applied = false;
    bool Closed = false;
    std::unique_ptr<Ui::TfrLocWnd> Form;  // the widgets of frLocSelector.ui
};
