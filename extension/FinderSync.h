#pragma once
// The Finder Sync extension's principal class: registers with Finder, builds the contextual
// menu and carries every menu action. Finder creates one instance per extension process.

#include "platform/Menu.h"
#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orv {

// FIMenuKind
enum class MenuKind : std::uint64_t {
    contextualMenuForItems = 0,
    contextualMenuForContainer = 1,
    contextualMenuForSidebar = 2,
    toolbarItemMenu = 3,
};

class FinderSync final : public Responder {
  public:
    static constexpr std::string_view kBundleIdentifier = "tamsel.Orvane-.OrvaneExtension";
    static constexpr std::string_view kLogCategory = "FinderSync";

    // init: creates the log and registers the root folder as monitored.
    explicit FinderSync(const ExtensionPlatform& platform);

    // menuForMenuKind: a new menu, never empty; any kind but items counts as a container.
    MenuPtr menu(std::uint64_t kind);
    // The system symbol with the menu's icon configuration, or none.
    ImagePtr menuIcon(std::string_view symbolName);

    // Actions, in the class's own order.
    void copyPath(Sender sender);
    void cutItems(Sender sender);
    void pasteItems(Sender sender);
    void createTxt(Sender sender);
    void createCsv(Sender sender);
    void createHtml(Sender sender);
    void createPy(Sender sender);
    void createJs(Sender sender);
    void createSwift(Sender sender);
    void createSh(Sender sender);
    void createMd(Sender sender);
    void createJson(Sender sender);
    void createRtf(Sender sender);
    void createDocx(Sender sender);
    void createXlsx(Sender sender);
    void createPptx(Sender sender);
    void createPages(Sender sender);
    void createNumbers(Sender sender);
    void createKey(Sender sender);
    void toggleHiddenFiles(Sender sender);

    // The folder for a new file: the first selected item if it is a folder, else its
    // containing folder; else Finder's targeted folder; else the Desktop.
    Path resolveTargetFolder();
    // The destination of a paste: the first selected item if it is a folder, else Finder's
    // targeted folder; none when there is neither.
    std::optional<Path> resolvePasteFolder();
    // Flips Finder's "show all files" preference and restarts Finder.
    void toggleFinderHiddenFiles();

    // Performs the action named by its selector text ("copyPath:"); false for any other text.
    bool performAction(std::string_view selector, Sender sender) override;
    // Every selector the class answers, in the class's order.
    static std::vector<std::string_view> actionSelectors();

    const Log& log() const { return log_; }

  private:
    MenuItemPtr makeItem(std::string_view titleKey, std::string_view action,
                         std::string_view symbol);
    void requestNewFile(std::string_view ext);
    bool carriesIntact(const Path& path, std::string_view what);
    bool isFolder(const Path& path);

    ExtensionPlatform platform_;
    Log log_;
};

} // namespace orv
