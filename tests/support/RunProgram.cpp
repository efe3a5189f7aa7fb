#include "tests/support/RunProgram.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orv::test {

RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const Environment& environment, const Path& workingDirectory) {
    TempDir capture;
    RunningProgram running(program, arguments, environment, workingDirectory, capture.path());
    return {running.wait(120), running.out(), running.err()}; // in this order: waited for first
}

RunningProgram::RunningProgram(const Path& program, const std::vector<std::string>& arguments,
                               const Environment& environment, const Path& workingDirectory,
                               const Path& outputDirectory)
    : out_(outputDirectory.appending("stdout")), err_(outputDirectory.appending("stderr")) {
    Environment variables = environment;
    variables.try_emplace("PATH", "/usr/local/bin:/usr/bin:/bin");
    std::vector<std::string> strings{program.str()};
    strings.insert(strings.end(), arguments.begin(), arguments.end());
    for (const auto& [name, value] : variables) {
        strings.push_back(name + "=" + value);
    }
    std::vector<char*> argv, envp;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        (i <= arguments.size() ? argv : envp).push_back(strings[i].data());
    }
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const int out = open(out_.str().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err = open(err_.str().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    // A process group of its own, so that what it starts ends with it. Between fork and exec,
    // only calls that are safe in a child of a threaded process.
    pid_ = fork();
    if (pid_ == 0) {
        const int in = open("/dev/null", O_RDONLY);
        if (setpgid(0, 0) == 0 && dup2(in, 0) == 0 && dup2(out, 1) == 1 && dup2(err, 2) == 2 &&
            chdir(workingDirectory.str().c_str()) == 0) {
            execve(argv[0], argv.data(), envp.data());
        }
        _exit(127);
    }
    close(out);
    close(err);
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
    bool held = false;
    while (!(held = condition()) && std::chrono::steady_clock::now() <= end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return held;
}

void onboardingDone(const TempDir& dir) {
    std::filesystem::create_directories((dir / "config/orvane").str());
    writeFile(dir / "config/orvane/tamsel.Orvane-.defaults", "onboardingComplete\tbool\ttrue\n");
}

Environment sessionEnvironment(const TempDir& dir) {
    std::filesystem::create_directories((dir / "home").str());
    std::filesystem::create_directories((dir / "run").str());
    std::filesystem::permissions((dir / "run").str(), std::filesystem::perms::owner_all);
    return {{"HOME", (dir / "home").str()},
            {"XDG_RUNTIME_DIR", (dir / "run").str()},
            {"XDG_CONFIG_HOME", (dir / "config").str()},
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
