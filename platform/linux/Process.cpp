#include "platform/linux/Process.h"

#include "platform/linux/Environment.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orv::lnx {

namespace {

// argv for posix_spawn.
struct Argv {
    std::vector<std::string> storage;
    std::vector<char*> pointers;

    Argv(const Path& executable, const std::vector<std::string>& arguments) {
        storage.push_back(executable.str());
        storage.insert(storage.end(), arguments.begin(), arguments.end());
        for (auto& s : storage) {
            pointers.push_back(s.data());
        }
        pointers.push_back(nullptr);
    }
};

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return status;
}

// The bytes for a program's standard input, in an anonymous file read from its start: all of
// them are there before it starts, so neither side ever waits for the other, whatever their
// size. None (-1) for no bytes; -1 with errno set when it cannot be made.
int inputFile(std::string_view input) {
    if (input.empty()) {
        return -1;
    }
    const int fd = memfd_create("orvane-input", MFD_CLOEXEC);
    if (fd >= 0 && (!writeAll(fd, input) || lseek(fd, 0, SEEK_SET) != 0)) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Starts the program with `input` (no input when -1), its output to `output` (/dev/null when
// -1) and its errors to /dev/null: what our helpers print is not the user's business, and a file
// manager that starts us would get it in its own output. posix_spawn, not fork: a file manager that
// loads us may be large, and copying it would hold its main thread for milliseconds. The program
// gets a session of its own and default signal handling whatever ours is. Answers 0 or the error.
int spawn(const Argv& argv, int input, int output, pid_t& child) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0) {
        posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    if (output >= 0) {
        posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, pipe;
    sigemptyset(&none);
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &pipe);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int error =
        posix_spawn(&child, argv.pointers[0], &actions, &attributes, argv.pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

} // namespace

Status LinuxProcessLauncher::launch(const Path& executable,
                                    const std::vector<std::string>& arguments) {
    return launch(executable, arguments, {});
}

Status LinuxProcessLauncher::launch(const Path& executable,
                                    const std::vector<std::string>& arguments,
                                    std::string_view input) {
    const posix::Fd in(inputFile(input));
    if (in.fd < 0 && !input.empty()) {
        return posixError(errno, "Couldn’t start", executable);
    }
    pid_t child = -1;
    if (const int error = spawn(Argv(executable, arguments), in.fd, -1, child); error != 0) {
        return posixError(error, "Couldn’t start", executable);
    }
    // Reaped in the background, so nothing waits for it and no zombie is left.
    std::thread([child] { waitFor(child); }).detach();
    return ok();
}

Status runWithInput(const Path& executable, const std::vector<std::string>& arguments,
                    std::string_view input) {
    const posix::Fd in(inputFile(input));
    if (in.fd < 0 && !input.empty()) {
        return posixError(errno, "Couldn’t start", executable);
    }
    pid_t child = -1;
    if (const int error = spawn(Argv(executable, arguments), in.fd, -1, child); error != 0) {
        return posixError(error, "Couldn’t start", executable);
    }
    const int status = waitFor(child);
    if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return posixError(ECHILD, "The program failed", executable);
    }
    return ok();
}

Expected<std::string> captureOutput(const Path& executable,
                                    const std::vector<std::string>& arguments, double seconds,
                                    std::size_t maxBytes, std::string_view input) {
    const posix::Fd in(inputFile(input));
    int out[2];
    if ((in.fd < 0 && !input.empty()) || pipe2(out, O_CLOEXEC) != 0) {
        return posixError(errno, "Couldn’t start", executable);
    }
    pid_t child = -1;
    const int spawned = spawn(Argv(executable, arguments), in.fd, out[1], child);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return posixError(spawned, "Couldn’t start", executable);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::string text;
    int failure = 0;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd readable{out[0], POLLIN, 0};
        const int ready = left > 0 ? poll(&readable, 1, static_cast<int>(left)) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            failure = ready == 0 ? ETIMEDOUT : errno;
            break;
        }
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            failure = n < 0 ? errno : 0;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > maxBytes) {
            failure = EFBIG;
            break;
        }
    }
    close(out[0]);
    // A program that closed its output may still run: it gets what is left of the time too,
    // waited for on its process descriptor, which becomes readable when it ends.
    if (failure == 0) {
        // The system call itself: glibc 2.36's <sys/pidfd.h> lacks C linkage for C++.
        const int process = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        pollfd ended{process, POLLIN, 0};
        int ready;
        do {
            ready = process >= 0 && left > 0 ? poll(&ended, 1, static_cast<int>(left)) : 1;
        } while (ready < 0 && errno == EINTR);
        failure = ready == 0 ? ETIMEDOUT : 0;
        if (process >= 0) {
            close(process);
        }
    }
    if (failure != 0) {
        kill(child, SIGKILL);
    }
    const int status = waitFor(child);
    if (failure != 0) {
        return posixError(failure, failure == EFBIG ? "Too much output from" : "No answer from",
                          executable);
    }
    if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return posixError(ECHILD, "The program failed", executable);
    }
    return text;
}

} // namespace orv::lnx
