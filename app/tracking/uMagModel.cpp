#include "uMagModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

TMagModel MagModelOf(const TOptions& options) {
    TMagModel m;
    m.phase = options.magPhase == 1 ? TPhaseModel::kLambert : TPhaseModel::kFraction;
    m.extinction = options.extinctionOn == 1;
    if (options.extinctionCenti != 0) m.extinctionPerAirmass = options.extinctionCenti / 100.0;
    return m;
}

void StoreMagModel(TOptions& options, const TMagModel& model) {
    options.magPhase = model.phase == TPhaseModel::kLambert ? 1 : 0;
    options.extinctionOn = model.extinction ? 1 : 0;
    const double k = std::clamp(model.extinctionPerAirmass, 0.01, kMaxExtinction);
    options.extinctionCenti = static_cast<uint8_t>(std::lround(k * 100.0));
}

std::string MagModelText(const TMagModel& model) {
    std::string text = PhaseModelName(model.phase);
    if (model.extinction) {
        char k[32];
        std::snprintf(k, sizeof k, "%.2f", model.extinctionPerAirmass);
        text += std::string(" + extinction ") + k + " mag/airmass";
    }
    return text;
}
