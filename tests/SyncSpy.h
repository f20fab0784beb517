// Records which files and folders are synced: this test program's own fsync
// stands in front of the C library's one. Include from one source file of a
// test program only.
#pragma once
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace syncspy {
inline std::mutex mu;
inline std::atomic<bool> on{false};
inline std::vector<std::string> paths;

inline void Start() {
    std::lock_guard<std::mutex> lock(mu);
    paths.clear();
    on = true;
}
// The synced paths in order since Start().
inline std::vector<std::string> Stop() {
    on = false;
    std::lock_guard<std::mutex> lock(mu);
    return paths;
}
}  // namespace syncspy

extern "C" int fsync(int fd) {
    using Fn = int (*)(int);
    static const Fn real = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, "fsync"));
    if (syncspy::on) {
        char link[64], target[PATH_MAX];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        const ssize_t n = ::readlink(link, target, sizeof target - 1);
        std::lock_guard<std::mutex> lock(syncspy::mu);
        syncspy::paths.emplace_back(target, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return real(fd);
}
