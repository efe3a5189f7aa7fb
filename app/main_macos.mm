// Orvane+ on macOS: builds the platform and runs the application with its delegate adaptor.
// The system delivers orvaneplus: URLs to application:openURLs:, also at launch.

#include "app/shell/Orvane_App.h"
#include "platform/macos/MacPlatform.h"

int main() {
    @autoreleasepool {
        orv::mac::MacPlatform system;
        return orv::Orvane_App::main(system.platform());
    }
}
