#include "platform/macos/MacExtensionPlatform.h"

#import <Foundation/Foundation.h>

namespace orv::mac {

MacExtensionPlatform::MacExtensionPlatform() : bundle_(NSBundle.mainBundle) {}

ExtensionPlatform MacExtensionPlatform::platform() {
    return ExtensionPlatform{files_,   pasteboard_, workspace_,  suites_, processes_,
                             logSink_, bundle_,     finderSync_, symbols_};
}

} // namespace orv::mac
