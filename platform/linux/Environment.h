#pragma once
// Where things live for this user on Linux, from the environment, and small POSIX helpers
// shared by the Linux services.

#include "platform/Expected.h"
#include "platform/Path.h"
#include "platform/posix/Posix.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace orv::lnx {

// The variable's value when it is set and not empty.
std::optional<std::string> environment(const char* name);

// $HOME, else the password database's home folder.
Path homeDirectory();
// ${XDG_CONFIG_HOME:-$HOME/.config}
Path configHome();
// ${XDG_DATA_HOME:-$HOME/.local/share}
Path dataHome();
// $XDG_RUNTIME_DIR/orvane, else a folder of this user's own under /tmp; created 0700.
std::optional<Path> runtimeDirectory();

// The folder that holds the running program.
Path executableDirectory();
// An executable named `name` beside the running program, then on PATH.
std::optional<Path> findProgram(std::string_view name, bool besideProgramFirst);

// mkdir -p, the last folder with `mode`; an existing folder is fine.
Status makeDirectories(const Path& path, unsigned mode);

// Why the folder is not this user's own (a link, another owner, or any of the `forbidden`
// permission bits set), or nullopt when it is; from the folder's lstat when it is at hand.
std::optional<std::string> whyNotPrivate(const Path& dir, unsigned forbidden);
std::optional<std::string> whyNotPrivate(const struct stat& st, unsigned forbidden);

using posix::posixError;
using posix::writeAll;

} // namespace orv::lnx
