// The star picker of the transit target: the stars of star.dat by name, and
// the chosen star's position precessed to the search's date.
#pragma once
#include <QDialog>

#include <string>
#include <vector>

#include "uTargets.h"

class QLineEdit;
class QListWidget;

class TfrStarWnd : public QDialog {
    Q_OBJECT
public:
    // epoch: day number the positions are precessed to. A missing star.dat
    // leaves the list empty (the caller says so: starFileFound()).
    TfrStarWnd(const std::string& dataFolder, double epoch, QWidget* parent = nullptr);

    bool starFileFound() const { return FileFound; }
    // The chosen star: right ascension and declination of the epoch
    // (radians; 0 when none was chosen) and the "Common Name" field.
    double ra() const { return Star.ra; }
    double dec() const { return Star.dec; }
    std::string commonName() const;

private:
    void ShowSelection();

    std::vector<std::string> Lines;
    double Epoch = 0.0;
    bool FileFound = false;
    TStarChoice Star;
    QListWidget* StarListBox = nullptr;
    QLineEdit *txt_ra = nullptr, *txt_dec = nullptr, *txt_mag = nullptr, *txt_name = nullptr,
              *txt_common = nullptr;
};
