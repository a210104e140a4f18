#pragma once

#include "files/FolderHandle.h"

#include <QString>

#include <cstdint>
#include <span>
#include <system_error>

// Puts `bytes` at the file `name` of `folder` in one step, never through a
// link: they are written to a new file beside it, created exclusively under
// the name and 64 random bits (so nothing can be planted there beforehand,
// and whatever is there already is never opened), which is then renamed
// over `name`. A link at `name` is replaced by the file, never followed, and
// a reader of `name` sees the old file or the new one, never a part. The file
// renamed into place is checked to be the one written; anything else swapped
// in on the way is taken away again (FileRule::Changed). New files get the
// usual permissions of new files. On failure `error` says why and the new
// file is gone; what `name` held before is left as it was, unless the
// rename itself had put something else there.
void WriteFileInPlace(const FolderHandle& folder, const QString& name, std::span<const std::uint8_t> bytes,
                      std::error_code& error);
