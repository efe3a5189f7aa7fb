#pragma once
// What a file manager's module asks of the extension. The extension runs out of the file
// manager's process, as orvane-finder: the module asks it for the menu of a selection and
// starts it to carry out the chosen action, so that nothing of ours can crash the file manager
// or hold its main thread for longer than a bounded wait.

#include "platform/Log.h"
#include "platform/Path.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::fm {

struct MenuEntry {
    std::string title;
    std::string selector; // empty for an entry that only holds others
    std::vector<MenuEntry> children;
    friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// orvane-finder's printed menu: "title<TAB>selector<TAB>symbol" per line, "-" for no selector,
// two blanks of indent per level of submenu. Lines of any other shape are left out.
std::vector<MenuEntry> parseMenu(std::string_view text);

// What the user sees in a file manager: the extension's menu without the kinds no Linux
// application can make.
std::vector<MenuEntry> forFileManagers(std::vector<MenuEntry> menu);

class FinderBridge {
  public:
    // The longest a menu question may hold the file manager's main thread.
    static constexpr double kMenuDeadline = 0.25;
    // The most a menu answer may be: the real one is under 2 KiB and 20 entries. The deadline
    // bounds the wait, these the work: reading the answer, and making its items, which costs
    // the file manager a moment each.
    static constexpr std::size_t kMenuMaxBytes = 32 << 10;
    static constexpr std::size_t kMenuMaxEntries = 64;

    // `finderFromModule`: orvane-finder's path relative to the folder of the module that holds
    // this code.
    FinderBridge(LogSink& sink, std::string finderFromModule);

    // The menu for selected items (their folder as the target), or for a folder's background
    // when `items` is empty; no entries, and a log line, when the extension gives no answer.
    std::vector<MenuEntry> menu(const std::vector<std::string>& items,
                                const std::string& folder) const;
    // Starts the action and returns at once; a failure to start is logged.
    void run(const std::string& selector, const std::vector<std::string>& items,
             const std::string& folder) const;

  private:
    // orvane-finder: $ORVANE_FINDER_PROGRAM, else the one installed with the module.
    Path finder() const;
    // `command`, then the folder; the items follow on standard input (pathList).
    static std::vector<std::string> arguments(std::vector<std::string> command,
                                              const std::string& folder);
    // The items as orvane-finder reads them from its standard input, each followed by NUL:
    // unlike arguments, of any number and length.
    static std::string pathList(const std::vector<std::string>& items);

    Log log_;
    std::string fromModule_;
};

} // namespace orv::fm
