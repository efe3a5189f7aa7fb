// orvane-host: the menu-bar host Orvane+ on Linux. It runs the application as macOS would,
// ends cleanly on SIGTERM or SIGINT as at logout, and prints its user interface on SIGUSR1.
// One host serves each user: started while another runs, it hands its URLs to that one.
//
//   orvane-host [URL...]            run (and open the URLs) until Quit, SIGTERM or SIGINT
//   orvane-host --print-ui          launch, print the user interface, quit
//   orvane-host --status-icon PNG   launch, write the status icon to PNG, quit
// The last two only show: they leave the login item and everything else on the machine alone.

#include "app/shell/Orvane_App.h"
#include "platform/linux/HostInstance.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/LoadedNotifier.h"
#include "platform/linux/Png.h"
#include "platform/linux/UiPrinter.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace {

constexpr const char* kUsage = "usage: orvane-host [URL...] | --print-ui | --status-icon PNG\n";

struct Options {
    bool printUI = false;
    std::optional<std::string> statusIconPath;
    std::vector<std::string> urls;
};

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--print-ui") {
            options.printUI = true;
        } else if (arg == "--status-icon" && i + 1 < argc) {
            options.statusIconPath = argv[++i];
        } else if (!arg.empty() && arg.front() != '-') {
            options.urls.emplace_back(arg);
        } else {
            return std::nullopt;
        }
    }
    const bool oneShot = options.printUI || options.statusIconPath;
    if (oneShot && !options.urls.empty()) {
        return std::nullopt;
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::cerr << kUsage;
        return 2;
    }

    // The signals are taken by a thread of their own (see below). Blocked before any thread
    // starts, so every thread inherits the mask.
    sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : {SIGTERM, SIGINT, SIGUSR1}) {
        sigaddset(&handled, signal);
    }
    sigprocmask(SIG_BLOCK, &handled, nullptr);

    // The one host of this user, unless another already is: then it takes our URLs.
    const bool oneShot = options->printUI || options->statusIconPath.has_value();
    std::optional<orv::lnx::HostClaim> claim;
    if (!oneShot) {
        auto claimed = orv::lnx::claimHost(options->urls);
        if (!claimed) {
            std::cerr << "orvane-host: " << claimed.error().localizedDescription << '\n';
            return 1;
        }
        if (!claimed->primary) {
            return 0;
        }
        claim = *claimed;
    }

    orv::lnx::LinuxPlatform system({"Orvane+",
                                    std::string(orv::AppDelegate::kBundleIdentifier),
                                    {{"CFBundleName", "Orvane+"},
                                     {"CFBundleIdentifier", "tamsel.Orvane-"},
                                     {"CFBundleShortVersionString", ORVANE_VERSION},
                                     {"NSHumanReadableCopyright", "© 2026 Tamsel"}}},
                                   /*diagnostic=*/oneShot);
    // On a desktop, alerts also reach the user as notifications.
    orv::lnx::LoadedNotifier notifier(system.runLoop(), ORVANE_NOTIFIER_FROM_HOST,
                                      orv::Log(system.platform().logSink,
                                               std::string(orv::AppDelegate::kBundleIdentifier),
                                               "Alerts"));
    if (!oneShot) {
        system.alerts().setNotifier(&notifier);
    }
    auto& application = system.application();
    const auto printUI = [&system] {
        std::cout << orv::lnx::describeUserInterface(system.application(),
                                                     system.statusBar().items())
                  << std::flush;
    };

    // Heard at once even while the main thread is busy, so that SIGTERM stops a long move at
    // its next safe point instead of holding the session's logout; what a signal asks is then
    // done on the main thread between events.
    std::atomic<bool> ended = false;
    std::thread signalThread([&] {
        for (int signal = 0; (signal = sigwaitinfo(&handled, nullptr)) >= 0 || errno == EINTR;) {
            if (ended) {
                break;
            }
            if (signal == SIGUSR1) {
                system.runLoop().async(printUI);
            } else if (signal > 0) {
                // As at logout, no clean-up of our own; but the requests already taken
                // (their senders heard OK) are carried out first.
                application.requestTermination();
                system.runLoop().async([&application] { application.terminate(nullptr); });
            }
        }
    });

    std::optional<orv::lnx::UrlServer> urlServer;
    if (claim) {
        const orv::Log deliveryLog(system.platform().logSink,
                                   std::string(orv::AppDelegate::kBundleIdentifier), "URLDelivery");
        urlServer.emplace(*claim, deliveryLog, [&application](std::vector<std::string> urls) {
            application.receiveURLs(std::move(urls));
        });
        application.openAtLaunch(options->urls);
    }

    int status = 0;
    if (oneShot) {
        // Queued now, run once launching has finished.
        system.runLoop().async([&] {
            if (options->printUI) {
                printUI();
            }
            if (options->statusIconPath) {
                const auto& items = system.statusBar().items();
                const auto image =
                    items.empty() || !items[0]->button ? nullptr : items[0]->button->image;
                const auto written =
                    image && image->raster
                        ? orv::lnx::writePng(*image->raster, orv::Path(*options->statusIconPath))
                        : orv::Status(orv::Error{0, "no status icon was drawn"});
                if (!written) {
                    std::cerr << "orvane-host: " << written.error().localizedDescription << '\n';
                    status = 1;
                }
            }
            application.terminate(nullptr);
        });
    }
    const int ran = orv::Orvane_App::main(system.platform());
    ended = true;
    pthread_kill(signalThread.native_handle(), SIGUSR1);
    signalThread.join();
    return status != 0 ? status : ran;
}
