#include "frInfo.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>

#include "uDataFiles.h"
#include "frCommon.h"
#include "uFormat.h"
#include "uMagFile.h"
#include "ui_frInfo.h"

namespace {
// An element set without a decay estimate carries one this far past its epoch.
constexpr double kNoDecayDays = 14999.0;
constexpr std::size_t kShownNameLength = 24;

std::string Line(std::string_view pattern, const std::string& value) { return FormatArgs(pattern, {value}); }

// The standard magnitude and where it came from; a guess says so.
std::string StdMagText(const TSatRec& sat) {
    const TMagSource source = ResolvedMagSource(SatMagSource(sat), sat.stdMag);
    if (source == TMagSource::kUnknown)
        return FormatMagnitude(sat.stdMag) + " estimated: no standard magnitude known";
    return FormatMagnitude(sat.stdMag) + " (" + MagSourceWord(source) + ")";
}
}  // namespace

std::vector<std::string> SatelliteInfoLines(const TSatRec& sat, bool metric, double distanceFactor) {
    const double epochDay = JulianToDayNumber(sat.epoch);
    const std::string unit = metric ? "km" : "mi.";
    std::string name = std::string(TrimText(sat.name.view()));
    if (name.size() > kShownNameLength) name.resize(kShownNameLength);
    std::vector<std::string> lines = {
        " ",
        "  Name:    " + name,
        "  Number:  " + sat.catNo.str(),
        "  Std Mag: " + StdMagText(sat),
        " ",
        Line("  Epoch Date:     \t%0:-sZ", FormatDateTime("MMM DD yyyy HH:nn:ss", epochDay)),
        Line("  Rev Time:        \t%0:-s  Min", FloatToStrFixed(sat.period, 4, 2)),
        Line("  Revs per day:    \t%0:-s  Rev", FloatToStrFixed(sat.meanMotion, 4, 2)),
        Line("  Revs at Epoch:   \t%0:-s  Revs", FloatToStrFixed(sat.revNumber, 6, 0)),
        Line("  Inclination:     \t%0:-s  Degrees", FloatToStrFixed(sat.inclination * kRadToDeg, 6, 5)),
        "  Eccentricity:    \t" + FloatToStrFixed(sat.ecc, 6, 7),
        Line("  Arg of Perige:   \t%0:-s  Degrees", FloatToStrFixed(sat.argPerigee * kRadToDeg, 6, 3)),
        Line("  Mean Anomaly:    \t%0:-s  Degrees", FloatToStrFixed(sat.meanAnomaly * kRadToDeg, 6, 3)),
        Line("  RA of Asc Node:  \t%0:-s  Degrees", FloatToStrFixed(sat.node * kRadToDeg, 6, 3)),
        Line("  Apoge:           \t%0:-s ", FloatToStrFixed(sat.apogee * distanceFactor, 5, 1)) + unit,
        Line("  Perige:          \t%0:-s ", FloatToStrFixed(sat.perigee * distanceFactor, 5, 1)) + unit,
    };
    if (sat.decayDate - epochDay > kNoDecayDays)
        lines.push_back("  Decay Date:        No Decay prior to 2050");
    else
        lines.push_back(Line("  Decay Date:\t\t%0:-sZ", FormatDateTime("MMM DD yyyy HH:mm:ss", sat.decayDate)));
    return lines;
}

TfrInfoWnd::TfrInfoWnd(const TSatRec& sat, bool metric, double distanceFactor, QWidget* parent)
    : QDialog(parent), Form(std::make_unique<Ui::TfrInfoWnd>()) {
    Form->setupUi(this);
    InfoMemo = Form->InfoMemo;
    InfoMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    InfoMemo->setTabStopDistance(InfoMemo->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 8);
    QString text;
    for (const std::string& line : SatelliteInfoLines(sat, metric, distanceFactor))
        text += QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())) + '\n';
    InfoMemo->setPlainText(text);
    Form->buttons->addButton("Close", QDialogButtonBox::RejectRole)->setObjectName("bn_close");
    connect(Form->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const QFontMetrics fm(InfoMemo->font());
    resize(fm.horizontalAdvance(QString(56, 'M')), fm.lineSpacing() * 22);
    FitToScreen(this);
}

TfrInfoWnd::~TfrInfoWnd() = default;
