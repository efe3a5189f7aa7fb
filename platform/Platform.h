#pragma once
// Everything a deliverable reaches of the operating system, handed to it by the program entry.
// Tests build one from the doubles in tests/support. No service is reached any other way.
// The Finder extension gets only the services it uses; the host gets those and its own.

#include "platform/Application.h"
#include "platform/Log.h"
#include "platform/Notifications.h"
#include "platform/Progress.h"
#include "platform/RunLoop.h"
#include "platform/Services.h"

namespace orv {

// What the sandboxed extension reaches; its macOS build links nothing else.
struct ExtensionPlatform {
    FileManager& files;
    Pasteboard& pasteboard;
    Workspace& workspace;
    UserDefaultsSuites& defaultsSuites;
    ProcessLauncher& processes;
    LogSink& logSink;
    Bundle& bundle; // the deliverable's own bundle
    FinderSyncController& finderSync;
    SymbolCatalog& symbols;
};

struct Platform : ExtensionPlatform {
    UserDefaults& standardDefaults; // NSUserDefaults standardUserDefaults
    MainQueue& mainQueue;
    BackgroundQueue& userInitiatedQueue;
    NotificationCenter& notifications;
    Application& application;
    StatusBar& statusBar;
    Graphics& graphics;
    AlertPresenter& alerts;
    ProgressPresenter& progress;
    LoginItemService& loginItems;
    AccessibilityTrust& accessibility;
    FinderExtensionSettings& finderExtension;
    SoftwareUpdater& updater;
    ScriptRunner& scripts;
    Sleeper& sleeper;
    ProcessInfo& processInfo;
};

} // namespace orv
