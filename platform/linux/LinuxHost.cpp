#include "platform/linux/LinuxHost.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"

#include <cerrno>
#include <unistd.h>

extern const unsigned char kHostDesktopEntry[];
extern const std::size_t kHostDesktopEntrySize;

namespace orv::lnx {

namespace {

std::string applicationName(Bundle& bundle) {
    return bundle.infoString("CFBundleName").value_or("Orvane+");
}

} // namespace

LinuxScreen::LinuxScreen()
    : output_([](std::string_view text) {
          std::string line(text);
          if (line.empty() || line.back() != '\n') {
              line += '\n';
          }
          (void)!write(STDOUT_FILENO, line.data(), line.size());
      }) {}

LinuxApplication::LinuxApplication(LinuxRunLoop& runLoop, LinuxWorkQueue& background,
                                   NotificationCenter& notifications, Bundle& bundle,
                                   const LinuxScreen& screen)
    : runLoop_(runLoop), background_(background), notifications_(notifications), bundle_(bundle),
      screen_(screen) {}

bool LinuxApplication::setActivationPolicy(ActivationPolicy policy) {
    if (policy == ActivationPolicy::prohibited && policy_ != ActivationPolicy::prohibited) {
        return false; // AppKit refuses to go back to prohibited
    }
    policy_ = policy;
    return true;
}

void LinuxApplication::activateIgnoringOtherApps(bool) {
    if (!active_) {
        active_ = true;
        notifications_.post(kApplicationDidBecomeActiveNotification);
    }
}

void LinuxApplication::orderFrontStandardAboutPanel(Sender) {
    screen_.show("[About " + applicationName(bundle_) + "]\nVersion " +
                 bundle_.infoString("CFBundleShortVersionString").value_or("1.0") + "\n" +
                 bundle_.infoString("NSHumanReadableCopyright").value_or("") + "\n");
}

void LinuxApplication::terminate(Sender) {
    runLoop_.stop();
}

ImagePtr LinuxApplication::applicationIconImage() {
    if (!icon_) {
        icon_ = std::make_shared<Image>(Size{128, 128});
        icon_->name = "NSApplicationIcon";
    }
    return icon_;
}

WindowPtr LinuxApplication::makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                                       bool defer) {
    return remember(std::make_shared<Window>(contentRect, styleMask, backing, defer));
}

int LinuxApplication::run() {
    if (delegate_ != nullptr) {
        delegate_->applicationURLsArrived(launchURLs_);
        delegate_->applicationDidFinishLaunching();
        if (!launchURLs_.empty()) {
            delegate_->applicationOpenURLs(std::exchange(launchURLs_, {}));
        }
    }
    runLoop_.run();
    background_.waitUntilDone();
    return 0;
}

void LinuxApplication::setDelegate(ApplicationDelegate* delegate) {
    const std::lock_guard lock(delegateMutex_);
    delegate_ = delegate;
}

void LinuxApplication::receiveURLs(std::vector<std::string> urls) {
    {
        const std::lock_guard lock(delegateMutex_);
        if (delegate_ != nullptr) {
            delegate_->applicationURLsArrived(urls);
        }
    }
    runLoop_.async([this, urls = std::move(urls)] { deliverURLs(urls); });
}

void LinuxApplication::deliverURLs(const std::vector<std::string>& urls) {
    if (delegate_ != nullptr && !urls.empty()) {
        delegate_->applicationOpenURLs(urls);
    }
}

StatusItemPtr LinuxStatusBar::statusItem(double length) {
    auto item = std::make_shared<StatusItem>(length, std::make_shared<StatusBarButton>());
    items_.push_back(item);
    return item;
}

int LinuxAlertPresenter::runModal(const Alert& alert) {
    std::string text = "[Alert] " + alert.messageText + "\n";
    if (!alert.informativeText.empty()) {
        text += alert.informativeText + "\n";
    }
    const auto buttons = alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
    text += "Buttons:";
    for (const auto& button : buttons) {
        text += " [" + button + "]";
    }
    auto answer = notifier_ != nullptr ? notifier_->show(alert) : std::nullopt;
    if (!answer || *answer >= buttons.size()) {
        answer = buttons.size() - 1;
    }
    text += " -> " + buttons[*answer] + "\n";
    screen_.show(text);
    return kAlertFirstButtonReturn + static_cast<int>(*answer);
}

std::unique_ptr<ProgressDisplay> LinuxAlertPresenter::show(const MoveProgressReport& report,
                                                           std::function<void()> cancel) {
    return notifier_ != nullptr ? notifier_->show(report, std::move(cancel)) : nullptr;
}

Path LinuxLoginItems::entryPath() {
    return configHome().appending("autostart/orvane-host.desktop");
}

std::optional<std::string> LinuxLoginItems::execArgument(std::string_view program) {
    // The Exec quoting rules first, then the escapes of a desktop entry's string values.
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? "%%" : std::string(1, c);
    }
    quoted += '"';
    std::string out;
    for (const char c : quoted) {
        const char* escape = c == '\\'   ? "\\\\"
                             : c == '\n' ? "\\n"
                             : c == '\t' ? "\\t"
                             : c == '\r' ? "\\r"
                                         : nullptr;
        if (escape == nullptr && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)) {
            return std::nullopt;
        }
        out += escape != nullptr ? escape : std::string(1, c);
    }
    return out;
}

Status LinuxLoginItems::registerMainApp() {
    const Path entry = entryPath();
    LinuxFileManager files;
    if (const auto existing = files.readUTF8(entry)) {
        for (const std::string_view off :
             {"\nHidden=true\n", "\nX-GNOME-Autostart-enabled=false\n"}) {
            if (("\n" + *existing + "\n").find(off) != std::string::npos) {
                return Error{EPERM, "The login item was turned off by the user."};
            }
        }
    }
    const Path program = executableDirectory().appending("orvane-host");
    const auto exec = execArgument(program.str());
    if (!exec) {
        return posixError(EINVAL, "A login item cannot start", program);
    }
    if (!changesAllowed_) {
        return ok();
    }
    if (auto made = makeDirectories(entry.deletingLastComponent(), 0755); !made) {
        return made;
    }
    // The installed entry, starting this very program.
    std::string text(reinterpret_cast<const char*>(kHostDesktopEntry), kHostDesktopEntrySize);
    const std::size_t line = text.find("\nExec=") + 1;
    text.replace(line, text.find('\n', line) - line, "Exec=" + *exec);
    return writeAtomically(entry, text + "X-GNOME-Autostart-enabled=true\n");
}

Status LinuxLoginItems::unregisterMainApp() {
    const Path entry = entryPath();
    if (!changesAllowed_) {
        return ok();
    }
    if (unlink(entry.str().c_str()) != 0) {
        return posixError(errno, "Couldn’t remove the login item", entry);
    }
    return ok();
}

void LinuxFinderExtensionSettings::showExtensionManagementInterface() {
    screen_.show("[Extensions] The Orvane+ Finder extension is always enabled on this system: "
                 "orvane-finder hosts it.\n");
}

std::shared_ptr<UpdaterController> LinuxSoftwareUpdater::makeStandardController(bool) {
    return std::make_shared<NoticeUpdaterController>(
        alerts_,
        Alert{"Updates come with your packages",
              applicationName(bundle_) + " is updated by the package manager that installed it.",
              AlertStyle::informational,
              {}});
}

} // namespace orv::lnx
