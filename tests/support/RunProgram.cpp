#include "tests/support/RunProgram.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace orv::test {

RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const Environment& environment, const Path& workingDirectory) {
    TempDir capture;
    RunningProgram running(program, arguments, environment, workingDirectory, capture.path());
    RunResult result;
    result.exitCode = running.wait(120);
    result.out = running.out();
    result.err = running.err();
    return result;
}

RunningProgram::RunningProgram(const Path& program, const std::vector<std::string>& arguments,
                               const Environment& environment, const Path& workingDirectory,
                               const Path& outputDirectory)
    : out_(outputDirectory.appending("stdout")), err_(outputDirectory.appending("stderr")) {
    std::vector<std::string> args{program.str()}, env;
    args.insert(args.end(), arguments.begin(), arguments.end());
    for (const auto& [name, value] : environment) {
        env.push_back(name + "=" + value);
    }
    if (environment.count("PATH") == 0) {
        env.emplace_back("PATH=/usr/local/bin:/usr/bin:/bin");
    }
    std::vector<char*> argv, envp;
    for (auto* list : {&args, &env}) {
        auto& pointers = list == &args ? argv : envp;
        for (auto& s : *list) {
            pointers.push_back(s.data());
        }
        pointers.push_back(nullptr);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_.str().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_.str().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.str().c_str());
    // A group of its own, so that what it starts ends with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawn(&pid_, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

int RunningProgram::wait(double seconds) {
    int status = 0;
    if (pid_ <= 0 ||
        !eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, seconds)) {
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool eventually(const std::function<bool()>& condition, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

Environment sessionEnvironment(const TempDir& dir) {
    std::filesystem::create_directories((dir / "home").str());
    std::filesystem::create_directories((dir / "run").str());
    std::filesystem::permissions((dir / "run").str(), std::filesystem::perms::owner_all);
    return {{"HOME", (dir / "home").str()},
            {"XDG_RUNTIME_DIR", (dir / "run").str()},
            {"XDG_CONFIG_HOME", (dir / "config").str()},
            {"XDG_DATA_HOME", (dir / "data").str()},
            {"ORVANE_GROUP_CONTAINERS", (dir / "groups").str()},
            {"ORVANE_LOG_FILE", (dir / "log").str()},
            {"LANG", "C.UTF-8"}};
}

void endRecordedHost(const TempDir& dir) {
    const std::string pid = readFile(dir / "run/orvane/host.lock");
    if (!pid.empty() && std::stoi(pid) > 0 && kill(std::stoi(pid), SIGTERM) == 0) {
        eventually([&] { return kill(std::stoi(pid), 0) != 0; }, 5);
    }
}

Path recorderScript(const Path& script, const Path& out) {
    writeFile(script,
              "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" '" + out.str() + "'\n");
    std::filesystem::permissions(script.str(), std::filesystem::perms::owner_all);
    return script;
}

} // namespace orv::test
