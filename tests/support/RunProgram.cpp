#include "tests/support/RunProgram.h"

#include "tests/support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orv::test {

namespace {

// Starts the program with its output in files; the child's pid.
pid_t start(const Path& program, const std::vector<std::string>& arguments,
            const std::map<std::string, std::string>& environment, const Path& workingDirectory,
            const Path& out, const Path& err) {
    std::vector<std::string> argStorage{program.str()};
    argStorage.insert(argStorage.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envStorage;
    for (const auto& [name, value] : environment) {
        envStorage.push_back(name + "=" + value);
    }
    if (environment.count("PATH") == 0) {
        envStorage.emplace_back("PATH=/usr/local/bin:/usr/bin:/bin");
    }
    std::vector<char*> argv, envp;
    for (auto& a : argStorage) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    for (auto& e : envStorage) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int o = open(out.str().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.str().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (o < 0 || e < 0 || in < 0 || chdir(workingDirectory.str().c_str()) != 0) {
            _exit(126);
        }
        dup2(o, STDOUT_FILENO);
        dup2(e, STDERR_FILENO);
        dup2(in, STDIN_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

} // namespace

RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment,
                     const Path& workingDirectory) {
    TempDir capture;
    RunningProgram running(program, arguments, environment, workingDirectory, capture.path());
    RunResult result;
    result.exitCode = running.wait(120);
    result.out = running.out();
    result.err = running.err();
    return result;
}

RunningProgram::RunningProgram(const Path& program, const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment,
                               const Path& workingDirectory, const Path& outputDirectory)
    : out_(outputDirectory.appending("stdout")), err_(outputDirectory.appending("stderr")) {
    pid_ = start(program, arguments, environment, workingDirectory, out_, err_);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

void RunningProgram::signal(int signal) const {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

int RunningProgram::wait(double seconds) {
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    const bool ended = eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, seconds);
    if (!ended) {
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunningProgram::out() const {
    return readFile(out_);
}
std::string RunningProgram::err() const {
    return readFile(err_);
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

} // namespace orv::test
