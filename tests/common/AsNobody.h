// Runs a check as the unprivileged user "nobody" in a child process: the
// tests run as root, who can read any file whatever its mode.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

// The child's verdict: 1 when check() held, 0 when not, -1 when the child
// could not drop its privileges (not root) or did not end normally.
template <class F>
int AsNobody(F check) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
    return WEXITSTATUS(status) == 0 ? 1 : 0;
}
