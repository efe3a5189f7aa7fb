#pragma once

#include "platform/Log.h"
#include "platform/Services.h"
#include "platform/linux/StringsFile.h"

#include <map>

namespace orv::lnx {

// A bundle's resources on Linux: <resources>/<language>.lproj/Localizable.strings, where the
// resources folder is Resources/<bundle name> beside the program (build tree) or
// ../share/orvane/<bundle name> from it (installed). The language comes from LANGUAGE, LC_ALL,
// LC_MESSAGES or LANG, the first that is set; without a table of its own, English.
class LinuxBundle final : public Bundle {
  public:
    // A table that cannot be read or parsed is reported on `log` and its keys show as keys.
    LinuxBundle(const Path& resources, std::string_view language, const Log& log,
                std::map<std::string, std::string, std::less<>> info = {});

    std::string localizedString(std::string_view key) override;
    std::optional<std::string> infoString(std::string_view key) override;

    const std::string& language() const { return language_; }

    // The resources folder of the named bundle for the running program (may not exist).
    static Path resourcesFor(std::string_view bundleName);
    // The language the environment asks for: "es" for LANG=es_ES.UTF-8, "en" for C or POSIX.
    static std::string preferredLanguage();

  private:
    std::string language_;
    StringsTable table_;
    std::map<std::string, std::string, std::less<>> info_;
};

} // namespace orv::lnx
