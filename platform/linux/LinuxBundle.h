#pragma once

#include "platform/Log.h"
#include "platform/Services.h"
#include "platform/linux/StringsFile.h"

#include <map>

namespace orv::lnx {

// A bundle's resources on Linux: <resources>/<language>.lproj/Localizable.strings, with
// Linux.strings over it where the file managers' words differ from Finder's. The resources
// folder is Resources/<bundle name> beside the program (build tree) or
// ../share/orvane/<bundle name> from it (installed); the language is preferredLanguage's.
class LinuxBundle final : public Bundle {
  public:
    // A table that cannot be read or parsed is reported on `log` and its keys show as keys.
    LinuxBundle(const Path& resources, const Log& log,
                std::map<std::string, std::string, std::less<>> info = {});

    std::string localizedString(std::string_view key) override;
    std::optional<std::string> infoString(std::string_view key) override;

    // The resources folder of the named bundle for the running program (may not exist).
    static Path resourcesFor(std::string_view bundleName);
    // The first language the environment asks for that `resources` has a table for: each entry
    // of LANGUAGE's list in turn, then the locale (LC_ALL, LC_MESSAGES or LANG, the first that
    // is set); English when none has one, as for C or POSIX.
    static std::string preferredLanguage(const Path& resources);
    // Our language (its .lproj folder's name) for a locale name, as gettext reads one: the
    // codeset and modifier go, the region only picks among Portuguese and Chinese.
    // "pt_PT.UTF-8" -> "pt-BR", "zh_HK" -> "zh-Hant", "zh_SG" -> "zh-Hans", "de_AT" -> "de".
    static std::string languageForLocale(std::string_view locale);
    // The locale name desktop entries' Name[...] keys use for one of our languages.
    static std::string localeForLanguage(std::string_view language);

  private:
    StringsTable table_;
    std::map<std::string, std::string, std::less<>> info_;
};

} // namespace orv::lnx
