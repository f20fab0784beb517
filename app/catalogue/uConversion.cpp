#include "uConversion.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sys/stat.h>

#include "uCatNumber.h"
#include "uMagFile.h"
#include "uUpdate.h"
#include "uLoadSave.h"
#include "uFileIO.h"


namespace {

constexpr double kDefaultStdMag = 8.0;

bool EntryLess(const TElementEntry& a, const TElementEntry& b) {
    return CatalogueNumberLess(a.catNo.view(), b.catNo.view());
}

}  // namespace

std::string CommonNamePath(const std::string& elementPath) {
    return netfiles::FolderOf(elementPath) + kCommonNamePrefix + netfiles::FileNameOf(elementPath);
}

void SortEntriesByNumber(std::vector<TElementEntry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), EntryLess);
}

TStatus ConvertToCommonNames(const std::string& elementPath, const std::string& magPath, TElementReadReport* read) {
    auto unreadable = [](const std::string& path) {
        return TStatus::Failure(TStatusKind::notFound, "File: " + path + " " + FileProblem(path));
    };
    std::vector<std::string> mag;
    if (!netfiles::ReadLines(magPath, mag)) return unreadable(magPath);
    if (!netfiles::FileExists(elementPath)) return unreadable(elementPath);
    std::vector<TElementEntry> entries;
    TElementReadReport report;
    ReadElementFile(entries, elementPath, &report);
    if (read) *read = report;
    // A file without element sets is not converted: deleting it would lose whatever it holds.
    if (entries.empty()) {
        const std::string summary = report.Summary();
        return TStatus::Failure(TStatusKind::invalid,
                                "no element sets in " + elementPath + (summary.empty() ? "" : ": " + summary));
    }
    SortEntriesByNumber(entries);
    const TMagIndex index(mag);
    std::string text;
    for (const auto& e : entries) {
        std::string name(e.name.view());
        const int idx = index.Find(std::string(e.catNo.view()));
        if (idx >= 0) {
            const std::string common = MagName(mag[idx]);
            if (!common.empty()) name = common;
        }
        text += name + "\r\n";
        text += std::string(e.line1.view()) + "\r\n";
        text += std::string(e.line2.view()) + "\r\n";
    }
    // The source stays: it may be the user's only copy, or a file the program ships.
    return WriteFileAtomic(CommonNamePath(elementPath), text);
}

TNetMessage ConvertFileTask(const std::string& elementPath, const std::string& magPath) {
    const std::string name = netfiles::FileNameOf(elementPath);
    TElementReadReport read;
    const TStatus converted = ConvertToCommonNames(elementPath, magPath, &read);
    if (converted) {
        std::string text = "File converted to \"" + std::string(kCommonNamePrefix) + name + "\"";
        text += "\nWritten to " + CommonNamePath(elementPath) + "; \"" + name + "\" is kept as it was.";
        // Records the converted file lacks must not go unmentioned.
        if (const std::string skipped = read.Summary(); !skipped.empty()) text += "\nNot converted: " + skipped;
        return {"File Conversion", text};
    }
    return {"File Conversion", "File \"" + name + "\" FAILED to Convert" +
                                   (converted.message.empty() ? "" : "\n" + converted.message)};
}

TStatus WriteCatalogueFile(std::vector<TElementEntry> entries, const std::string& path, bool iridium,
                           std::size_t* made) {
    if (iridium) {
        // The by-name query answers with the second generation and with
        // debris too; neither carries the first generation's flaring antennas.
        std::erase_if(entries, [](const TElementEntry& e) {
            const auto n = e.name.view();
            return n.find('?') != std::string_view::npos || n.find('T') != std::string_view::npos ||
                   n.find("DEB") != std::string_view::npos ||
                   CatalogueNumberValue(e.catNo.view()) >= kFirstIridiumNextNumber;
        });
    }
    std::vector<TSatRec> sats;
    sats.reserve(entries.size());
    for (const auto& e : entries) {
        TSatRec s{};
        // A set the propagator cannot start would only give a decayed record.
        if (MakeSatelliteRecord(s, e.name.view(), e.catNo.view(), e.stdMag, e.line1.str(), e.line2.str(),
                                e.magSource))
            sats.push_back(s);
    }
    if (made) *made = sats.size();
    if (sats.empty()) return TStatus::Failure(TStatusKind::notFound, "no element set made a record for " + path);
    return SaveCatalogue(sats, path);
}

TNetMessage CreateIridiumFile(const std::string& folder, const std::string& iridPath,
                              std::vector<TSatRec>& iridiumSats, bool& written) {
    const char* kTitle = "Iridium file creation";
    written = false;
    std::string source = folder + "Iridium.tle";
    if (!netfiles::FileExists(source)) source = folder + kCommonNamePrefix + "Iridium.tle";
    if (!netfiles::FileExists(source))
        return {kTitle,
                "File \"Iridium.tle\" or \"Common_Name_Iridium.tle\" was not found in download directory."};
    std::vector<TElementEntry> entries;
    std::size_t made = 0;
    // A source without sets would otherwise replace a good catalogue by an empty one.
    if (!ReadElementFile(entries, source))
        return {kTitle, "New file creation failed. Make sure your iridium.tle file is not corrupted"};
    if (!WriteCatalogueFile(entries, iridPath, true, &made)) {
        if (made > 0) return {kTitle, "New file creation failed. \"" + iridPath + "\" could not be written."};
        return {kTitle, "New file creation failed. None of the " + std::to_string(entries.size()) +
                            " element sets of \"" + netfiles::FileNameOf(source) +
                            "\" passed the Iridium name filter and initialised; \"IridSat.bin\" was left as it was."};
    }
    written = true;
    LoadCatalogue(iridiumSats, iridPath);
    return {kTitle, "Successsfully created \"IridSat.bin\" file."};
}

std::vector<TElementEntry> MergeSkyEntries(const std::vector<TElementEntry>& sorted,
                                           const std::vector<std::string>& magLines) {
    std::vector<TElementEntry> out;
    std::size_t i = 0;
    for (const auto& line : magLines) {
        const long nNum = MagNumberValue(line);
        if (nNum < 0) continue;
        // Every entry can be taken, the one that sorts last included.
        while (i < sorted.size()) {
            const TElementEntry& e = sorted[i];
            const long eNum = CatalogueNumberValue(e.catNo.view());
            if (eNum == nNum) {
                TElementEntry copy = e;
                double mag = kDefaultStdMag;
                TMagSource source = TMagSource::kUnknown;
                if (!MagLineValue(line, mag, &source)) mag = kDefaultStdMag;
                copy.stdMag = mag;
                copy.magSource = static_cast<uint8_t>(source);
                out.push_back(copy);
                ++i;
                break;
            }
            if (eNum > nNum) break;
            ++i;
        }
    }
    return out;
}

TNetMessage CreateSkySatFile(const std::string& sourcePath, const std::string& magPath,
                             const std::string& skyPath, std::vector<TSatRec>& skySats, bool& written) {
    written = false;
    std::vector<TElementEntry> entries;
    if (!ReadElementFile(entries, sourcePath) || entries.size() < 2)
        return {"File", "Selected file has no Satellite Element found"};
    SortEntriesByNumber(entries);
    TMagFile mag;
    // Without magnitudes the merge is empty and would wipe the sky catalogue.
    if (!LoadMagFile(magPath, mag)) return {"File", FileProblemText(magPath)};
    std::size_t made = 0;
    if (!WriteCatalogueFile(MergeSkyEntries(entries, mag.lines), skyPath, false, &made)) {
        if (made > 0) return {"File", "Failed to write \"" + netfiles::FileNameOf(skyPath) + "\""};
        return {"File", "No element set of the selected file has a magnitude line in \"" +
                            netfiles::FileNameOf(magPath) + "\"; \"" + netfiles::FileNameOf(skyPath) +
                            "\" was left as it was."};
    }
    written = true;
    LoadCatalogue(skySats, skyPath);
    return {};
}

TSkyRefresh RefreshSkySats(const std::string& skyPath, const std::string& folder, double nowDay, int ageDays) {
    TSkyRefresh result;
    struct stat st{};
    if (::stat(skyPath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return result;
    const double fileDay = kUnixEpochDay + static_cast<double>(st.st_mtime) / 86400.0;
    if (std::trunc(nowDay - fileDay) <= ageDays) return result;
    LoadCatalogue(result.sats, skyPath);
    result.changed = UpdateFromElementFiles(result.sats, folder);
    return result;
}
