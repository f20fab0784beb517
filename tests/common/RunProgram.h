// Runs a program of the build as a user's shell would and keeps what it says.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

struct TProgramRun {
    int status = -1;   // exit status, -1 when it did not exit normally
    std::string out;   // standard output and standard error together
    std::string err;   // standard error, when kept apart (RunProgramApart)
};

// program is quoted; args are passed to the shell as they are.
inline TProgramRun RunProgram(const std::string& program, const std::string& args) {
    TProgramRun r;
    const std::string cmd = "'" + program + "' " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// The same with standard error kept apart from the output.
inline TProgramRun RunProgramApart(const std::string& program, const std::string& args) {
    char errPath[] = "/tmp/orbisk_stderr_XXXXXX";
    const int fd = mkstemp(errPath);
    if (fd < 0) return {};
    close(fd);
    TProgramRun r;
    const std::string cmd = "'" + program + "' " + args + " 2>'" + errPath + "'";
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
        const int st = pclose(p);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    if (FILE* e = std::fopen(errPath, "rb")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, e)) > 0;) r.err.append(buf, n);
        std::fclose(e);
    }
    std::remove(errPath);
    return r;
}
