#include "integrations/FinderBridge.h"

#include "platform/linux/Environment.h"
#include "platform/linux/Process.h"

#include <algorithm>
#include <dlfcn.h>

namespace orv::fm {

namespace {

constexpr std::string_view kSubsystem = "tamsel.Orvane-.OrvaneExtension";
constexpr std::string_view kCategory = "FileManager";
constexpr std::string_view kIndent = "  ";

// Selectors of the kinds only Apple's own applications make.
constexpr std::string_view kAppleOnly[] = {"createPages:", "createNumbers:"};

// Entries at every level; with their number bounded, so is the depth.
std::size_t entries(const std::vector<MenuEntry>& menu) {
    std::size_t count = menu.size();
    for (const auto& entry : menu) {
        count += entries(entry.children);
    }
    return count;
}

} // namespace

std::vector<MenuEntry> parseMenu(std::string_view text) {
    std::vector<MenuEntry> menu;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        std::size_t depth = 0;
        while (line.substr(0, kIndent.size()) == kIndent) {
            line.remove_prefix(kIndent.size());
            ++depth;
        }
        const auto tab = line.find('\t');
        const auto second = tab == std::string_view::npos ? tab : line.find('\t', tab + 1);
        if (second == std::string_view::npos || tab == 0) {
            continue;
        }
        // The entry goes under the last entry of the level above; a line deeper than that is
        // malformed.
        std::vector<MenuEntry>* level = &menu;
        for (std::size_t d = 0; d < depth && level != nullptr; ++d) {
            level = level->empty() ? nullptr : &level->back().children;
        }
        if (level == nullptr) {
            continue;
        }
        const std::string_view selector = line.substr(tab + 1, second - tab - 1);
        level->push_back({std::string(line.substr(0, tab)),
                          selector == "-" ? std::string() : std::string(selector),
                          {}});
    }
    return menu;
}

std::vector<MenuEntry> forFileManagers(std::vector<MenuEntry> menu) {
    std::erase_if(menu, [](const MenuEntry& entry) {
        return std::find(std::begin(kAppleOnly), std::end(kAppleOnly), entry.selector) !=
               std::end(kAppleOnly);
    });
    for (auto& entry : menu) {
        entry.children = forFileManagers(std::move(entry.children));
    }
    return menu;
}

FinderBridge::FinderBridge(LogSink& sink, std::string finderFromModule)
    : log_(sink, std::string(kSubsystem), std::string(kCategory)),
      fromModule_(std::move(finderFromModule)) {}

std::vector<std::string> FinderBridge::arguments(std::vector<std::string> command,
                                                 const std::string& folder) {
    command.insert(command.end(), {"--target", folder, "--stdin-paths"});
    return command;
}

std::string FinderBridge::pathList(const std::vector<std::string>& items) {
    std::string list;
    for (const auto& item : items) {
        list.append(item).push_back('\0');
    }
    return list;
}

std::vector<MenuEntry> FinderBridge::menu(const std::vector<std::string>& items,
                                          const std::string& folder) const {
    const Path program = finder();
    const auto answer = lnx::captureOutput(
        program, arguments({"menu", "--kind", items.empty() ? "container" : "items"}, folder),
        kMenuDeadline, kMenuMaxBytes, pathList(items));
    if (!answer) {
        log_("ERROR asking for the menu: %{public}@", answer.error().localizedDescription);
        return {};
    }
    auto menu = parseMenu(*answer);
    if (entries(menu) > kMenuMaxEntries) {
        log_("ERROR asking for the menu: more than %d entries from “%{public}@”", kMenuMaxEntries,
             program.str());
        return {};
    }
    return forFileManagers(std::move(menu));
}

void FinderBridge::run(const std::string& selector, const std::vector<std::string>& items,
                       const std::string& folder) const {
    // The list waits in a file for the program to read: the file manager goes on at once.
    const auto started = lnx::LinuxProcessLauncher().launch(
        finder(), arguments({"run", selector}, folder), pathList(items));
    if (!started) {
        log_("ERROR running %{public}@: %{public}@", selector,
             started.error().localizedDescription);
    }
}

Path FinderBridge::finder() const {
    if (const auto set = lnx::environment("ORVANE_FINDER_PROGRAM")) {
        return Path(*set);
    }
    // Relative to this module's own file, so the whole installation may move.
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&parseMenu), &self) == 0 || self.dli_fname == nullptr) {
        return Path(fromModule_);
    }
    return Path(self.dli_fname).deletingLastComponent().appending(fromModule_);
}

} // namespace orv::fm
