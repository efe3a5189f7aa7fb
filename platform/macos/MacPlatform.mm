#include "platform/macos/MacPlatform.h"

#import <Foundation/Foundation.h>

namespace orv::mac {

MacPlatform::MacPlatform() : standardDefaults_(NSUserDefaults.standardUserDefaults) {}

Platform MacPlatform::platform() {
    return Platform{shared_,          standardDefaults_, mainQueue_,  userInitiatedQueue_,
                    notifications_,   application_,      statusBar_,  graphics_,
                    alerts_,          progress_,         loginItems_, accessibility_,
                    finderExtension_, updater_,          scripts_,    sleeper_,
                    processInfo_};
}

} // namespace orv::mac
