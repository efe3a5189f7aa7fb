#include "platform/macos/MacApplication.h"

#include "platform/macos/Cocoa.h"

#include <csignal>

// The application delegate AppKit talks to: it hands every event to the portable delegate.
@interface ORVApplicationDelegate : NSObject <NSApplicationDelegate>
- (nonnull instancetype)initWithApplication:(orv::mac::MacApplication*)application;
@end

@implementation ORVApplicationDelegate {
    orv::mac::MacApplication* _application;
}

- (instancetype)initWithApplication:(orv::mac::MacApplication*)application {
    if ((self = [super init])) {
        _application = application;
    }
    return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
    (void)notification;
    if (_application->delegate() != nullptr) {
        _application->delegate()->applicationDidFinishLaunching();
    }
}

- (void)application:(NSApplication*)application openURLs:(NSArray<NSURL*>*)urls {
    (void)application;
    std::vector<std::string> texts;
    for (NSURL* url in urls) {
        texts.push_back(orv::mac::toStd(url.absoluteString));
    }
    if (_application->delegate() != nullptr && !texts.empty()) {
        _application->delegate()->applicationOpenURLs(texts);
    }
}

- (void)applicationDidBecomeActive:(NSNotification*)notification {
    (void)notification;
    _application->notifications().post(orv::kApplicationDidBecomeActiveNotification);
}

@end

namespace orv::mac {

// NSApp is made by run(), not here: the extension's process has the same platform and must
// not make an application object of its own.
MacApplication::MacApplication(NotificationCenter& notifications) : notifications_(notifications) {}

bool MacApplication::setActivationPolicy(ActivationPolicy policy) {
    return [NSApp setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
}

ActivationPolicy MacApplication::activationPolicy() const {
    return static_cast<ActivationPolicy>(NSApp.activationPolicy);
}

void MacApplication::activateIgnoringOtherApps(bool flag) {
    // activateIgnoringOtherApps: is deprecated; activate is its successor and always asks.
    if (flag) {
        [NSApp activate];
    }
}

void MacApplication::orderFrontStandardAboutPanel(Sender) {
    [NSApp orderFrontStandardAboutPanel:nil];
}

void MacApplication::terminate(Sender) {
    [NSApp terminate:nil];
}

ImagePtr MacApplication::applicationIconImage() {
    const NSSize size = NSApp.applicationIconImage.size;
    auto icon = std::make_shared<Image>(Size{size.width, size.height});
    icon->name = toStd(NSImageNameApplicationIcon);
    return icon;
}

WindowPtr MacApplication::makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                                     bool defer) {
    auto window = remember(std::make_shared<Window>(contentRect, styleMask, backing, defer));
    presenter_.present(window);
    return window;
}

int MacApplication::run() {
    [NSApplication sharedApplication];
    adaptor_ = [[ORVApplicationDelegate alloc] initWithApplication:this];
    NSApp.delegate = adaptor_;
    CFRunLoopObserverRef observer =
        CFRunLoopObserverCreateWithHandler(kCFAllocatorDefault, kCFRunLoopBeforeWaiting, true, 0,
                                           ^(CFRunLoopObserverRef, CFRunLoopActivity) {
                                             presenter_.sync();
                                           });
    CFRunLoopAddObserver(CFRunLoopGetMain(), observer, kCFRunLoopCommonModes);
    CFRelease(observer);
    // The session ends us with SIGTERM; heard on a queue of its own, it stops a move that
    // holds the main thread at its next safe point, and then the application terminates.
    signal(SIGTERM, SIG_IGN);
    termination_ = dispatch_source_create(DISPATCH_SOURCE_TYPE_SIGNAL, SIGTERM, 0,
                                          dispatch_get_global_queue(QOS_CLASS_USER_INITIATED, 0));
    dispatch_source_set_event_handler(termination_, ^{
      requestTermination();
      dispatch_async(dispatch_get_main_queue(), ^{
        [NSApp terminate:nil];
      });
    });
    dispatch_resume(termination_);
    [NSApp run];
    return 0;
}

StatusItemPtr MacStatusBar::statusItem(double length) {
    NSStatusItem* native = [NSStatusBar.systemStatusBar statusItemWithLength:length];
    auto item = std::make_shared<StatusItem>(
        length, native.button != nil ? std::make_shared<StatusBarButton>() : nullptr);
    presenter_.present(item, native);
    return item;
}

} // namespace orv::mac
