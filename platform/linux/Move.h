#pragma once
// Moving and removing items on Linux, with the semantics users rely on from the system's own.

#include "platform/Expected.h"
#include "platform/Path.h"

namespace orv::lnx {

// Moves `source` to `destination` without ever replacing an existing item: renameat2 with
// RENAME_NOREPLACE on one file system. Across file systems the item is copied (folders
// recursively; symbolic links as links; permissions, times and extended attributes kept) under
// a temporary name in the destination folder, renamed into place without replacing, and only
// then is the source removed. A failure midway removes the partial copy and leaves the source
// whole. A folder is never moved into itself.
Status moveItem(const Path& source, const Path& destination);

// Removes a file, a link, or a folder with everything in it (links are not followed).
Status removeItem(const Path& path);

} // namespace orv::lnx
