#pragma once
// The Linux stand-ins for the pasteboard, the workspace, the log and the Finder Sync controller.

#include "platform/Log.h"
#include "platform/Services.h"

#include <mutex>

namespace orv::lnx {

// The general pasteboard: the desktop clipboard through wl-copy (Wayland) or xclip (X11) when a
// display is there, else the file pasteboard.txt in the runtime folder, holding exactly the
// string last set.
class LinuxPasteboard final : public Pasteboard {
  public:
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
};

// The workspace: an orvaneplus: URL starts `orvane-host URL` (beside this program, else on
// PATH), as the system starts the application that claims the scheme; any other URL goes to
// xdg-open where there is one.
class LinuxWorkspace final : public Workspace {
  public:
    explicit LinuxWorkspace(ProcessLauncher& processes) : processes_(processes) {}
    bool openURL(std::string_view url) override;
    // An application is installed when a desktop entry named after its identifier
    // ("com.apple.iWork.Pages.desktop") is in an applications folder of the XDG data dirs.
    std::optional<Path> urlForApplication(std::string_view bundleIdentifier) override;
    // The desktop's file manager shows the items (org.freedesktop.FileManager1.ShowItems),
    // without waiting for it; nothing happens where no session bus is there.
    void activateFileViewerSelecting(const std::vector<Path>& items) override;

  private:
    ProcessLauncher& processes_;
};

// The unified log: the systemd journal (syslog where there is none), filed under the program's
// identifier with the subsystem and category as fields (ORVANE_SUBSYSTEM, ORVANE_CATEGORY) and
// in the text, "subsystem category message"; standard error too, but only when it is a
// terminal, so a program started by a file manager writes nothing into the file manager's
// output; and, when ORVANE_LOG_FILE is set, one line per message appended there. Control
// characters, bytes that are not UTF-8 and backslashes inside a message are escaped ("\n",
// "\t", "\x00", "\xff", "\\"), so each message stays one line of text.
class LinuxLogSink final : public LogSink {
  public:
    static constexpr const char* kJournalSocket = "/run/systemd/journal/socket";
    // `identifier`: the journal's name for the lines (journalctl -t), the program's own name
    // when empty; `journal`: the journal's socket.
    explicit LinuxLogSink(std::string identifier = {}, std::string journal = kJournalSocket);
    ~LinuxLogSink() override;
    LinuxLogSink(const LinuxLogSink&) = delete;
    LinuxLogSink& operator=(const LinuxLogSink&) = delete;
    void write(std::string_view subsystem, std::string_view category,
               std::string_view message) override;

  private:
    bool sendToJournal(const std::string& entry) const;

    std::string identifier_;
    std::string journal_;
    std::string logFile_;
    int socket_;
    bool terminal_;
};

// The Finder Sync controller as orvane-finder plays Finder: it holds the selection and the
// targeted folder of the current request and records the monitored folders.
class FinderStandInController final : public FinderSyncController {
  public:
    void setDirectoryURLs(std::set<Path> urls) override { directories_ = std::move(urls); }
    std::optional<std::vector<Path>> selectedItemURLs() override { return selection_; }
    std::optional<Path> targetedURL() override { return target_; }

    void setSelection(std::optional<std::vector<Path>> selection) {
        selection_ = std::move(selection);
    }
    void setTarget(std::optional<Path> target) { target_ = std::move(target); }
    const std::set<Path>& directoryURLs() const { return directories_; }

  private:
    std::set<Path> directories_;
    std::optional<std::vector<Path>> selection_;
    std::optional<Path> target_;
};

// The script runner: Linux runs no AppleScript, so this reads the scripts the product sends
// (undoing the string-literal escaping) and carries out what Linux can do. The Finder selection
// becomes org.freedesktop.FileManager1.ShowItems on the session bus, where a file manager
// answers; everything else, such as the rename keystroke, answers with an error dictionary
// that says why.
class LinuxScriptRunner final : public ScriptRunner {
  public:
    std::optional<ScriptError> run(std::string_view source) override;
    // One plain line, "nil" or "error N: message": no other system's debugging notation.
    std::string describe(const std::optional<ScriptError>& error) const override;
};

class LinuxSleeper final : public Sleeper {
  public:
    void sleepFor(double seconds) override;
};

// The file: URI of a path, every byte but unreserved ones and "/" percent-encoded.
std::string fileURI(const Path& path);

// The SF Symbols the product uses, as the Linux stand-in knows them; any other name is missing.
class LinuxSymbolCatalog final : public SymbolCatalog {
  public:
    ImagePtr systemSymbol(std::string_view name) override;
};

} // namespace orv::lnx
