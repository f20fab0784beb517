#include "uFileIO.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kTempSuffix = ".orbisk-tmp";
constexpr std::size_t kTempRandom = 6;   // the XXXXXX of mkstemps
constexpr std::size_t kMaxTempBase = 200;  // keeps the temporary name under NAME_MAX

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder";
    if (S_ISFIFO(mode)) return "is not a regular file (a FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is not a regular file (a device)";
    if (S_ISSOCK(mode)) return "is not a regular file (a socket)";
    return "is not a regular file";
}

std::string FolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NamePart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The regular file a write of path replaces: path itself when it is missing
// or regular, the file a symbolic link names; "" with the reason otherwise.
std::string ResolveTarget(const std::string& path, std::string& why) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return path;
        why = std::strerror(errno);
        return {};
    }
    if (S_ISREG(st.st_mode)) return path;
    if (!S_ISLNK(st.st_mode)) {
        why = KindOf(st.st_mode);
        return {};
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        why = errno == ENOENT ? "is a link to a missing file" : std::string("is a link that cannot be followed: ") + std::strerror(errno);
        return {};
    }
    std::string resolved(real);
    std::free(real);
    if (::stat(resolved.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "is a link to " + resolved + ", which " + KindOf(st.st_mode);
        return {};
    }
    return resolved;
}

void SyncFolder(const std::string& folder) {
    const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    // Some file systems cannot sync a folder; the rename is done all the same.
    ::fsync(dfd);
    ::close(dfd);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int OpenRegularFile(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

std::string FileProblem(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "not found" : std::string("cannot be read: ") + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return KindOf(st.st_mode);
    const int fd = OpenRegularFile(path);
    if (fd < 0) return std::string("cannot be read: ") + std::strerror(errno);
    ::close(fd);
    return {};
}

std::string FileProblemText(const std::string& path) { return FileReadFailure(path).message; }

TStatus FileReadFailure(const std::string& path) {
    const std::string problem = FileProblem(path);
    return TStatus::Failure(problem == "not found" ? TStatusKind::notFound : TStatusKind::ioError,
                            "File: " + path + " " + (problem.empty() ? "could not be read" : problem));
}

bool IsUnreadableFile(const std::string& path) {
    const std::string problem = FileProblem(path);
    return !problem.empty() && problem != "not found";
}

void TReadGuard::Loaded(bool whole, std::string_view standIn) {
    whole_ = whole;
    digest_ = std::hash<std::string_view>{}(standIn);
}

bool TReadGuard::MayReplace(std::string_view bytes) const {
    return whole_ || std::hash<std::string_view>{}(bytes) != digest_;
}

bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& out, bool* truncated) {
    out.clear();
    if (truncated) *truncated = false;
    const int fd = OpenRegularFile(path);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    std::size_t want = static_cast<std::size_t>(st.st_size) < maxBytes ? static_cast<std::size_t>(st.st_size)
                                                                         : maxBytes;
    out.resize(want);
    std::size_t got = 0;
    while (got < want) {
        ssize_t n = ::read(fd, out.data() + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file shrank while we read it
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    if (truncated) *truncated = static_cast<std::size_t>(st.st_size) > maxBytes;
    ::close(fd);
    return true;
}

bool ReadFileLines(const std::string& path, std::size_t maxBytes, std::vector<std::string>& lines, bool* truncated) {
    lines.clear();
    std::string bytes;
    if (!ReadFileBytes(path, maxBytes, bytes, truncated)) return false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// ---- atomic replacement ------------------------------------------------------

bool IsAtomicTempName(std::string_view name) {
    // "." + base + "." + six random characters + suffix
    if (name.size() < 1 + 1 + 1 + kTempRandom + kTempSuffix.size() || name.front() != '.') return false;
    if (name.substr(name.size() - kTempSuffix.size()) != kTempSuffix) return false;
    const std::string_view random = name.substr(name.size() - kTempSuffix.size() - kTempRandom, kTempRandom);
    for (char c : random)
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return name[name.size() - kTempSuffix.size() - kTempRandom - 1] == '.';
}

int RemoveStaleTempFiles(const std::string& folder) {
    const std::string dirPath = folder.empty() ? "." : folder;
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir) return 0;
    const int dfd = ::dirfd(dir);
    const std::time_t cutoff = std::time(nullptr) - kStaleTempMinutes * 60;
    int removed = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (!IsAtomicTempName(d->d_name)) continue;
        const int fd = ::openat(dfd, d->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        // A writer holds its lock until the file is renamed into place; the
        // age covers the moment between its creation and its lock.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_mtime < cutoff &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dfd, d->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

TAtomicFile::TAtomicFile(const std::string& target, mode_t mode) {
    std::string why;
    target_ = ResolveTarget(target, why);
    if (target_.empty()) {
        target_ = target;
        Fail(why);
        return;
    }
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) {
        // Root may write anything: the permission bits say what the owner meant.
        if ((st.st_mode & 0222) == 0 || ::access(target_.c_str(), W_OK) != 0) {
            Fail("the file is read-only");
            return;
        }
        const mode_t secret = (mode & 077) == 0 ? 077 : 0;
        mode = st.st_mode & 0777 & ~secret;
    }
    const std::string folder = FolderPart(target_);
    RemoveStaleTempFiles(folder);
    tmp_ = folder + "." + NamePart(target_).substr(0, kMaxTempBase) + "." + std::string(kTempRandom, 'X') +
           std::string(kTempSuffix);
    fd_ = ::mkostemps(tmp_.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC);
    if (fd_ < 0) {
        tmp_.clear();
        Fail(std::strerror(errno));
        return;
    }
    if (::flock(fd_, LOCK_EX) != 0 || ::fchmod(fd_, mode) != 0) Fail(std::strerror(errno));
}

TAtomicFile::~TAtomicFile() {
    if (fd_ >= 0) {
        ::unlink(tmp_.c_str());
        ::close(fd_);
    }
}

bool TAtomicFile::Fail(const std::string& what) {
    if (!failed_) error_ = "cannot write " + target_ + ": " + what;
    failed_ = true;
    return false;
}

bool TAtomicFile::Write(std::string_view bytes) {
    if (failed_ || fd_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(n < 0 ? std::strerror(errno) : "no space written");
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool TAtomicFile::Rewind() {
    if (failed_ || fd_ < 0) return false;
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return Fail(std::strerror(errno));
    return true;
}

bool TAtomicFile::Commit() {
    if (failed_ || fd_ < 0) return false;
    if (::fsync(fd_) != 0) return Fail(std::strerror(errno));
    // What stands at the target may have changed since the file was opened.
    struct stat st {};
    if (::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return Fail(KindOf(st.st_mode));
    // Renamed while still locked, so no sweep can take it for an orphan.
    if (std::rename(tmp_.c_str(), target_.c_str()) != 0) return Fail(std::strerror(errno));
    ::close(fd_);
    fd_ = -1;
    SyncFolder(FolderPart(target_));
    return true;
}

TStatus WriteFileAtomic(const std::string& path, std::string_view bytes, mode_t mode) {
    TAtomicFile file(path, mode);
    if (file.Write(bytes) && file.Commit()) return TStatus::Success();
    return TStatus::Failure(TStatusKind::ioError,
                            file.Error().empty() ? "cannot write " + path + ": unknown error" : file.Error());
}

std::string NotWrittenReason(const std::string& path, const std::string& why) {
    const std::string prefix = "cannot write " + path + ": ";
    return why.compare(0, prefix.size(), prefix) == 0 ? why.substr(prefix.size()) : why;
}

std::string NotWrittenText(const std::string& path, const std::string& why) {
    const std::string reason = NotWrittenReason(path, why);
    return "File: " + path + " could not be written" + (reason.empty() ? "" : ": " + reason);
}
