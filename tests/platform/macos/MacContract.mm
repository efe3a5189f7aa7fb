#include "platform/macos/Cocoa.h"
#include "platform/macos/MacFiles.h"
#include "platform/macos/MacServices.h"
#include "tests/platform/contract/Contract.h"

namespace orv::contract {

// The container and the defaults are the system's own; the tests use names of their own.
Implementations makeImplementations(const Path&, test::ScopedEnv&) {
    return {std::make_unique<mac::MacFileManager>(), std::make_unique<mac::MacUserDefaultsSuites>(),
            [](const Path& resources) {
                NSBundle* bundle = [NSBundle bundleWithPath:mac::toNS(resources.str())];
                return std::unique_ptr<Bundle>(std::make_unique<mac::MacBundle>(bundle));
            }};
}

} // namespace orv::contract
