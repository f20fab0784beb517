// Small file helpers shared by the catalogue, settings and download code.
// Every file the program reads may be missing, short, huge or not a file at
// all; every file it rewrites is replaced atomically.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "uStatus.h"

// Reads at most maxBytes of a regular file into out (anything longer is cut
// off; *truncated tells). False, with out empty, when the path is missing,
// unreadable or not a regular file (a FIFO or device would block or never end).
bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& out,
                   bool* truncated = nullptr);
// The same, split into lines at LF without their CR/LF ends.
bool ReadFileLines(const std::string& path, std::size_t maxBytes, std::vector<std::string>& lines,
                   bool* truncated = nullptr);
// Opens a regular file for reading without blocking on a FIFO; -1 (errno
// set, EINVAL for a file that is not regular) when it cannot.
int OpenRegularFile(const std::string& path);

// Why path cannot be read as a file, to follow "File: <path> ": "not found",
// "is a folder", "is not a regular file (a FIFO)", "cannot be read: <reason>".
// Empty when it can be read.
std::string FileProblem(const std::string& path);
// "File: <path> <FileProblem>" for a file a read of which failed ("File:
// <path> could not be read" when nothing stands in the way now).
std::string FileProblemText(const std::string& path);
// FileProblemText as a failed status: notFound for a missing file, ioError
// for whatever else stands in the way.
TStatus FileReadFailure(const std::string& path);

// True when something stands at path that cannot be read as a file (a
// folder, a FIFO, a file without read permission, a link loop): unlike a
// missing file it holds data the program does not have.
bool IsUnreadableFile(const std::string& path);

// Writes bytes to a temporary file in the same folder, syncs it and renames
// it over path, so a crash or full disk never leaves a half-written file.
// A new file gets `mode` (0600 for files holding secrets); a file replaced
// keeps its own (see TAtomicFile). On any error an ioError whose message is
// TAtomicFile::Error() ("cannot write <path>: <reason>"); the old file is
// then untouched and the temporary file removed.
TStatus WriteFileAtomic(const std::string& path, std::string_view bytes, mode_t mode = 0644);

// "File: <path> could not be written: <reason>" from the message of a failed
// WriteFileAtomic on path.
std::string NotWrittenText(const std::string& path, const std::string& why);
// The <reason> alone, for texts that name the path themselves.
std::string NotWrittenReason(const std::string& path, const std::string& why);

// A new version of a file, written beside it and put in its place only by
// Commit(). A target that exists and is not a regular file (a folder, FIFO,
// device) is refused, and so is a read-only one; a symbolic link is written
// through to the regular file it names. A file replaced keeps its permission
// bits (a secret one, asked for without group and other bits, never gains
// them); a new one gets mode. The temporary file is locked while it lives and named by our own
// pattern, so a later writer in the folder can remove an orphan of a killed
// save without touching a save in progress.
class TAtomicFile {
public:
    explicit TAtomicFile(const std::string& target, mode_t mode = 0644);
    ~TAtomicFile();  // removes the temporary file unless committed
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(std::string_view bytes);
    // Empties the file again (an archive whose later entry replaces the one before).
    bool Rewind();
    const std::string& TempPath() const { return tmp_; }
    // Syncs the file, renames it over the target and syncs the folder, so a
    // power loss leaves the old file or the new one.
    bool Commit();
    // Why the last step failed, naming the target.
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& what);

    std::string target_;  // the regular file finally replaced (a link resolved)
    std::string tmp_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
};

// Temporary files of TAtomicFile left by a killed process (unlocked and
// older than this) are removed when their folder is next written.
inline constexpr int kStaleTempMinutes = 10;
// True for a file name TAtomicFile makes.
bool IsAtomicTempName(std::string_view name);
// Removes the stale temporary files of folder ("" = the current folder);
// returns how many.
int RemoveStaleTempFiles(const std::string& folder);

// What a file the program rewrites held when it was loaded, so that a file
// that is there but could not be read (or only in part) is not replaced by
// what stood in for it: it is written again only once the bytes to write
// differ from those it gave at load, that is once the user changed them.
class TReadGuard {
public:
    // whole: the file was read whole, or is missing; standIn: the bytes a
    // save would write right after the load.
    void Loaded(bool whole, std::string_view standIn);
    bool Whole() const { return whole_; }
    bool MayReplace(std::string_view bytes) const;

private:
    bool whole_ = true;
    std::size_t digest_ = 0;
};

// True when path names a regular file (or a link to one).
bool IsRegularFile(const std::string& path);
