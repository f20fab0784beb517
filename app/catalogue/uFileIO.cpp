#include "uFileIO.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& out, bool* truncated) {
    out.clear();
    if (truncated) *truncated = false;
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
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

bool WriteFileAtomic(const std::string& path, std::string_view bytes, mode_t mode) {
    std::string tmp = path + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, mode) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ok = false;
        else done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}
