#pragma once
// The services whose behaviour the rest of the product relies on, as each platform provides
// them to the contract tests: the same tests run against Linux's here and macOS's on a Mac.

#include "platform/Services.h"
#include "tests/support/TempDir.h"

#include <memory>

namespace orv::contract {

struct Implementations {
    std::unique_ptr<FileManager> files;
    std::unique_ptr<UserDefaultsSuites> suites;
    // The bundle of `resources` (<language>.lproj/Localizable.strings), in English.
    std::unique_ptr<Bundle> (*bundle)(const Path& resources);
};

// This platform's implementations, with whatever they keep (their container, their defaults)
// inside `scratch` where the platform lets a test choose; `env` holds the settings for that.
Implementations makeImplementations(const Path& scratch, test::ScopedEnv& env);

} // namespace orv::contract
