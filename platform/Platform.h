#pragma once
// Everything a deliverable reaches of the operating system, handed to it by the program entry.
// Tests build one from the doubles in tests/support. No service is reached any other way.

#include "platform/Log.h"
#include "platform/Services.h"

namespace orv {

struct Platform {
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

} // namespace orv
