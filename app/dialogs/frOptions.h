// The options window: the five program colours, night shadow, track length,
// extra-satellite file age, units, air pressure and temperature for
// refraction, the map image (with a preview) and the display font.
//
// Use: construct on a copy of the options, open() or exec(), then take
// options() back: every edit when saved() is true; otherwise only a font
// chosen with "Select Font", which counts at once.
#pragma once
#include <QDialog>

#include <memory>
#include <string>

#include "uVarDef.h"

namespace Ui {
class TfrOptionWnd;
}

inline constexpr double kInchesPerMbar = 0.029613397;
inline constexpr double kShadowScale = 2.54;  // alpha per step of the shadow box
inline constexpr double kDefaultPressure = 1010.0;
inline constexpr double kDefaultTemperature = 20.0;

class TfrOptionWnd : public QDialog {
    Q_OBJECT
public:
    TfrOptionWnd(const TOptions& options, const std::string& programFolder, QWidget* parent = nullptr);
    ~TfrOptionWnd() override;

    const TOptions& options() const { return saved() ? Edited : Original; }
    bool saved() const { return Saved; }

private:
    void BuildUi();
    void ShowUnits();
    void ReadPressure();
    void ReadTemperature();
    void ShowMap(const QString& name);
    void bn_fontClick();
    void bn_saveoptionsClick();

    TOptions Original;  // with the font, which changes at once
    TOptions Edited;
    std::string MapFolder;
    double Pressure = kDefaultPressure;        // mbar
    double Temperature = kDefaultTemperature;  // °C
    bool Saved = false;
    std::unique_ptr<Ui::TfrOptionWnd> Form;  // the widgets of frOptions.ui
};
