#pragma once

#include "files/FolderHandle.h"

#include <system_error>

// Whether a new file can be made in `folder`: one is made under a name
// nobody can guess and removed again at once, which is what the system's
// permission bits, access lists, read-only mounts and quotas all answer
// alike. The error that stops it, or none.
std::error_code WriteCheck(const FolderHandle& folder);
