#include "platform/linux/LinuxBundle.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"

#include <cctype>
#include <sys/stat.h>

namespace orv::lnx {

namespace {

constexpr std::string_view kDevelopmentLanguage = "en";
constexpr std::string_view kTableFile = "Localizable.strings";

bool isDirectory(const Path& path) {
    struct stat st {};
    return stat(path.str().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

LinuxBundle::LinuxBundle(const Path& resources, std::string_view language, const Log& log,
                         std::map<std::string, std::string, std::less<>> info)
    : info_(std::move(info)) {
    language_ = std::string(language);
    if (!isDirectory(resources.appending(language_ + ".lproj"))) {
        language_ = std::string(kDevelopmentLanguage);
    }
    const Path table = resources.appending(language_ + ".lproj").appending(kTableFile);
    LinuxFileManager files;
    const auto text = files.readUTF8(table);
    if (!text) {
        log("String table unavailable: %{public}@", text.error().localizedDescription);
        return;
    }
    table_ = parseStrings(*text);
    if (!table_.error.empty()) {
        log("String table %{public}@: %{public}@", table.str(), table_.error);
    }
}

std::string LinuxBundle::localizedString(std::string_view key) {
    const auto found = table_.entries.find(key);
    return found == table_.entries.end() ? std::string(key) : found->second;
}

std::optional<std::string> LinuxBundle::infoString(std::string_view key) {
    const auto found = info_.find(key);
    return found == info_.end() ? std::nullopt : std::optional<std::string>(found->second);
}

// The build tree has the installed layout, so one rule serves both, and the installed programs
// look nothing up beside themselves.
Path LinuxBundle::resourcesFor(std::string_view bundleName) {
    return executableDirectory()
        .deletingLastComponent()
        .appending("share/orvane")
        .appending(bundleName);
}

std::string LinuxBundle::preferredLanguage() {
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const auto value = environment(variable);
        if (!value) {
            continue;
        }
        std::string language;
        for (const char c : *value) {
            if (c == '_' || c == '.' || c == '@' || c == ':' || c == '-') {
                break;
            }
            language += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (language.empty() || language == "c" || language == "posix") {
            return std::string(kDevelopmentLanguage);
        }
        return language;
    }
    return std::string(kDevelopmentLanguage);
}

} // namespace orv::lnx
