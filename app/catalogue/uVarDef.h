// Records shared across the program. The records are file formats too:
// packed, little-endian, byte for byte. The state that holds them lives in
// TSession (uSession.h).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SatTypes.h"
#include "ShortString.h"
#include "ZenoraTypes.h"

#pragma pack(push, 1)
struct TElementEntry {
    double stdMag;               // 0   8.0 from an element file
    double meanMotion;           // 8   rev/day, from line 2
    ShortString<70> line1;       // 16  trimmed
    ShortString<70> line2;       // 87  trimmed
    ShortString<20> name;        // 158
    ShortString<5> catNo;        // 179
    uint8_t magSource;           // 185 TMagSource of stdMag (uMagFile.h)
    uint8_t pad[6];              // 186
};

struct TObserver {
    ShortString<64> name;        // 0
    ShortString<64> zoneName;    // 65
    uint8_t pad0[6];             // 130
    TLatLon pos;                 // 136 lat, lon (rad, east positive), height (km)
    TVector vect;                // 160 geocentric position at the current time
    double geoidHeight;          // 192
    double utcOffset;            // 200 days: local = UTC + offset
    double rhoCos;               // 208 distance from the Earth's axis, km
    double rhoSin;               // 216 distance from the equatorial plane, km
};

struct TOptions {
    uint32_t gridColour;         // 0
    uint32_t homeColour;         // 4
    uint32_t trackColour;        // 8
    uint32_t cityColour;         // 12
    uint32_t satColour;          // 16
    int32_t shadowAlpha;         // 20
    int32_t trackHours;          // 24
    int32_t fontSize;            // 28
    int32_t viewMode;            // 32 1 map, 2 sky, 3 globe
    int32_t skySatAgeDays;       // 36
    double magLimit;             // 40
    double starMagBase;          // 48
    double skyField;             // 56 degrees
    double globeZoom;            // 64
    double temperature;          // 72 °C
    double pressure;             // 80 mbar
    uint8_t metric;              // 88
    uint8_t utcDisplay;          // 89
    uint8_t autoDownload;        // 90
    ShortString<64> fontName;    // 91
    ShortString<64> mapFile;     // 156
    ShortString<255> tleFolder;  // 221 always ends with a path separator
    // The apparent-magnitude model of the reports (old files hold zeros here:
    // the defaults). magPhase: 0 illuminated fraction, 1 Lambertian sphere;
    // extinctionCenti: magnitudes per airmass x 100, 0 for the default 0.20.
    uint8_t magPhase;            // 477
    uint8_t extinctionOn;        // 478
    uint8_t extinctionCenti;     // 479
};
#pragma pack(pop)

static_assert(sizeof(TElementEntry) == 192);
static_assert(offsetof(TElementEntry, meanMotion) == 8);
static_assert(offsetof(TElementEntry, line1) == 16);
static_assert(offsetof(TElementEntry, line2) == 87);
static_assert(offsetof(TElementEntry, name) == 158);
static_assert(offsetof(TElementEntry, catNo) == 179);
static_assert(offsetof(TElementEntry, magSource) == 185);

static_assert(sizeof(TObserver) == 224);
static_assert(offsetof(TObserver, zoneName) == 65);
static_assert(offsetof(TObserver, pos) == 136);
static_assert(offsetof(TObserver, vect) == 160);
static_assert(offsetof(TObserver, geoidHeight) == 192);
static_assert(offsetof(TObserver, utcOffset) == 200);
static_assert(offsetof(TObserver, rhoCos) == 208);
static_assert(offsetof(TObserver, rhoSin) == 216);

static_assert(sizeof(TOptions) == 480);
static_assert(offsetof(TOptions, shadowAlpha) == 20);
static_assert(offsetof(TOptions, skySatAgeDays) == 36);
static_assert(offsetof(TOptions, magLimit) == 40);
static_assert(offsetof(TOptions, globeZoom) == 64);
static_assert(offsetof(TOptions, pressure) == 80);
static_assert(offsetof(TOptions, metric) == 88);
static_assert(offsetof(TOptions, autoDownload) == 90);
static_assert(offsetof(TOptions, fontName) == 91);
static_assert(offsetof(TOptions, mapFile) == 156);
static_assert(offsetof(TOptions, tleFolder) == 221);
static_assert(offsetof(TOptions, magPhase) == 477);
static_assert(offsetof(TOptions, extinctionCenti) == 479);

// The 21 main-window menu items whose checked states Options.bin keeps,
// in file order.
enum TMenuItem : uint8_t {
    kMenuDisplayNumber, kMenuTracks, kMenuSatVis, kMenuStarToHorizon, kMenuShowSkySat,
    kMenuOrientationNormal, kMenuOrientationInverted, kMenuOrientationMirrorEW,
    kMenuOrientationMirrorNS, kMenuSkyViewFixSatellite, kMenuSkyViewRaDec, kMenuSkyViewAltAz,
    kMenuSkyViewFixRaDec, kMenuSkyViewFixAltAz, kMenuShowMagnitude, kMenuStarNames,
    kMenuConstellations, kMenuConstellationNames, kMenuShowLabel, kMenuGrids, kMenuLocVis,
    kMenuItemCount
};
static_assert(kMenuItemCount == 21);

// The rest of Options.bin: menu states and the sky chart's centre, held here
// until the main window applies them to its menu and view state.
struct TMenuSettings {
    uint8_t checked[kMenuItemCount];  // 1 checked, 0 not
    double skyCentreAlt;              // rad
    double skyCentreAz;               // rad, from north through east
};

// InternetInfo.ini in memory (not a binary format).
struct TDownloadSettings {
    std::string user;
    std::string password;
    int32_t period = 24;        // hours between automatic downloads
    bool convert = false;
    bool updateIrid = false;
    bool updateMain = false;
    double lastDownload = 0.0;  // UTC day number; the first start's time until a download
    bool downloaded = false;    // a download has succeeded (lastDownload is its time)
};

// Value of TSatRec::decayed for a record whose element block did not check
// out (garbage catalogue record, failed initialisation): never propagate it.
// Propagation only ever writes 0 or 1 there.
inline constexpr uint8_t kDecayedRejected = 2;
