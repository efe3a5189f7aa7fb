#include "tests/support/RunProgram.h"

#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orv::test {

RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment,
                     const Path& workingDirectory) {
    TempDir capture;
    const Path out = capture / "out", err = capture / "err";
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
    RunResult result;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

} // namespace orv::test
