#include "platform/linux/LinuxPlatform.h"

namespace orv::lnx {

LinuxPlatform::LinuxPlatform(std::string_view bundleName, std::string_view bundleIdentifier) {
    const Log log(logSink_, std::string(bundleIdentifier), "Bundle");
    bundle_.emplace(LinuxBundle::resourcesFor(bundleName), LinuxBundle::preferredLanguage(), log);
}

Platform LinuxPlatform::platform() {
    return Platform{files_,   pasteboard_, workspace_, suites_, processes_,
                    logSink_, *bundle_,    finder_,    symbols_};
}

} // namespace orv::lnx
