// Standard magnitudes from outside lists into the entry lines of Mag.dat:
// observers' fixed-column "qs.mag" lists, SATCAT CSV (an estimate from the
// radar cross-section) and name rules for families without values of their
// own. Each says what it added, updated and skipped, and why.
//
// Precedence: the user's own values are never replaced; otherwise a value
// replaces one of the same or a weaker source (unknown < rcs < rule <
// observed). A replaced line keeps its name.
#pragma once
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "uMagFile.h"

// qs.mag values are at full phase (1000 km). With this program's phase law
// (brightness in proportion to the illuminated fraction) full phase is
// 2.5 log10(1 / 0.5) - 0.0026 = 0.75 magnitudes brighter than half phase,
// the standard's reference: standard = full-phase value + 0.75.
inline constexpr double kFullToHalfPhase = 0.75;

// Estimate from the radar cross-section A (m^2), taken as the optical one:
// standard = kRcsMagConstant - 2.5 log10(A). The constant is a diffuse
// sphere of Bond albedo 0.2 at 1000 km and half phase, the Sun at -26.74:
// -26.74 - 2.5 log10(2 x 0.2 x 1 m^2 / (3 pi^2 (10^6 m)^2)) = 7.93.
inline constexpr double kRcsMagConstant = 7.9;
double RcsStandardMagnitude(double rcsSquareMetres);

struct TMagImportReport {
    std::string kind;  // "qs.mag", "SATCAT", "name rules"
    int read = 0;      // records looked at
    int added = 0, updated = 0;
    std::map<std::string, int> skipped;  // why -> how many
    int SkippedCount() const;
    // "qs.mag: 12 read, 3 added, 2 updated, 7 skipped (4 no magnitude, 3 the user's own value)"
    std::string Summary() const;
};

enum class TMagImportKind { kNone, kQsMag, kSatcat, kElements };
// What a file holds, from its text; kElements: element sets, whose names the
// name rules are applied to.
TMagImportKind DetectMagImport(std::string_view text);

// qs.mag lines: number in columns 1-5, name in 7-22, the full-phase
// magnitude in 38-42 (blank when the list has none).
TMagImportReport ImportQsMag(std::vector<std::string>& lines, std::string_view text);
// SATCAT CSV with a header naming NORAD_CAT_ID, OBJECT_NAME and RCS; objects
// with a DECAY_DATE are left out.
TMagImportReport ImportSatcat(std::vector<std::string>& lines, std::string_view text);

struct TNamedObject {
    long number = -1;
    std::string name;
};
// The family constants (NameRuleMagnitude) for objects without a better value.
TMagImportReport ApplyNameRules(std::vector<std::string>& lines, const std::vector<TNamedObject>& objects);
// The rule for one name and number: its standard magnitude and what it is, or false.
bool NameRuleMagnitude(std::string_view name, long number, double& mag, std::string* rule = nullptr);

// Loads magPath (missing: empty, built-in URL), imports path by its kind (an
// element file: the name rules over its objects and the file's own
// entries), saves magPath atomically when something changed. A failure is
// FileReadFailure when path or an existing magPath cannot be read, invalid
// when the input is too large or of no known kind, ioError when the save fails.
// kind kNone: decided by DetectMagImport; any other kind is taken as given
// (kElements: the name rules).
TStatus ImportMagnitudeFile(const std::string& path, const std::string& magPath, TMagImportReport& report,
                            TMagImportKind kind = TMagImportKind::kNone);
// "qsmag", "satcat" or "rules"; false for anything else.
bool ParseMagImportKind(std::string_view text, TMagImportKind& kind);
