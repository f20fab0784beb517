#include "uUpdate.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <unordered_map>

#include "Satellite.h"
#include "uCatNumber.h"
#include "uFormat.h"
#include "uLoadSave.h"

namespace {

bool EndsWithTle(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".tle";
}

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
    std::vector<TElementEntry> entries;
    for (const auto& file : files) {
        // Every format the reader knows; its entries hold valid lines only.
        if (!ReadElementFile(entries, folder + file)) continue;
        // Entries by number, in file order: one read of the file serves every
        // record of the list.
        std::unordered_map<long, std::vector<std::size_t>> byNumber;
        for (std::size_t k = 0; k < entries.size(); ++k)
            byNumber[CatalogueNumberValue(entries[k].catNo.view())].push_back(k);
        std::vector<double> julian(entries.size(), 0.0);  // 0: not computed yet
        for (auto& sat : list) {
            const long number = CatalogueNumberValue(sat.catNo.view());
            if (number < 0) continue;
            auto it = byNumber.find(number);
            if (it == byNumber.end()) continue;
            for (std::size_t k : it->second) {
                const TElementEntry& e = entries[k];
                if (julian[k] == 0.0) julian[k] = ElementEpochJulian(e.line1.view());
                if (!(julian[k] > sat.epoch)) continue;
                // parse_elements may fail on lines tle_valid let through; keep the old block then.
                TSatRec fresh = sat;
                const std::string l1 = e.line1.str(), l2 = e.line2.str();
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

namespace {
// "; the newest set of the list is of 2018-01-22": what the user must judge.
std::string NewestEpochNote(const std::vector<TSatRec>& list) {
    double newest = 0.0;
    for (const TSatRec& sat : list) newest = std::max(newest, sat.epoch);
    if (!(newest > 0.0)) return "";
    return "; the newest set of the list is of " + FormatDateTime("yyyy-mm-dd", JulianToDayNumber(newest)) +
           ": download fresh elements for current positions";
}
}  // namespace

TNetMessage UpdateMainListTask(std::vector<TSatRec>& list, const std::string& folder, bool& changed) {
    changed = UpdateFromElementFiles(list, folder);
    if (changed) return {"Information", "Satellites updated successfully"};
    // Nothing newer in the files says nothing about how old the sets are.
    return {"Information", "No newer element sets in " + folder + NewestEpochNote(list)};
}

TNetMessage UpdateIridiumListTask(std::vector<TSatRec>& list, const std::string& folder,
                                  const std::string& iridPath, bool& changed) {
    changed = UpdateFromElementFiles(list, folder);
    if (const TStatus saved = changed ? SaveCatalogue(list, iridPath) : TStatus::Success(); !saved)
        return {"File", NotWrittenText(iridPath, saved.message) + "; the updated Iridium list is used until the program ends"};
    if (changed) return {"Information", "Iridium Satellites updated successfully"};
    return {"Information", "No newer Iridium element sets in " + folder + NewestEpochNote(list)};
}
