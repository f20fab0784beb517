// Small file helpers shared by the catalogue and settings code. Every file
// the program reads may be missing, short, huge or not a file at all;
// every file it rewrites is replaced atomically.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>

// Reads at most maxBytes of a regular file into out (anything longer is cut
// off; *truncated tells). False, with out empty, when the path is missing,
// unreadable or not a regular file (a FIFO or device would block or never end).
bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& out,
                   bool* truncated = nullptr);

// Writes bytes to a temporary file in the same folder, flushes it and renames
// it over path, so a crash or full disk never leaves a half-written file.
// The new file gets `mode` (0600 for files holding secrets). False on any
// error; the old file is then untouched and the temporary file removed.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, mode_t mode = 0644);

// True when path names a regular file (or a link to one).
bool IsRegularFile(const std::string& path);
