#include "extension/FinderSync.h"

#include "shared/RequestHandoff.h"

#include <array>

namespace orv {

namespace {

struct MenuEntry {
    std::string_view titleKey;
    std::string_view action;
    std::string_view symbol;
};

constexpr MenuEntry kCopyPathItem{"menu.copyPath", "copyPath:", "doc.on.clipboard"};
constexpr MenuEntry kCutItem{"menu.cut", "cutItems:", "scissors"};
constexpr MenuEntry kPasteItem{"menu.paste", "pasteItems:", "doc.on.clipboard"};
constexpr std::string_view kNewFileTitleKey = "menu.new";
constexpr std::string_view kNewFileSymbol = "document.badge.plus";

// The New File submenu, in the order the user sees it. There is deliberately no Keynote item.
constexpr std::array<MenuEntry, 15> kNewFileItems{{
    {"file.txt", "createTxt:", "doc.text"},
    {"file.md", "createMd:", "text.alignleft"},
    {"file.json", "createJson:", "curlybraces"},
    {"file.csv", "createCsv:", "tablecells"},
    {"file.html", "createHtml:", "chevron.left.forwardslash.chevron.right"},
    {"file.py", "createPy:", "terminal"},
    {"file.js", "createJs:", "terminal"},
    {"file.swift", "createSwift:", "swift"},
    {"file.sh", "createSh:", "terminal"},
    {"file.docx", "createDocx:", "doc.fill"},
    {"file.xlsx", "createXlsx:", "tablecells"},
    {"file.pptx", "createPptx:", "rectangle.on.rectangle"},
    {"file.pages", "createPages:", "doc.fill"},
    {"file.numbers", "createNumbers:", "tablecells"},
    {"file.rtf", "createRtf:", "doc.richtext"},
}};

constexpr double kIconPointSize = 13.0;

constexpr std::string_view kFinderDefaultsSuite = "com.apple.finder";
constexpr std::string_view kShowAllFilesKey = "AppleShowAllFiles";
constexpr std::string_view kKillall = "/usr/bin/killall";
constexpr std::string_view kFinderProcessName = "Finder";

struct Action {
    std::string_view selector;
    void (FinderSync::*method)(Sender);
};

constexpr std::array<Action, 20> kActions{{
    {"copyPath:", &FinderSync::copyPath},
    {"cutItems:", &FinderSync::cutItems},
    {"pasteItems:", &FinderSync::pasteItems},
    {"createTxt:", &FinderSync::createTxt},
    {"createCsv:", &FinderSync::createCsv},
    {"createHtml:", &FinderSync::createHtml},
    {"createPy:", &FinderSync::createPy},
    {"createJs:", &FinderSync::createJs},
    {"createSwift:", &FinderSync::createSwift},
    {"createSh:", &FinderSync::createSh},
    {"createMd:", &FinderSync::createMd},
    {"createJson:", &FinderSync::createJson},
    {"createRtf:", &FinderSync::createRtf},
    {"createDocx:", &FinderSync::createDocx},
    {"createXlsx:", &FinderSync::createXlsx},
    {"createPptx:", &FinderSync::createPptx},
    {"createPages:", &FinderSync::createPages},
    {"createNumbers:", &FinderSync::createNumbers},
    {"createKey:", &FinderSync::createKey},
    {"toggleHiddenFiles:", &FinderSync::toggleHiddenFiles},
}};

bool hasItems(const std::optional<std::vector<Path>>& selection) {
    return selection && !selection->empty();
}

} // namespace

FinderSync::FinderSync(const ExtensionPlatform& platform)
    : platform_(platform),
      log_(platform.logSink, std::string(kBundleIdentifier), std::string(kLogCategory)) {
    // With the root monitored, Finder consults the extension in every folder.
    platform_.finderSync.setDirectoryURLs({Path("/")});
}

MenuPtr FinderSync::menu(std::uint64_t kind) {
    auto menu = std::make_shared<Menu>("");
    if (kind == static_cast<std::uint64_t>(MenuKind::contextualMenuForItems) &&
        hasItems(platform_.finderSync.selectedItemURLs())) {
        menu->addItem(makeItem(kCopyPathItem.titleKey, kCopyPathItem.action, kCopyPathItem.symbol));
        menu->addItem(makeItem(kCutItem.titleKey, kCutItem.action, kCutItem.symbol));
    }
    if (handoff::hasPendingCut(platform_.files)) {
        menu->addItem(makeItem(kPasteItem.titleKey, kPasteItem.action, kPasteItem.symbol));
    }
    auto newFile =
        std::make_shared<MenuItem>(platform_.bundle.localizedString(kNewFileTitleKey), "", "");
    newFile->image = menuIcon(kNewFileSymbol);
    auto submenu = std::make_shared<Menu>("");
    for (const auto& entry : kNewFileItems) {
        submenu->addItem(makeItem(entry.titleKey, entry.action, entry.symbol));
    }
    newFile->submenu = std::move(submenu);
    menu->addItem(std::move(newFile));
    return menu;
}

ImagePtr FinderSync::menuIcon(std::string_view symbolName) {
    const auto configuration =
        SymbolConfiguration::withPointSize(kIconPointSize, FontWeight::regular)
            .applying(SymbolConfiguration::withPalette({Color::label()}));
    const auto symbol = platform_.symbols.systemSymbol(symbolName);
    return symbol ? symbol->withSymbolConfiguration(configuration) : nullptr;
}

MenuItemPtr FinderSync::makeItem(std::string_view titleKey, std::string_view action,
                                 std::string_view symbol) {
    auto item = std::make_shared<MenuItem>(platform_.bundle.localizedString(titleKey),
                                           std::string(action), "");
    item->image = menuIcon(symbol);
    item->target = this;
    return item;
}

void FinderSync::copyPath(Sender) {
    const auto selection = platform_.finderSync.selectedItemURLs();
    if (!hasItems(selection)) {
        return;
    }
    std::string text;
    for (std::size_t i = 0; i < selection->size(); ++i) {
        if (i > 0) {
            text += '\n';
        }
        text += (*selection)[i].str();
    }
    platform_.pasteboard.clearContents();
    platform_.pasteboard.setString(text, kPasteboardTypeString);
}

// Whether `path` can be handed to the host and come back as itself; if not, says why in the
// log under `what` ("cutting", "creating", "pasting").
bool FinderSync::carriesIntact(const Path& path, std::string_view what) {
    const auto why = handoff::whyNotCarried(path.str());
    if (why) {
        log_("ERROR %{public}@: “%{public}@” %{public}@; nothing was handed over",
             std::string(what), path.str(), *why);
    }
    return !why;
}

void FinderSync::cutItems(Sender) {
    const auto selection = platform_.finderSync.selectedItemURLs();
    if (!hasItems(selection)) {
        return; // an earlier cut stays pending
    }
    // Refused whole: a cut list in which one line came back as other paths would move items
    // nobody chose.
    std::size_t bytes = selection->size() - 1; // the line feeds
    for (const auto& item : *selection) {
        if (!carriesIntact(item, "cutting")) {
            return;
        }
        bytes += item.str().size();
    }
    if (bytes > handoff::kMaxRequestBytes) {
        log_("ERROR cutting: the list of %d items is longer than the host takes; nothing was cut",
             selection->size());
        return;
    }
    if (!handoff::writeCutList(platform_.files, *selection)) {
        return; // no container: nothing written, nothing logged
    }
    log_("Cut %d items", selection->size());
}

void FinderSync::pasteItems(Sender) {
    if (const auto folder = resolvePasteFolder(); folder && carriesIntact(*folder, "pasting")) {
        handoff::requestPaste(platform_.files, platform_.workspace, *folder);
    }
}

void FinderSync::createTxt(Sender) {
    requestNewFile("txt");
}
void FinderSync::createCsv(Sender) {
    requestNewFile("csv");
}
void FinderSync::createHtml(Sender) {
    requestNewFile("html");
}
void FinderSync::createPy(Sender) {
    requestNewFile("py");
}
void FinderSync::createJs(Sender) {
    requestNewFile("js");
}
void FinderSync::createSwift(Sender) {
    requestNewFile("swift");
}
void FinderSync::createSh(Sender) {
    requestNewFile("sh");
}
void FinderSync::createMd(Sender) {
    requestNewFile("md");
}
void FinderSync::createJson(Sender) {
    requestNewFile("json");
}
void FinderSync::createRtf(Sender) {
    requestNewFile("rtf");
}
void FinderSync::createDocx(Sender) {
    requestNewFile("docx");
}
void FinderSync::createXlsx(Sender) {
    requestNewFile("xlsx");
}
void FinderSync::createPptx(Sender) {
    requestNewFile("pptx");
}
void FinderSync::createPages(Sender) {
    requestNewFile("pages");
}
void FinderSync::createNumbers(Sender) {
    requestNewFile("numbers");
}
void FinderSync::createKey(Sender) {
    requestNewFile("key");
}

void FinderSync::toggleHiddenFiles(Sender) {
    toggleFinderHiddenFiles();
}

void FinderSync::requestNewFile(std::string_view ext) {
    if (const Path folder = resolveTargetFolder(); carriesIntact(folder, "creating")) {
        handoff::requestCreate(platform_.files, platform_.workspace, folder, ext);
    }
}

bool FinderSync::isFolder(const Path& path) {
    return platform_.files.isDirectory(path).value_or(false);
}

Path FinderSync::resolveTargetFolder() {
    const auto selection = platform_.finderSync.selectedItemURLs();
    if (hasItems(selection)) {
        const Path& first = selection->front();
        return isFolder(first) ? first : first.deletingLastComponent();
    }
    if (auto target = platform_.finderSync.targetedURL()) {
        return *target;
    }
    return platform_.files.homeDirectory().appending("Desktop");
}

std::optional<Path> FinderSync::resolvePasteFolder() {
    const auto selection = platform_.finderSync.selectedItemURLs();
    if (hasItems(selection) && isFolder(selection->front())) {
        return selection->front();
    }
    return platform_.finderSync.targetedURL();
}

void FinderSync::toggleFinderHiddenFiles() {
    if (auto defaults = platform_.defaultsSuites.suite(kFinderDefaultsSuite)) {
        // Written explicitly, so an absent key becomes true.
        defaults->setBool(!defaults->boolForKey(kShowAllFilesKey), kShowAllFilesKey);
        if (!defaults->synchronize()) {
            log_("ERROR toggling hidden files: Finder's preferences could not be written");
        }
    }
    // Finder reads the preference when it starts; the exit status is not awaited.
    (void)platform_.processes.launch(Path(kKillall), {std::string(kFinderProcessName)});
}

bool FinderSync::performAction(std::string_view selector, Sender sender) {
    for (const auto& action : kActions) {
        if (action.selector == selector) {
            (this->*action.method)(sender);
            return true;
        }
    }
    return false;
}

std::vector<std::string_view> FinderSync::actionSelectors() {
    std::vector<std::string_view> selectors;
    for (const auto& action : kActions) {
        selectors.push_back(action.selector);
    }
    return selectors;
}

} // namespace orv
