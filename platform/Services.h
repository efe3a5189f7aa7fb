#pragma once
// The operating-system services the product uses, as small interfaces. Each names the native
// counterpart the macOS implementation maps it to. Linux implementations live in platform/linux.

#include "platform/Expected.h"
#include "platform/Image.h"
#include "platform/Move.h"
#include "platform/Path.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// NSFileManager defaultManager, with the whole-file reads and writes of NSString and NSData.
class FileManager {
  public:
    virtual ~FileManager() = default;

    // containerURLForSecurityApplicationGroupIdentifier: (absent when it cannot be had)
    virtual std::optional<Path> containerURL(std::string_view groupIdentifier) = 0;

    struct ReadOptions {
        std::size_t maxBytes = SIZE_MAX; // a longer file is refused, not read
        bool followLinks = true;         // false: a symbolic link is refused
    };
    // stringWithContentsOfURL:encoding:NSUTF8StringEncoding: invalid UTF-8 is a failure. Only
    // a regular file is read; anything else (a FIFO, a device, a folder) is refused without
    // waiting on it (open with O_NONBLOCK, then fstat).
    virtual Expected<std::string> readUTF8(const Path& path, const ReadOptions& options) = 0;
    Expected<std::string> readUTF8(const Path& path) { return readUTF8(path, ReadOptions{}); }

    enum class WriteMode {
        inPlace, // writeToURL:atomically:NO
        atomic,  // writeToURL:atomically:YES: a temporary file that then takes the name
    };
    // writeToURL:atomically:encoding:NSUTF8StringEncoding:error:
    virtual Status writeUTF8(const Path& path, std::string_view text, WriteMode mode) = 0;

    // resourceValuesForKeys:@[NSURLIsDirectoryKey]: absent when the lookup fails. A package
    // (a folder the system shows as one item) answers true.
    virtual std::optional<bool> isDirectory(const Path& path) = 0;

    // NSHomeDirectory: the user's home folder, absolute, without a trailing slash.
    virtual Path homeDirectory() = 0;

    // fileExistsAtPath: (a file, a folder or anything else, links not followed)
    virtual bool fileExists(const Path& path) = 0;

    // Makes a new file holding `bytes` under `path`, never replacing anything: when an item
    // of that name exists the error's kind is alreadyExists. No reader ever sees the file
    // half-written. (NSData writeToURL:options:NSDataWritingWithoutOverwriting|Atomic)
    virtual Status createFileExclusively(const Path& path, std::string_view bytes) = 0;

    // moveItemAtURL:toURL:error:, made by the shared mover of platform/Move.h: never replaces
    // an existing item (the error's kind is then alreadyExists) and never loses one; across
    // file systems `observer` hears of the hidden copy, and an item that changed in the
    // source meanwhile stays there (the error's kind is then partial: the rest did move).
    // `progress` hears of the data copied and may stop the move (see platform/Move.h).
    virtual Status moveItem(const Path& source, const Path& destination, MoveObserver* observer,
                            MoveProgress* progress) = 0;
    // The bytes a move of `source` into `destinationFolder` copies: 0 for a rename.
    virtual std::int64_t bytesToCopy(const Path& source, const Path& destinationFolder) = 0;
    // Puts right what can be proven of a move a crash interrupted (see platform/Move.h).
    virtual Interrupted recoverInterruptedMove(const CopyRecord& record) = 0;
    // trashItemAtURL:resultingItemURL:error: the item's place in the Trash. Only renamed there:
    // an item the Trash of its own file system cannot take stays, and the error says why.
    virtual Expected<Path> trashItem(const Path& path) = 0;
    // contentsOfDirectoryAtPath:error: the names in a folder, hidden ones included.
    virtual Expected<std::vector<std::string>> contentsOfDirectory(const Path& folder) = 0;

    // removeItemAtURL:error: — a file, or a folder with everything in it.
    virtual Status removeItem(const Path& path) = 0;
};

// The plain-text type of NSPasteboardTypeString.
inline constexpr std::string_view kPasteboardTypeString = "public.utf8-plain-text";

// NSPasteboard generalPasteboard
class Pasteboard {
  public:
    virtual ~Pasteboard() = default;
    // clearContents
    virtual void clearContents() = 0;
    // setString:forType:
    virtual bool setString(std::string_view text, std::string_view type) = 0;
};

// NSWorkspace sharedWorkspace
class Workspace {
  public:
    virtual ~Workspace() = default;
    // openURL: (the text of an absolute URL)
    virtual bool openURL(std::string_view url) = 0;
    // URLForApplicationWithBundleIdentifier: where the application is, if it is installed
    virtual std::optional<Path> urlForApplication(std::string_view bundleIdentifier) = 0;
    // activateFileViewerSelectingURLs: the file viewer comes forward with the items selected
    virtual void activateFileViewerSelecting(const std::vector<Path>& items) = 0;
};

// NSAppleScript's error dictionary: NSAppleScriptErrorNumber and NSAppleScriptErrorMessage.
struct ScriptError {
    int number = 0;
    std::string message;
    friend bool operator==(const ScriptError&, const ScriptError&) = default;
};

// NSAppleScript initWithSource: then executeAndReturnError:. The result is the error
// dictionary; none when the script ran (or when no script object could be made of the text).
// Blocks until the script ends; never called on the main thread.
class ScriptRunner {
  public:
    virtual ~ScriptRunner() = default;
    virtual std::optional<ScriptError> run(std::string_view source) = 0;
    // How the log prints a run's result: by default the optional error dictionary's printed
    // form (describeScriptError).
    virtual std::string describe(const std::optional<ScriptError>& error) const;
};

// A process named so that the name outlives it: its machine, that machine's boot, and the
// process's number and start (a number alone is reused).
struct ProcessIdentity {
    std::string machine;
    std::string boot;
    std::int64_t pid = 0;
    std::uint64_t started = 0;
    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

// NSProcessInfo processInfo, with what it does not say: the machine (gethostuuid), its boot
// (kern.boottime) and when a process started (kern.proc.pid).
class ProcessInfo {
  public:
    virtual ~ProcessInfo() = default;
    // processIdentifier
    virtual std::int64_t processIdentifier() = 0;
    // systemUptime: seconds since the machine started, a clock that never goes back.
    virtual double systemUptime() = 0;
    // This machine, and this boot of it; empty when unknown.
    virtual std::string machine() = 0;
    virtual std::string boot() = 0;
    // When the process of that number started, or nullopt when none runs.
    virtual std::optional<std::uint64_t> startOf(std::int64_t pid) = 0;

    ProcessIdentity current() {
        const auto pid = processIdentifier();
        return {machine(), boot(), pid, startOf(pid).value_or(0)};
    }
    // False only when that process has provably ended: it ran on this machine, and the
    // machine has started again since, or no process of that number and start runs now.
    bool mayBeRunning(const ProcessIdentity& process) {
        if (machine().empty() || process.machine != machine()) {
            return true; // another machine's: nothing here can tell
        }
        if (!boot().empty() && process.boot != boot()) {
            return false;
        }
        const auto started = startOf(process.pid);
        return started && *started == process.started;
    }
};

// NSThread sleepForTimeInterval:, for pauses on background queues.
class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleepFor(double seconds) = 0;
};

// An NSUserDefaults object (standard or a suite).
class UserDefaults {
  public:
    virtual ~UserDefaults() = default;
    // boolForKey: (false when absent or not a Boolean)
    virtual bool boolForKey(std::string_view key) = 0;
    // setBool:forKey:
    virtual void setBool(bool value, std::string_view key) = 0;
    // synchronize
    virtual bool synchronize() = 0;
    // removePersistentDomainForName:
    virtual void removePersistentDomain(std::string_view name) = 0;
};

// NSUserDefaults initWithSuiteName: (absent for a name the system refuses)
class UserDefaultsSuites {
  public:
    virtual ~UserDefaultsSuites() = default;
    virtual std::unique_ptr<UserDefaults> suite(std::string_view name) = 0;
};

// NSTask: start a program without waiting for it.
class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // setLaunchPath: setArguments: launchAndReturnError:
    virtual Status launch(const Path& executable, const std::vector<std::string>& arguments) = 0;
};

// NSBundle: the asking deliverable's own bundle.
class Bundle {
  public:
    virtual ~Bundle() = default;
    // NSLocalizedString(key, tableName: nil, bundle:, value: "", comment: ""): the key itself
    // when the default table has no entry for it.
    virtual std::string localizedString(std::string_view key) = 0;
    // objectForInfoDictionaryKey:, when the value is a string
    virtual std::optional<std::string> infoString(std::string_view key) = 0;
};

// FIFinderSyncController defaultController
class FinderSyncController {
  public:
    virtual ~FinderSyncController() = default;
    // directoryURLs =
    virtual void setDirectoryURLs(std::set<Path> urls) = 0;
    // selectedItemURLs (absent or empty when nothing is selected)
    virtual std::optional<std::vector<Path>> selectedItemURLs() = 0;
    // targetedURL
    virtual std::optional<Path> targetedURL() = 0;
};

// NSImage imageWithSystemSymbolName:accessibilityDescription:
class SymbolCatalog {
  public:
    virtual ~SymbolCatalog() = default;
    // nullptr when the system has no symbol of that name.
    virtual ImagePtr systemSymbol(std::string_view name) = 0;
};

} // namespace orv
