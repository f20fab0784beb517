// The names archive of the magnitude file: fetched and merged into Mag.dat's lines.
#pragma once
#include <string>
#include <vector>

#include "uInternet.h"
#include "uMagFile.h"

// The names-archive update: download url to folder, unpack its text, merge it
// into lines and remove duplicates. The messages for the user go to report;
// true when lines were merged.
bool UpdateFromNamesArchive(const std::string& url, const std::string& folder, std::vector<std::string>& lines,
                            const TNetConfig& config, TNetReport& report);
