#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "tests/platform/contract/Contract.h"
#include "tests/support/TestPlatform.h"

namespace orv::contract {

Implementations makeImplementations(const Path& scratch, test::ScopedEnv& env) {
    env.set("ORVANE_GROUP_CONTAINERS", scratch.appending("groups").str());
    env.set("XDG_CONFIG_HOME", scratch.appending("config").str());
    return {std::make_unique<lnx::LinuxFileManager>(),
            std::make_unique<lnx::LinuxUserDefaultsSuites>(), [](const Path& resources) {
                static test::RecordingLogSink sink;
                return std::unique_ptr<Bundle>(
                    std::make_unique<lnx::LinuxBundle>(resources, Log(sink, "contract", "Bundle")));
            }};
}

} // namespace orv::contract
