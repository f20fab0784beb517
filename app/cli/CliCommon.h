// What the command-line programs share: where they live, the satellites they
// work on and the observer they work for.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "uInitialize.h"
#include "uLoadSave.h"
#include "uMagFile.h"
#include "uPredictArgs.h"
#include "uText.h"
#include "uTimeZone.h"
#include "uVarDef.h"

namespace cli {

// --data; else the data folder beside the program when it is writable (a
// build); else, for an installed program, the folder the window keeps its
// settings and catalogues in ($XDG_DATA_HOME/orbisk/, or
// ~/.local/share/orbisk/) once it exists; else the installed data. With a
// trailing '/'. Only read here: a prediction creates nothing.
inline std::string DataFolderFor(const TPredictArgs& a, const std::string& programFolder) {
    std::string folder = a.dataDir.empty() ? programFolder + "data/" : a.dataDir;
    if (folder.back() != '/') folder += '/';
    if (!a.dataDir.empty() || ::access(folder.c_str(), W_OK | X_OK) == 0) return folder;
    std::string user;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        user = std::string(xdg) + "/orbisk/";
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        user = std::string(home) + "/.local/share/orbisk/";
    struct stat st {};
    return !user.empty() && ::stat(user.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? user : folder;
}

// MainSat.bin of the data folder, or every usable set of --tle (all
// selected, standard magnitudes from the data folder's Mag.dat). Records of
// MainSat.bin that cannot be used are told in *warnings.
inline TStatus LoadSatellites(const TPredictArgs& a, const std::string& dataFolder, std::vector<TSatRec>& sats,
                              std::vector<std::string>* warnings = nullptr) {
    if (a.tleFile.empty()) {
        std::string warning;
        if (TStatus loaded = LoadCatalogueForSearch(sats, dataFolder + "MainSat.bin", &warning); !loaded) return loaded;
        if (!warning.empty() && warnings) warnings->push_back(warning);
        return TStatus::Success();
    }
    std::vector<TElementEntry> entries;
    std::vector<TSatRec> made;
    std::string warning;
    if (TStatus read = ReadSearchElements(entries, a.tleFile, dataFolder + "Mag.dat", &warning, &made); !read)
        return read;
    if (!warning.empty() && warnings) warnings->push_back(warning);
    KeepMeanMotions(entries, made, 0.0, 1000.0);
    for (TSatRec& sat : made) sat.selected = 1;  // every set of the file is checked
    if (sats.empty()) sats = std::move(made);
    else sats.insert(sats.end(), made.begin(), made.end());
    if (sats.empty()) return TStatus::Failure(TStatusKind::invalid, "no usable element sets in " + a.tleFile);
    return TStatus::Success();
}

// The site of --lat/--lon/--height, or the observer of Observer.bin (an
// unusable one told in *warnings).
inline TObserver ObserverFor(const TPredictArgs& a, const std::string& dataFolder,
                             std::vector<std::string>* warnings = nullptr) {
    TObserver observer{};
    if (a.haveSite) {
        observer = DefaultObserver();
        observer.name = a.siteName.empty() ? std::string("Command line") : a.siteName;
        observer.pos = TLatLon{Radians(a.latitude), Radians(a.longitude), a.heightM / 1000.0};
        observer.utcOffset = 0.0;
        UpdateParallax(observer);
    } else {
        // A prediction or a picture only reads: Observer.bin is not created here.
        ReadObserverFile(dataFolder, observer, warnings);
    }
    if (a.haveOffset) observer.utcOffset = a.offsetHours / 24.0;
    return observer;
}

// What a program works with once its arguments are read: its folders, the
// options and the observer.
struct TSetup {
    std::string programFolder;
    std::string dataFolder;
    TOptions options{};
    TMenuSettings menu{};
    TObserver observer{};
};

// Checks --tz and reads the options and the observer into setup, what is
// unusable told in *warnings. "" or the reason (a usage error).
inline std::string Setup(const TPredictArgs& a, TSetup& setup, std::vector<std::string>* warnings) {
    if (const TStatus zone = a.zone.empty() ? TStatus::Success() : CheckZoneName(a.zone); !zone) return zone.message;
    setup.programFolder = ExecutableFolder();
    setup.dataFolder = DataFolderFor(a, setup.programFolder);
    LoadOptions(setup.dataFolder, setup.programFolder, setup.options, setup.menu, warnings);
    setup.observer = ObserverFor(a, setup.dataFolder, warnings);
    return {};
}

// The UTC day number of --start (or of now), and with --tz the zone's
// offset at that moment into observer. "" or the reason it cannot be had.
inline std::string StartAndZone(const TPredictArgs& a, TObserver& observer, double now, double& startUtc) {
    const bool local = !a.controls.utcMode;
    startUtc = now;
    if (a.haveStart) {
        startUtc = a.start;
        if (local && !a.startIsUtc) {
            if (a.zone.empty())
                startUtc = a.start - observer.utcOffset;
            else if (const TStatus zone = ZoneLocalToUtc(a.zone, a.start, startUtc); !zone)
                return zone.message;
        }
    }
    if (!a.zone.empty()) {
        double offset = 0.0;
        if (const TStatus zone = ZoneOffsetAt(a.zone, startUtc, offset); !zone) return zone.message;
        observer.utcOffset = offset;
        observer.zoneName = a.zone;
    }
    return {};
}

}  // namespace cli
