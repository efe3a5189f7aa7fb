#include "platform/linux/LinuxPlatform.h"

namespace orv::lnx {

LinuxPlatform::LinuxPlatform(BundleInfo bundle, bool diagnostic)
    : files_(&logSink_, bundle.identifier, !diagnostic) {
    const Log log(logSink_, bundle.identifier, "Bundle");
    loginItems_.emplace(!diagnostic);
    bundle_.emplace(LinuxBundle::resourcesFor(bundle.resourcesName), log, std::move(bundle.info));
    standardDefaults_.emplace(LinuxUserDefaultsSuites::fileFor(bundle.identifier));
    application_.emplace(runLoop_, userInitiatedQueue_, notifications_, *bundle_, screen_);
    updater_.emplace(alerts_, *bundle_);
}

Platform LinuxPlatform::platform() {
    // clang-format off
    return Platform{{files_, pasteboard_, workspace_, suites_, processes_, logSink_, *bundle_,
                     finder_, symbols_},
                    *standardDefaults_, runLoop_, userInitiatedQueue_, notifications_,
                    *application_, statusBar_, graphics_, alerts_, alerts_, *loginItems_, accessibility_,
                    finderExtension_, *updater_, scripts_, sleeper_, processInfo_};
    // clang-format on
}

} // namespace orv::lnx
