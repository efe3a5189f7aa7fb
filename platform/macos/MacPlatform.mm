#include "platform/macos/MacPlatform.h"

#import <Foundation/Foundation.h>

namespace orv::mac {

MacPlatform::MacPlatform()
    : bundle_(NSBundle.mainBundle), standardDefaults_(NSUserDefaults.standardUserDefaults) {}

Platform MacPlatform::platform() {
    return Platform{files_,           pasteboard_,       workspace_,  suites_,
                    processes_,       logSink_,          bundle_,     finderSync_,
                    symbols_,         standardDefaults_, mainQueue_,  userInitiatedQueue_,
                    notifications_,   application_,      statusBar_,  graphics_,
                    alerts_,          progress_,         loginItems_, accessibility_,
                    finderExtension_, updater_,          scripts_,    sleeper_,
                    processInfo_};
}

} // namespace orv::mac
