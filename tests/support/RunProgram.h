#pragma once
// Runs the project's programs as a person's session would, in an environment of the test's
// making, and collects their exit status and output.

#include "tests/support/TempDir.h"

#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace orv::test {

using Environment = std::map<std::string, std::string>;

struct RunResult {
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// `environment` is the whole environment of the program (PATH is added when missing).
RunResult runProgram(const Path& program, const std::vector<std::string>& arguments,
                     const Environment& environment, const Path& workingDirectory);

// A program left running in a process group of its own, its output in `outputDirectory`.
class RunningProgram {
  public:
    RunningProgram(const Path& program, const std::vector<std::string>& arguments,
                   const Environment& environment, const Path& workingDirectory,
                   const Path& outputDirectory);
    ~RunningProgram(); // kills it, and every program of its group, if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    int pid() const { return pid_; }
    // The exit status, or -1 when it did not exit normally or within `seconds`.
    int wait(double seconds = 20);
    std::string out() const { return readFile(out_); }
    std::string err() const { return readFile(err_); }

  private:
    int pid_ = -1;
    Path out_, err_;
};

// Skips the test when `what` is not `available`, as on a developer's machine; under CI, which
// installs everything the tests use, a missing one fails it.
#define ORVANE_REQUIRE(available, what)                                                            \
    if (!(available)) {                                                                            \
        if (std::getenv("CI") != nullptr) {                                                        \
            FAIL() << (what) << " is not installed";                                               \
        }                                                                                          \
        GTEST_SKIP() << (what) << " is not installed";                                             \
    }
#define ORVANE_REQUIRE_PROGRAM(name)                                                               \
    ORVANE_REQUIRE(access((std::string("/usr/bin/") + (name)).c_str(), X_OK) == 0, name)

// Waits until `condition` holds, checking every few milliseconds; false after `seconds`.
bool eventually(const std::function<bool()>& condition, double seconds = 20);

// A person's session inside `dir`: home, runtime and configuration folders, group containers
// and log of its own. XDG_DATA_HOME is left to its default below the home: with it set, GNOME
// Files now and then never showed a window.
Environment sessionEnvironment(const TempDir& dir);
// The user of that session finished onboarding: the host runs as the everyday agent.
void onboardingDone(const TempDir& dir);
// Ends the host a URL started in that session (no child of ours) through the pid it recorded.
void endRecordedHost(const TempDir& dir);
// An executable script at `script` that writes its arguments, each followed by "|", to `out`
// once it has them all.
Path recorderScript(const Path& script, const Path& out);

} // namespace orv::test
