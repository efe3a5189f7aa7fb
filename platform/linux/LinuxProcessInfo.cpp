#include "platform/linux/LinuxProcessInfo.h"

#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace orv::lnx {

namespace {

// The start of a small file: no streams, which would weigh on every program that links this.
std::string contentOf(const std::string& file) {
    char buffer[1024];
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd >= 0 ? read(fd, buffer, sizeof buffer) : -1;
    if (fd >= 0) {
        close(fd);
    }
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string firstLine(const char* file) {
    const std::string text = contentOf(file);
    return std::string(trimmingWhitespaceAndNewlines(text.substr(0, text.find('\n'))));
}

} // namespace

std::int64_t LinuxProcessInfo::processIdentifier() {
    return getpid();
}

double LinuxProcessInfo::systemUptime() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::string LinuxProcessInfo::machine() {
    for (const char* file : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        if (auto id = firstLine(file); !id.empty()) {
            return id;
        }
    }
    char host[HOST_NAME_MAX + 1] = {};
    return gethostname(host, sizeof host - 1) == 0 ? concat({"host:", host}) : std::string();
}

std::string LinuxProcessInfo::boot() {
    return firstLine("/proc/sys/kernel/random/boot_id");
}

std::optional<std::uint64_t> LinuxProcessInfo::startOf(std::int64_t pid) {
    // The start is the 22nd field; the name in the 2nd may hold blanks and parentheses.
    const std::string stat = contentOf("/proc/" + std::to_string(pid) + "/stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::string_view fields = std::string_view(stat).substr(close + 1);
    std::string_view field;
    for (int i = 3; i <= 22; ++i) {
        fields.remove_prefix(std::min(fields.find_first_not_of(' '), fields.size()));
        const auto blank = std::min(fields.find(' '), fields.size());
        field = fields.substr(0, blank);
        fields.remove_prefix(blank);
    }
    std::uint64_t started = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), started);
    return error == std::errc() && end == field.data() + field.size() && !field.empty()
               ? std::optional(started)
               : std::nullopt;
}

} // namespace orv::lnx
