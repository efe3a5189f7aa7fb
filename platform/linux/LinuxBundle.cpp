#include "platform/linux/LinuxBundle.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

namespace orv::lnx {

namespace {

constexpr std::string_view kDevelopmentLanguage = "en";
constexpr std::string_view kTableFile = "Localizable.strings";
// Beside it, optional: the words Linux file managers use where Finder's differ (Paste is
// "Einsetzen" in Finder, "Einfügen" in Nautilus and Dolphin).
constexpr std::string_view kLinuxTableFile = "Linux.strings";
// Our languages named by region or script, with the locale name that stands for each in desktop
// entries. Portuguese is Brazil's in every region: it is the only Portuguese we have.
constexpr std::pair<std::string_view, std::string_view> kRegionalLanguages[] = {
    {"pt-BR", "pt_BR"}, {"zh-Hans", "zh_CN"}, {"zh-Hant", "zh_TW"}};

bool isDirectory(const Path& path) {
    struct stat st {};
    return stat(path.str().c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

LinuxBundle::LinuxBundle(const Path& resources, const Log& log,
                         std::map<std::string, std::string, std::less<>> info)
    : info_(std::move(info)) {
    const Path lproj = resources.appending(preferredLanguage(resources) + ".lproj");
    LinuxFileManager files;
    for (const std::string_view name : {kTableFile, kLinuxTableFile}) {
        const Path table = lproj.appending(name);
        const auto text = files.readUTF8(table);
        if (!text) {
            if (name == kTableFile) {
                log("String table unavailable: %{public}@", text.error().localizedDescription);
            }
            continue;
        }
        auto read = parseStrings(*text);
        if (!read.error.empty()) {
            log("String table %{public}@: %{public}@", table.str(), read.error);
        }
        read.entries.merge(table_.entries); // the Linux words win
        table_.entries = std::move(read.entries);
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

std::string LinuxBundle::preferredLanguage(const Path& resources) {
    std::vector<std::string> asked;
    if (const auto list = environment("LANGUAGE")) {
        for (std::size_t start = 0; start <= list->size();) {
            const std::size_t end = std::min(list->find(':', start), list->size());
            asked.push_back(list->substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const auto locale = environment(variable)) {
            asked.push_back(*locale);
            break;
        }
    }
    for (const std::string& locale : asked) {
        const std::string language = languageForLocale(locale);
        if (!language.empty() && isDirectory(resources.appending(language + ".lproj"))) {
            return language;
        }
    }
    return std::string(kDevelopmentLanguage);
}

// language[_-]Script or REGION...[.codeset][@modifier]; anything but letters in the language
// names none of ours (and never a path).
std::string LinuxBundle::languageForLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    std::vector<std::string> parts(1);
    for (const char c : locale) {
        if (c == '_' || c == '-') {
            parts.emplace_back();
        } else if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            parts.back() += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else {
            return {};
        }
    }
    const std::string& language = parts.front();
    if (std::any_of(language.begin(), language.end(), [](char c) { return std::isdigit(c); })) {
        return {};
    }
    if (language == "pt") {
        return "pt-BR";
    }
    if (language == "zh") {
        const bool traditional = std::any_of(parts.begin() + 1, parts.end(), [](const auto& p) {
            return p == "hant" || p == "tw" || p == "hk" || p == "mo";
        });
        return traditional ? "zh-Hant" : "zh-Hans";
    }
    return language;
}

std::string LinuxBundle::localeForLanguage(std::string_view language) {
    for (const auto& [ours, locale] : kRegionalLanguages) {
        if (ours == language) {
            return std::string(locale);
        }
    }
    return std::string(language);
}

} // namespace orv::lnx
