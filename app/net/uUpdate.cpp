#include "uUpdate.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <unordered_map>

#include "Satellite.h"
#include "uLoadSave.h"

namespace {

bool EndsWithTle(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".tle";
}

// Consecutive lines that both look like element lines of one number.
struct TCandidatePair {
    std::size_t first;  // index of the earlier line
    std::optional<double> julian;
    int valid = -1;     // tle_valid, evaluated on first need
};

constexpr std::size_t kMinElementLine = 69;

}  // namespace

bool ListElementFiles(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    while (dirent* d = ::readdir(dir)) {
        std::string n = d->d_name;
        if (EndsWithTle(n) && netfiles::FileExists(folder + n)) names.push_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return !names.empty();
}

bool UpdateFromElementFiles(std::vector<TSatRec>& list, const std::string& folder) {
    std::vector<std::string> files;
    if (!ListElementFiles(folder, files)) return false;
    bool changed = false;
    for (const auto& file : files) {
        std::vector<std::string> lines;
        if (!netfiles::ReadLines(folder + file, lines)) continue;
        // Index every matching pair by number, in file order: one read of the
        // file serves every record of the list.
        std::vector<TCandidatePair> pairs;
        std::unordered_map<std::string, std::vector<std::size_t>> byNumber;
        for (std::size_t k = 1; k < lines.size(); ++k) {
            const std::string& p = lines[k - 1];
            const std::string& c = lines[k];
            if (p.size() < kMinElementLine || c.size() < kMinElementLine) continue;
            if (p.compare(2, 5, c, 2, 5) != 0) continue;
            byNumber[p.substr(2, 5)].push_back(pairs.size());
            pairs.push_back({k - 1, std::nullopt, -1});
        }
        if (pairs.empty()) continue;
        for (auto& sat : list) {
            auto it = byNumber.find(std::string(sat.catNo.view()));
            if (it == byNumber.end()) continue;
            for (std::size_t pi : it->second) {
                TCandidatePair& pr = pairs[pi];
                if (!pr.julian) {
                    double day = 0;
                    pr.julian = netfiles::EpochDayNumber(lines[pr.first], day) ? day + netfiles::kJulianOffset : -1.0;
                }
                if (*pr.julian < 0 || !(*pr.julian > sat.epoch)) continue;
                const std::string& l1 = lines[pr.first];
                const std::string& l2 = lines[pr.first + 1];
                if (pr.valid < 0) pr.valid = tle_valid(l1.c_str(), l2.c_str()) ? 1 : 0;
                if (!pr.valid) continue;
                // parse_elements may fail on lines tle_valid let through; keep the old block then.
                TSatRec fresh = sat;
                if (!parse_elements(l1.c_str(), l2.c_str(), &fresh)) continue;
                if (fresh.deepSpace ? !SDP4_init(&fresh) : !SGP4_init(&fresh)) continue;
                std::memcpy(&sat, &fresh, offsetof(TSatRec, stdMag));
                changed = true;
                break;
            }
        }
    }
    return changed;
}

TNetMessage UpdateMainListTask(std::vector<TSatRec>& list, const std::string& folder, bool& changed) {
    changed = UpdateFromElementFiles(list, folder);
    return {"Information", changed ? "Satellites updated successfully" : "Satellites are current"};
}

TNetMessage UpdateIridiumListTask(std::vector<TSatRec>& list, const std::string& folder,
                                  const std::string& iridPath, bool& changed) {
    changed = UpdateFromElementFiles(list, folder);
    if (changed) SaveCatalogue(list, iridPath);
    return {"Information", changed ? "Iridium Satellites updated successfully" : "Iridium Satellites are current"};
}
