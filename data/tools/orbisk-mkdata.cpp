// Build-time generator of the installation's binary files: the star and
// constellation files from the committed text sources, and the default
// satellite catalogues from the installed element files, all through the
// program's own writers.
//
//   orbisk-mkdata <data/src> <data/install> <output data folder>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "uDataFiles.h"
#include "uLoadSave.h"
#include "uSkyData.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream ss(line);
    std::string f;
    while (std::getline(ss, f, '\t')) out.push_back(f);
    return out;
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "orbisk-mkdata: %s\n", what.c_str());
    return false;
}

// Source lines that are not comments or blank.
bool SourceLines(const std::string& path, std::vector<std::string>& lines) {
    std::vector<std::string> all;
    if (!ReadDataLines(path, all)) return Fail("cannot read " + path);
    lines.clear();
    for (std::string& l : all)
        if (!l.empty() && l[0] != '#') lines.push_back(std::move(l));
    return true;
}

bool MakeStars(const std::string& src, const std::string& out) {
    std::vector<std::string> lines;
    if (!SourceLines(src + "/stars.txt", lines)) return false;
    std::vector<TSkyRecord> stars;
    for (const std::string& l : lines) {
        const auto f = Fields(l);
        double ra = 0, dec = 0, mag = 0, sao = 0;
        if (f.size() < 4 || !ParseNumber(f[0], ra) || !ParseNumber(f[1], dec) || !ParseNumber(f[2], mag) ||
            !ParseNumber(f[3], sao))
            return Fail("bad star line: " + l);
        stars.push_back(MakeSkyRecord(ra, dec, mag, f.size() > 4 ? f[4] : "", sao));
    }
    if (!WriteSkyFile(out + "/SaoStar.bin", stars)) return Fail("cannot write SaoStar.bin");
    std::printf("SaoStar.bin: %zu stars\n", stars.size());
    return true;
}

bool MakeConstellations(const std::string& src, const std::string& out) {
    std::vector<std::string> lines;
    if (!SourceLines(src + "/constellations.txt", lines)) return false;
    std::vector<TSkyRecord> points;
    for (const std::string& l : lines) {
        const auto f = Fields(l);
        double ra1 = 0, dec1 = 0, ra2 = 0, dec2 = 0;
        if (f.size() < 4 || !ParseNumber(f[0], ra1) || !ParseNumber(f[1], dec1) || !ParseNumber(f[2], ra2) ||
            !ParseNumber(f[3], dec2))
            return Fail("bad constellation line: " + l);
        points.push_back(MakeSkyRecord(ra1, dec1, 0.0, f.size() > 4 ? f[4] : ""));
        points.push_back(MakeSkyRecord(ra2, dec2, 0.0, ""));
    }
    if (!WriteSkyFile(out + "/Constellation.bin", points)) return Fail("cannot write Constellation.bin");
    std::printf("Constellation.bin: %zu lines\n", points.size() / 2);
    return true;
}

// Standard magnitudes by catalogue number from Mag.dat (URL line skipped).
std::map<std::string, double> ReadMagnitudes(const std::string& path) {
    std::map<std::string, double> mags;
    std::vector<std::string> lines;
    ReadDataLines(path, lines);
    for (const std::string& l : lines) {
        TMagEntry e;
        if (l.find("http:") == std::string::npos && ParseMagEntryLine(l, e)) mags[e.number] = e.mag;
    }
    return mags;
}

double MagnitudeOf(const std::map<std::string, double>& mags, const std::string& catNo) {
    auto it = mags.find(catNo);
    return it == mags.end() ? 8.0 : it->second;
}

bool MakeMainList(const std::string& src, const std::string& install, const std::string& out,
                  const std::map<std::string, double>& mags) {
    std::map<std::string, TElementEntry> byNumber;
    for (const char* file : {"visual.tle", "stations.tle"}) {
        std::vector<TElementEntry> entries;
        if (!ReadElementFile(entries, install + "/tle/" + file)) return Fail(std::string("no sets in ") + file);
        for (const TElementEntry& e : entries) byNumber.emplace(e.catNo.str(), e);
    }
    std::vector<std::string> lines;
    if (!SourceLines(src + "/mainsat.txt", lines)) return false;
    std::vector<TSatRec> sats;
    std::size_t selected = 0;
    for (const std::string& l : lines) {
        std::istringstream in(l);
        std::string number;
        int flag = 0;
        in >> number >> flag;
        auto it = byNumber.find(number);
        if (it == byNumber.end()) return Fail("main list satellite not in the element files: " + number);
        const TElementEntry& e = it->second;
        TSatRec sat{};
        if (!MakeSatelliteRecord(sat, e.name.view(), e.catNo.view(), MagnitudeOf(mags, number), e.line1.str(),
                                 e.line2.str()))
            return Fail("cannot initialise " + number);
        sat.selected = (flag != 0 && selected < 15) ? 1 : 0;
        selected += sat.selected;
        sats.push_back(sat);
    }
    if (!SaveCatalogue(sats, out + "/MainSat.bin")) return Fail("cannot write MainSat.bin");
    std::printf("MainSat.bin: %zu satellites, %zu selected\n", sats.size(), selected);
    return true;
}

bool MakeIridiumList(const std::string& install, const std::string& out, const std::map<std::string, double>& mags) {
    std::vector<TElementEntry> entries;
    if (!ReadElementFile(entries, install + "/tle/Iridium.tle")) return Fail("no sets in Iridium.tle");
    std::vector<TSatRec> sats;
    for (const TElementEntry& e : entries) {
        // Same rule as the program's Iridium file creation: '?' or 'T' marks a body without flares.
        const std::string name = e.name.str();
        if (name.find('?') != std::string::npos || name.find('T') != std::string::npos) continue;
        TSatRec sat{};
        if (!MakeSatelliteRecord(sat, e.name.view(), e.catNo.view(), MagnitudeOf(mags, e.catNo.str()),
                                 e.line1.str(), e.line2.str()))
            return Fail("cannot initialise " + e.catNo.str());
        sats.push_back(sat);
    }
    if (!SaveCatalogue(sats, out + "/IridSat.bin")) return Fail("cannot write IridSat.bin");
    std::printf("IridSat.bin: %zu satellites\n", sats.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: orbisk-mkdata <data/src> <data/install> <output data folder>\n");
        return 2;
    }
    const std::string src = argv[1], install = argv[2], out = argv[3];
    const auto mags = ReadMagnitudes(install + "/data/Mag.dat");
    const bool ok = MakeStars(src, out) && MakeConstellations(src, out) &&
                    MakeMainList(src, install, out, mags) && MakeIridiumList(install, out, mags);
    return ok ? 0 : 1;
}
