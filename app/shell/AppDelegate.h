#pragma once
// The host application's one delegate: it owns the host's log, status item and update
// controller, runs the launch sequence, and carries every host operation.

#include "app/requests/PasteMover.h"
#include "platform/Platform.h"
#include "shared/RequestHandoff.h"

#include <deque>
#include <mutex>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

class AppDelegate final : public ApplicationDelegate, public Responder {
  public:
    static constexpr std::string_view kBundleIdentifier = "tamsel.Orvane-";
    static constexpr std::string_view kLogCategory = "AppDelegate";
    static constexpr std::string_view kOnboardingCompleteKey = "onboardingComplete";

    // Sets the fields only; nothing of the launch happens here.
    explicit AppDelegate(const Platform& platform);

    Log log;
    StatusItemPtr statusItem;
    std::shared_ptr<UpdaterController> updaterController;

    // The launch sequence: update controller, login item, status item, onboarding.
    void applicationDidFinishLaunching() override;

    // Status item.
    void setupStatusItem();
    // The mouse outline with its right button filled, as a template image; an empty image
    // when a symbol is missing.
    ImagePtr makeStatusIcon();
    // A black image of `size` with the source's coverage.
    ImagePtr blackSilhouette(const Image& source, Size size);
    void buildMenu(Menu& menu);
    // About item: a Dock icon, the application in front, the standard About panel.
    void showAbout();

    bool performAction(std::string_view selector, Sender sender) override;

    // ---- New files ----

    // Makes a document of kind `ext` in `folder` under the first free name ("Untitled.txt",
    // "Untitled 1.txt", ...), never replacing anything, then reveals it for renaming.
    void createFile(const Path& folder, std::string_view ext);
    // The localized base name of new files, looked up afresh each time.
    std::string untitledBaseName();

    // Pages, Numbers and Keynote documents are made by their own applications.
    void createIWorkDocument(const Path& fileURL, std::string_view ext);
    void runIWorkScript(const std::string& script, const Path& fileURL);
    void finishIWorkCreation(const std::optional<ScriptError>& error, const Path& fileURL);
    void showIWorkMissingAlert(const std::string& appName, const std::string& ext);
    static std::string iWorkCreationScript(std::string_view bundleIdentifier,
                                           std::string_view path);

    // Selects the file in Finder and opens its name for editing, on the global queue.
    void revealAndRename(const Path& fileURL);
    void selectAndRenameInFinder(const std::string& path);
    static std::string finderSelectionScript(std::string_view path);
    static std::string_view renameScript();

    // ---- Requests from the extension ----

    void applicationOpenURLs(const std::vector<std::string>& urls) override;
    // A create request is taken from its file as its URL arrives, so that a later request
    // cannot take its place while the main thread is busy with a long move.
    void applicationURLsArrived(const std::vector<std::string>& urls) override;
    // Each URL in turn, routed by its host part: "create" or "paste"; anything else is skipped.
    void handleIncomingURLs(const std::vector<std::string>& urls);
    void handleCreateRequest();
    // Moves the cut items into the paste destination; reveals what moved 0.3 s later and lists
    // what did not in one alert.
    void handlePasteRequest();
    void revealMovedItems(const std::vector<Path>& urls);
    void showMoveErrorAlert(const std::vector<std::string>& lines);

    // ---- Uninstall ----

    // After confirmation: login item, preferences, group container, then the administrator
    // script; then the application quits.
    void uninstallApp();
    static std::vector<std::string> uninstallCommands(std::string_view home);
    static std::string administratorScript(const std::vector<std::string>& commands);
    static std::string shellQuoted(std::string_view text);

  private:
    // An alert with no choice, shown once the current work is done.
    void showAlert(const std::string& message, const std::string& detail);
    void registerLoginItem();
    void showOnboardingIfNeeded();

    Platform platform_;
    std::mutex createRequestsMutex_; // taken on arrival, on the socket's thread
    std::deque<handoff::CreateRequest> arrivedCreateRequests_;
    PasteMover pasteMover_{platform_, log};
};

} // namespace orv
