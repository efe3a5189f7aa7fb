#include "platform/linux/LinuxProcessInfo.h"

#include "platform/Text.h"

#include <charconv>
#include <climits>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace orv::lnx {

namespace {

std::string firstLine(const char* file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return std::string(trimmingWhitespaceAndNewlines(line));
}

} // namespace

std::int64_t LinuxProcessInfo::processIdentifier() {
    return getpid();
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
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::stringstream text;
    text << in.rdbuf();
    // The start is the 22nd field; the name in the 2nd may hold blanks and parentheses.
    const std::string stat = text.str();
    const auto close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i <= 22; ++i) {
        if (!(fields >> field)) {
            return std::nullopt;
        }
    }
    std::uint64_t started = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), started);
    return error == std::errc() && end == field.data() + field.size() ? std::optional(started)
                                                                      : std::nullopt;
}

} // namespace orv::lnx
