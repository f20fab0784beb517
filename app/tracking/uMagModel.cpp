#include "uMagModel.h"

#include <algorithm>
#include <cmath>

#include "Zenora.h"
#include "uUnits.h"

bool ParsePhaseModel(const std::string& text, TPhaseModel& model) {
    if (text == "fraction") model = TPhaseModel::kFraction;
    else if (text == "lambert") model = TPhaseModel::kLambert;
    else return false;
    return true;
}

const char* PhaseModelName(TPhaseModel model) { return model == TPhaseModel::kLambert ? "lambert" : "fraction"; }

double PhaseMagnitude(double stdMag, double rangeKm, double fraction, TPhaseModel model) {
    if (model == TPhaseModel::kFraction) return Calc_Magnitude(stdMag, rangeKm, fraction);
    const double phi = std::acos(std::clamp(2.0 * fraction - 1.0, -1.0, 1.0));
    // At new phase the sphere shows no lit face; the same floor as the
    // fraction model keeps the result finite.
    const double law = std::max((kPi - phi) * std::cos(phi) + std::sin(phi), 1e-7);
    return stdMag + 5.0 * std::log10(rangeKm / 1000.0) - 2.5 * std::log10(law);
}

double KastenYoungAirmass(double elevation) {
    const double h = std::max(elevation * kRadToDeg, 0.0);
    return 1.0 / (std::sin(h * kDegToRad) + 0.50572 * std::pow(h + 6.07995, -1.6364));
}

double ApparentMagnitude(const TMagModel& model, double stdMag, double rangeKm, double fraction,
                         double elevation) {
    double m = PhaseMagnitude(stdMag, rangeKm, fraction, model.phase);
    if (model.extinction) m += model.extinctionPerAirmass * KastenYoungAirmass(elevation);
    return m;
}
