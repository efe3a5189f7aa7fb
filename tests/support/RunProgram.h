#pragma once
// Runs one of the project's programs as a person would, in an environment of the test's
// making, and collects its exit status and output.

#include "platform/Path.h"

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

} // namespace orv::test
