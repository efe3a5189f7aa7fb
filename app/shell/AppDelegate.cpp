#include "app/shell/AppDelegate.h"

#include "app/OnboardingWindow/OnboardingWindowController.h"
#include "app/requests/MoveJournal.h"
#include "platform/Text.h"
#include "shared/RequestHandoff.h"

namespace orv {

namespace {

constexpr double kStatusIconPointSize = 16;
constexpr std::string_view kMouseOutlineSymbol = "computermouse";
constexpr std::string_view kMouseFilledSymbol = "computermouse.fill";
// The right button: the right half of the icon from 55 % of its height up.
constexpr double kButtonLeft = 0.5;
constexpr double kButtonBottom = 0.55;

constexpr std::string_view kVersionKey = "CFBundleShortVersionString";
constexpr std::string_view kFallbackVersion = "1.0";

} // namespace

AppDelegate::AppDelegate(const Platform& platform)
    : log(platform.logSink, std::string(kBundleIdentifier), std::string(kLogCategory)),
      platform_(platform) {}

void AppDelegate::applicationDidFinishLaunching() {
    updaterController = platform_.updater.makeStandardController(true);
    registerLoginItem();
    setupStatusItem();
    showOnboardingIfNeeded();
    // A host that died in the middle of a move left a hidden copy, or the item in both places.
    if (const auto container = platform_.files.containerURL(handoff::kAppGroupIdentifier)) {
        const auto lines = MoveJournal::recoverInterruptedMoves(
            platform_.files, platform_.processInfo, *container, log);
        if (!lines.empty()) {
            showAlert(platform_.bundle.localizedString("alert.interruptedMove"),
                      joined(lines, "\n"));
        }
    }
}

void AppDelegate::registerLoginItem() {
    // Every launch, without asking first; a refusal (the user switched the login item off)
    // is theirs to make and is not reported.
    (void)platform_.loginItems.registerMainApp();
}

void AppDelegate::showOnboardingIfNeeded() {
    if (platform_.standardDefaults.boolForKey(kOnboardingCompleteKey)) {
        platform_.application.setActivationPolicy(ActivationPolicy::accessory);
        return;
    }
    platform_.application.setActivationPolicy(ActivationPolicy::regular);
    platform_.application.activateIgnoringOtherApps(true);
    auto& onboarding = OnboardingWindowController::shared(platform_);
    onboarding.showWindow(nullptr);
    onboarding.window()->makeKeyAndOrderFront(nullptr);
    onboarding.window()->center();
}

void AppDelegate::setupStatusItem() {
    statusItem = platform_.statusBar.statusItem(kSquareStatusItemLength);
    if (statusItem->button) {
        statusItem->button->image = makeStatusIcon();
    }
    auto menu = std::make_shared<Menu>("");
    menu->autoenablesItems = false;
    statusItem->menu = menu;
    buildMenu(*menu);
}

ImagePtr AppDelegate::makeStatusIcon() {
    const auto configuration =
        SymbolConfiguration::withPointSize(kStatusIconPointSize, FontWeight::regular);
    const auto loadSymbol = [&](std::string_view name) -> ImagePtr {
        const auto symbol = platform_.symbols.systemSymbol(name);
        return symbol ? symbol->withSymbolConfiguration(configuration) : nullptr;
    };
    const auto outline = loadSymbol(kMouseOutlineSymbol);
    const auto filled = outline ? loadSymbol(kMouseFilledSymbol) : nullptr;
    if (!outline || !filled) {
        return std::make_shared<Image>(); // the item still works, without an icon
    }
    const Size size = outline->size();
    const Rect whole{{0, 0}, size};
    const auto outlineSilhouette = blackSilhouette(*outline, size);
    const auto filledSilhouette = blackSilhouette(*filled, size);

    auto& g = platform_.graphics;
    auto icon = std::make_shared<Image>(size);
    g.lockFocus(*icon);
    g.drawImage(*outlineSilhouette, whole, CompositingOperation::sourceOver, 1.0);
    g.saveGraphicsState();
    g.addClip(makeRect(size.width * kButtonLeft, size.height * kButtonBottom,
                       size.width - size.width * kButtonLeft,
                       size.height - size.height * kButtonBottom));
    g.drawImage(*filledSilhouette, whole, CompositingOperation::sourceOver, 1.0);
    g.restoreGraphicsState();
    g.unlockFocus(*icon);
    icon->isTemplate = true;
    return icon;
}

ImagePtr AppDelegate::blackSilhouette(const Image& source, Size size) {
    auto& g = platform_.graphics;
    const Rect whole{{0, 0}, size};
    auto silhouette = std::make_shared<Image>(size);
    g.lockFocus(*silhouette);
    g.setColor(Color::black());
    g.fillRect(whole,
               g.hasCurrentContext() ? g.compositingOperation() : CompositingOperation::sourceOver);
    g.drawImage(source, whole, CompositingOperation::destinationIn, 1.0);
    g.unlockFocus(*silhouette);
    return silhouette;
}

void AppDelegate::buildMenu(Menu& menu) {
    auto& strings = platform_.bundle;
    menu.removeAllItems();

    auto about = std::make_shared<MenuItem>(strings.localizedString("menu.about"), "showAbout", "");
    about->target = this;
    menu.addItem(about);

    const std::string version =
        platform_.bundle.infoString(kVersionKey).value_or(std::string(kFallbackVersion));
    auto versionItem = std::make_shared<MenuItem>(
        formatString(strings.localizedString("menu.version"), {version}), "", "");
    versionItem->enabled = false;
    menu.addItem(versionItem);

    menu.addItem(MenuItem::separator());

    auto updates = std::make_shared<MenuItem>(strings.localizedString("menu.checkForUpdates"),
                                              "checkForUpdates:", "");
    updates->target = updaterController.get();
    menu.addItem(updates);

    menu.addItem(MenuItem::separator());

    // No target: terminate: goes up the responder chain to the application.
    menu.addItem(std::make_shared<MenuItem>("Quit", "terminate:", "q"));
}

void AppDelegate::showAbout() {
    platform_.application.setActivationPolicy(ActivationPolicy::regular);
    platform_.application.activateIgnoringOtherApps(true);
    platform_.application.orderFrontStandardAboutPanel(nullptr);
}

bool AppDelegate::performAction(std::string_view selector, Sender) {
    if (selector == "showAbout") {
        showAbout();
        return true;
    }
    if (selector == "uninstallApp") {
        uninstallApp();
        return true;
    }
    return false;
}

} // namespace orv
