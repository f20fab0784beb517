// Refreshing the element sets of a satellite list from the element files.
#pragma once
#include <string>
#include <vector>

#include "uNetFiles.h"
#include "uVarDef.h"

// Names (not paths) of the "*.tle" files of folder, sorted; false when none.
bool ListElementFiles(const std::string& folder, std::vector<std::string>& names);

// For every file in listing order and every record: the first pair in the file
// with the record's number, a newer epoch and valid lines replaces the element
// block. Fields after the block are kept. True when any record changed.
// Each file is read once, whatever the size of the list.
bool UpdateFromElementFiles(std::vector<TSatRec>& list, const std::string& folder);

// "Update Main List" / "Update Iridium List": the message to show. The
// Iridium variant writes the list to irdPath when anything changed; when
// that fails the message says so (changed stays true: the list in memory
// is the updated one).
TNetMessage UpdateMainListTask(std::vector<TSatRec>& list, const std::string& folder, bool& changed);
TNetMessage UpdateIridiumListTask(std::vector<TSatRec>& list, const std::string& folder,
                                  const std::string& iridPath, bool& changed);
