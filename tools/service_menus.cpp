// orvane-service-menus: writes KDE Dolphin's service menus from the extension's own menu, at
// build time. Service menus are static, so the menu is asked for as it is with a cut waiting
// (Paste included), once per language of the string tables (asked for, and keyed, by the locale
// name that stands for it, so Dolphin picks as the programs do), and written as two files: the
// commands under the product's name, and New File with its kinds. Dolphin sorts a file's
// actions by id, so the ids carry the menu's order. The actions say their paths come from KIO,
// whose U+FFFD may stand for bytes of a name that is not UTF-8.
//
// usage: orvane-service-menus FINDER RESOURCES OUTPUT_DIR INSTALLED_FINDER
// (INSTALLED_FINDER: how the menus name the program they start)

#include "integrations/FinderBridge.h"
#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxHost.h"
#include "platform/linux/Process.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using orv::fm::MenuEntry;

constexpr const char* kBaseLanguage = "en";

// The menu in the language of `locale`, as a file manager shows it.
std::optional<std::vector<MenuEntry>> menuIn(const orv::Path& finder, const std::string& locale) {
    setenv("LANGUAGE", locale.c_str(), 1);
    const auto text = orv::lnx::captureOutput(finder, {"menu", "--kind", "items", "--", "/"}, 30);
    if (!text) {
        std::fprintf(stderr, "orvane-service-menus: %s\n",
                     text.error().localizedDescription.c_str());
        return std::nullopt;
    }
    return orv::fm::forFileManagers(orv::fm::parseMenu(*text));
}

// "Key=value" for the base language, then "Key[xx]=value" for each language that says it
// otherwise.
std::string localized(const std::string& key, const std::map<std::string, std::string>& titles) {
    std::string lines = key + "=" + titles.at(kBaseLanguage) + "\n";
    for (const auto& [language, title] : titles) {
        if (title != titles.at(kBaseLanguage)) {
            lines += key + "[" + language + "]=" + title + "\n";
        }
    }
    return lines;
}

// One service menu: a submenu titled `titles` holding `entries` (the same entry in each
// language, by position).
std::string serviceMenu(const std::map<std::string, std::string>& titles,
                        const std::map<std::string, std::vector<MenuEntry>>& entries,
                        const std::string& exec) {
    const auto& base = entries.at(kBaseLanguage);
    std::string actions, sections;
    for (std::size_t i = 0; i < base.size(); ++i) {
        std::string id = (i < 9 ? "0" : "") + std::to_string(i + 1) + "-" + base[i].selector;
        id.pop_back(); // the selector's colon
        actions += id + ";";
        std::map<std::string, std::string> names;
        for (const auto& [language, menu] : entries) {
            names[language] = menu.at(i).title;
        }
        sections += "\n[Desktop Action " + id + "]\n" + localized("Name", names) + "Exec=" + exec +
                    " run " + base[i].selector + " --from-kio -- %F\n";
    }
    return "[Desktop Entry]\nType=Service\nX-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
           "MimeType=all/all;\n" +
           localized("X-KDE-Submenu", titles) + "Actions=" + actions + "\n" + sections;
}

bool write(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::trunc);
    out << text;
    out.close();
    fs::permissions(file, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fputs("usage: orvane-service-menus FINDER RESOURCES OUTPUT_DIR INSTALLED_FINDER\n",
                   stderr);
        return 2;
    }
    const orv::Path finder(argv[1]);
    const auto exec = orv::lnx::LinuxLoginItems::execArgument(argv[4]);
    if (!exec) {
        std::fputs("orvane-service-menus: the installed path cannot stand in an Exec line\n",
                   stderr);
        return 1;
    }
    // A cut waiting in a container of our own, so the menu holds Paste.
    std::string scratch = (fs::temp_directory_path() / "orvane-service-menus-XXXXXX").string();
    if (mkdtemp(scratch.data()) == nullptr) {
        return 1;
    }
    const fs::path container = fs::path(scratch) / "K4W7P2Z9QD.tamsel.Orvane";
    fs::create_directory(container);
    fs::permissions(container, fs::perms::owner_all);
    std::ofstream(container / "cut.txt") << "/\n";
    setenv("ORVANE_GROUP_CONTAINERS", scratch.c_str(), 1);

    std::map<std::string, std::vector<MenuEntry>> commands, kinds;
    std::map<std::string, std::string> product, newFile;
    for (const auto& lproj : fs::directory_iterator(argv[2])) {
        const std::string locale =
            orv::lnx::LinuxBundle::localeForLanguage(lproj.path().stem().string());
        auto menu = menuIn(finder, locale);
        // Copy Path, Cut, Paste, then New File with its kinds.
        if (!menu || menu->size() != 4 || menu->back().children.empty()) {
            fs::remove_all(scratch);
            std::fprintf(stderr, "orvane-service-menus: no full menu in %s\n", locale.c_str());
            return 1;
        }
        product[locale] = "Orvane+";
        newFile[locale] = menu->back().title;
        kinds[locale] = std::move(menu->back().children);
        menu->pop_back();
        commands[locale] = std::move(*menu);
    }
    fs::remove_all(scratch);
    if (commands.count(kBaseLanguage) == 0) {
        std::fputs("orvane-service-menus: no base language\n", stderr);
        return 1;
    }
    const fs::path out(argv[3]);
    fs::create_directories(out);
    return write(out / "orvane-plus.desktop", serviceMenu(product, commands, *exec)) &&
                   write(out / "orvane-plus-new-file.desktop", serviceMenu(newFile, kinds, *exec))
               ? 0
               : 1;
}
