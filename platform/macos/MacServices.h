#pragma once
// The Foundation and AppKit services the Finder extension uses on macOS (the host uses them
// too): FinderSync's controller, pasteboard, workspace, NSTask, the bundle, SF Symbols, user
// defaults and the unified log. Built as extension-safe code.

#include "platform/Log.h"
#include "platform/Services.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#ifdef __OBJC__
@class NSBundle;
@class NSUserDefaults;
#endif

namespace orv::mac {

class MacFinderSyncController final : public FinderSyncController {
  public:
    void setDirectoryURLs(std::set<Path> urls) override;
    std::optional<std::vector<Path>> selectedItemURLs() override;
    std::optional<Path> targetedURL() override;
};

class MacPasteboard final : public Pasteboard {
  public:
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
};

class MacWorkspace final : public Workspace {
  public:
    bool openURL(std::string_view url) override;
    std::optional<Path> urlForApplication(std::string_view bundleIdentifier) override;
    void activateFileViewerSelecting(const std::vector<Path>& items) override;
};

class MacProcessLauncher final : public ProcessLauncher {
  public:
    Status launch(const Path& executable, const std::vector<std::string>& arguments) override;
};

#ifdef __OBJC__
// An NSBundle; for a program, mainBundle: the app's own, or the appex's in the extension.
class MacBundle final : public Bundle {
  public:
    explicit MacBundle(NSBundle* bundle) : bundle_(bundle) {}
    std::string localizedString(std::string_view key) override;
    std::optional<std::string> infoString(std::string_view key) override;

  private:
    NSBundle* bundle_;
};
#endif

class MacSymbolCatalog final : public SymbolCatalog {
  public:
    ImagePtr systemSymbol(std::string_view name) override;
};

#ifdef __OBJC__
class MacUserDefaults final : public UserDefaults {
  public:
    explicit MacUserDefaults(NSUserDefaults* defaults) : defaults_(defaults) {}
    bool boolForKey(std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    bool synchronize() override;
    void removePersistentDomain(std::string_view name) override;

  private:
    NSUserDefaults* defaults_;
};
#endif

class MacUserDefaultsSuites final : public UserDefaultsSuites {
  public:
    std::unique_ptr<UserDefaults> suite(std::string_view name) override;
};

// os_log_with_type at the default level, the message public. One os_log_t per subsystem and
// category, kept for the life of the process as the system expects.
class MacLogSink final : public LogSink {
  public:
    void write(std::string_view subsystem, std::string_view category,
               std::string_view message) override;

  private:
    std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, void*> logs_;
};

} // namespace orv::mac
