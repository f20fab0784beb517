// Apparent magnitude of a satellite from its standard magnitude (at 1000 km
// and half phase), the range, a phase function and, optionally, the
// atmosphere's extinction.
#pragma once
#include <cstdint>
#include <string>

#include "uVarDef.h"

enum class TPhaseModel : uint8_t {
    kFraction = 0,  // brightness in proportion to the illuminated fraction (the reports' default)
    kLambert = 1,   // a diffuse (Lambertian) sphere
};

inline constexpr double kDefaultExtinction = 0.2;  // magnitudes per airmass, a clear rural sky

struct TMagModel {
    TPhaseModel phase = TPhaseModel::kFraction;
    bool extinction = false;                // off by default, so reports keep their numbers
    double extinctionPerAirmass = kDefaultExtinction;
};

// "fraction" or "lambert"; false for anything else.
bool ParsePhaseModel(const std::string& text, TPhaseModel& model);
const char* PhaseModelName(TPhaseModel model);

// The magnitude at rangeKm with the illuminated fraction (0..1) seen from the
// observer. kFraction is Calc_Magnitude's: stdMag - 15.75 + 2.5 log10(r^2/f),
// f = 0 taken as 1e-7. kLambert: the phase angle from the fraction,
// phi = acos(2f - 1), and the sphere's phase law normalised to half phase:
// stdMag + 5 log10(r/1000) - 2.5 log10((pi - phi) cos phi + sin phi)
// (the bracket is 1 at phi = 90 deg, pi at full phase, 0 at new).
double PhaseMagnitude(double stdMag, double rangeKm, double fraction, TPhaseModel model);

// Relative airmass by Kasten and Young (1989) for an elevation in radians:
// 1 / (sin h + 0.50572 (h + 6.07995 deg)^-1.6364), h in degrees; an
// elevation below the horizon is taken as 0 (about 38 airmasses).
double KastenYoungAirmass(double elevation);

// PhaseMagnitude plus, with extinction on, extinctionPerAirmass x airmass.
double ApparentMagnitude(const TMagModel& model, double stdMag, double rangeKm, double fraction,
                         double elevation);

// The model the options file holds, and back (the per-airmass value kept to
// hundredths, 0.01 to 2.55).
TMagModel MagModelOf(const TOptions& options);
void StoreMagModel(TOptions& options, const TMagModel& model);
inline constexpr double kMaxExtinction = 2.55;

// "fraction", or "lambert", and " + extinction 0.20 mag/airmass" when on.
std::string MagModelText(const TMagModel& model);
