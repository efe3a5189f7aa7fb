#pragma once
// Runs one of the project's programs as a person would, in an environment of the test's
// making, and collects its exit status and output.

#include "platform/Path.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orv::test {

struct RunResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// `environment` is the whole environment of the program (PATH is added when missing).
RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::string>& environment,
                     const Path& workingDirectory);

// A program started and left running; its output goes to files in `outputDirectory`.
class RunningProgram {
  public:
    RunningProgram(const Path& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment,
                   const Path& workingDirectory, const Path& outputDirectory);
    ~RunningProgram(); // kills it, and every program of its group, if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    int pid() const { return pid_; }
    void signal(int signal) const;
    // Waits for the end; the exit status, or -1 when it did not exit normally or took longer
    // than `seconds`.
    int wait(double seconds = 20);
    std::string out() const;
    std::string err() const;

  private:
    int pid_ = -1;
    Path out_, err_;
};

// Waits until `condition` holds, checking every few milliseconds; false after `seconds`.
bool eventually(const std::function<bool()>& condition, double seconds = 20);

} // namespace orv::test
