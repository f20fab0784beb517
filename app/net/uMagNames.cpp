#include "uMagNames.h"

#include <cstdio>

bool UpdateFromNamesArchive(const std::string& url, const std::string& folder, std::vector<std::string>& lines,
                            const TNetConfig& config, TNetReport& report) {
    const char* kTitle = "Satellite Magnitude";
    const std::string archive = folder + "qmnamesupdate.zip";
    const std::string namesPath = folder + "qmnames.txt";
    if (DownloadFile(url, archive, config, report)) {
        if (DecompressDownload(archive, namesPath, kZipKind, config.maxExpandedBytes))
            std::remove(archive.c_str());
        else
            report.messages.push_back({"Unzip Error", "File downloaded successfully but failed to unzip: qmnamesupdate.zip"});
    } else {
        report.messages.push_back({kTitle, "Failed to download file - " + url});
    }
    std::vector<std::string> names;
    // An older names file from an earlier run is still merged.
    if (!netfiles::ReadLines(namesPath, names)) {
        report.messages.push_back({kTitle, "Failed to update magnitude file data"});
        return false;
    }
    lines = MergeNamesLines(lines, names);
    std::remove(namesPath.c_str());
    RemoveDuplicateMagLines(lines);
    report.messages.push_back({kTitle, "Update to magnitude file data completed successfully."});
    return true;
}
