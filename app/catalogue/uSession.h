// The program's state that lives from start-up to shut-down: the catalogue
// lists, the tracked states, the observer, the options and the clock. The
// main window owns one TSession and changes it on the UI thread only; a
// search or any other job takes a copy of what it reads (lists, observer,
// options) and gives its results back to the UI thread. Engine functions
// take what they use as arguments and never reach for a session.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "uSkyData.h"
#include "uVarDef.h"

inline constexpr double kMilesPerKm = 0.621371;

struct TSession {
    // Catalogues (MainSat.bin, IridSat.bin, SkySat.bin).
    std::vector<TSatRec> MainSats;
    std::vector<TSatRec> IridiumSats;
    std::vector<TSatRec> SkySats;
    uint8_t ActiveIndex[15] = {};   // MainSats index of each tracked satellite

    // States of the tracked satellites and of the Sun, Moon and planets.
    std::vector<TSatState> SatStates;
    std::vector<TSatState> BodyStates;
    uint8_t BodyCount = 1;          // last BodyStates entry computed each tick
    uint8_t Sat1Main = 0;           // MainSats index of the first satellite
    uint8_t Sat1State = 0;          // its SatStates index

    // The clock.
    double CurrentTime = 0.0;       // UTC day number
    double CurrentGHA = 0.0;        // Greenwich hour angle at CurrentTime, rad
    int32_t ClockStep = 500;        // simulated ms per tick
    bool TickReady = true;          // false while RefreshAll recomputes everything
    double TrackStart = 0.0, TrackAnchor = 0.0;  // ground-track span, day numbers
    double NextRise = 0.0, NextSet = 0.0;        // of the first satellite, day numbers

    // Settings.
    double DistanceFactor = 1.0;    // 1.0 km, kMilesPerKm miles
    TObserver Observer{};
    TOptions Options{};
    TMenuSettings MenuSettings{};
    TDownloadSettings DownloadSettings{};

    // Folders, each ending with '/'.
    std::string ProgramFolder;
    std::string DataFolder;         // ProgramFolder + "data/", or the user's data folder

    // Sky chart data (SaoStar.bin, Constellation.bin).
    std::vector<TSkyRecord> StarList;
    std::vector<TSkyRecord> ConstellationList;
};
