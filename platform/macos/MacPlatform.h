#pragma once
// The macOS platform as the host's entry builds it: the extension's services and the host's
// own, owned in one place.

#include "platform/Platform.h"
#include "platform/macos/MacExtensionPlatform.h"
#include "platform/macos/MacRunLoop.h"
#include "platform/macos/MacSystem.h"

#ifdef __OBJC__
#include "platform/macos/MacApplication.h"
#include "platform/macos/MacGraphics.h"
#include "platform/macos/MacProgress.h"

namespace orv::mac {

class MacPlatform {
  public:
    MacPlatform();
    Platform platform();
    MacApplication& application() { return application_; }

  private:
    MacExtensionPlatform extension_;
    ExtensionPlatform shared_ = extension_.platform();
    MacUserDefaults standardDefaults_;
    MacMainQueue mainQueue_;
    MacUserInitiatedQueue userInitiatedQueue_;
    NotificationCenter notifications_;
    MacApplication application_{notifications_};
    MacStatusBar statusBar_{application_.presenter()};
    MacGraphics graphics_;
    MacAlertPresenter alerts_;
    MacProgressPresenter progress_;
    MacLoginItems loginItems_;
    MacAccessibility accessibility_;
    MacFinderExtensionSettings finderExtension_;
    MacSoftwareUpdater updater_{alerts_, shared_.bundle};
    MacScriptRunner scripts_;
    MacSleeper sleeper_;
    MacProcessInfo processInfo_;
};

} // namespace orv::mac
#endif
