#pragma once

#include "platform/Services.h"

namespace orv::lnx {

// The machine from its machine id (the host name where there is none), the boot from the
// kernel's boot id, a process's start from /proc, in clock ticks since the boot.
class LinuxProcessInfo final : public ProcessInfo {
  public:
    std::int64_t processIdentifier() override;
    double systemUptime() override;
    std::string machine() override;
    std::string boot() override;
    std::optional<std::uint64_t> startOf(std::int64_t pid) override;
};

} // namespace orv::lnx
