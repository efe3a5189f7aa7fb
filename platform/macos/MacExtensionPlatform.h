#pragma once
// The services the Finder extension uses on macOS, owned in one place: all the appex links of
// this layer, built as extension-safe code. The host's MacPlatform holds one too.

#include "platform/Platform.h"
#include "platform/macos/MacFiles.h"
#include "platform/macos/MacServices.h"

#ifdef __OBJC__
namespace orv::mac {

class MacExtensionPlatform {
  public:
    MacExtensionPlatform();
    ExtensionPlatform platform();

  private:
    MacLogSink logSink_;
    MacFileManager files_;
    MacPasteboard pasteboard_;
    MacWorkspace workspace_;
    MacUserDefaultsSuites suites_;
    MacProcessLauncher processes_;
    MacBundle bundle_;
    MacFinderSyncController finderSync_;
    MacSymbolCatalog symbols_;
};

} // namespace orv::mac
#endif
