#pragma once
// Starting programs on Linux.

#include "platform/Services.h"

namespace orv::lnx {

// NSTask on Linux: the program is started in a session of its own, its output and errors to
// /dev/null, and reaped by a thread of ours, so nothing waits for it and no zombie is left behind.
// A program that cannot be executed is reported as an error.
class LinuxProcessLauncher final : public ProcessLauncher {
  public:
    Status launch(const Path& executable, const std::vector<std::string>& arguments) override;
    // The same with `input` on its standard input (none when empty), whatever its size.
    Status launch(const Path& executable, const std::vector<std::string>& arguments,
                  std::string_view input);
};

// Runs a program with `input` on its standard input and waits for it; its output goes to
// /dev/null. Ok only when it exits with status 0.
Status runWithInput(const Path& executable, const std::vector<std::string>& arguments,
                    std::string_view input);

// Runs a program with `input` on its standard input (none when empty) and returns its standard
// output, waiting at most `seconds`: a program still running then, or writing more than
// `maxBytes`, is killed and reported. Ok only when it exits with status 0. Started with
// posix_spawn, so a large calling process is not copied.
Expected<std::string> captureOutput(const Path& executable,
                                    const std::vector<std::string>& arguments, double seconds,
                                    std::size_t maxBytes = 1 << 20, std::string_view input = {});

} // namespace orv::lnx
