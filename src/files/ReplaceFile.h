#pragma once

#include "files/FolderHandle.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

// A file could not be replaced; what() says why, for the user.
class EReplaceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rename took effect but what it put in place was not the new file
// (something was swapped in under the new file's name): that was taken
// away again, and the destination holds nothing now. Whoever holds the old
// file's bytes may put them back.
class EDestinationLost : public EReplaceFileError {
public:
    using EReplaceFileError::EReplaceFileError;
};

// The name of the new file beside `destination` for the attempt-th try (0, 1, 2).
using NewFileName = std::function<QString(const QString& destination, int attempt)>;

// The destination's name and 64 random bits drawn from the operating system,
// so that nobody can plant anything under it beforehand.
QString UnguessableNameBeside(const QString& destination, int attempt);

// Puts `bytes` at the file `name` of `folder` in one step: they are written
// to a new file beside it, created exclusively (something already under that
// name, a link or a named pipe, is never opened: the next name is tried)
// under a name nobody can guess beforehand, which is then renamed over the
// destination. A link at the destination itself is replaced, never
// followed; everything happens through the folder's handle and the new
// file's own, so a link swapped in on the way leads nowhere: the file renamed
// into place is checked to be the one written, and taken away again when it
// is not (EDestinationLost). Whoever reads the destination sees the old file or the new one,
// never a part. A new file gets the usual permissions of new files; one that
// replaces `replaced` (the destination as it was read) gets its permissions,
// set on the new file's handle. Nothing is forced to disk: per photo that
// would cost several times the rest of a run; the journal, which must reach
// the disk before the changes, is forced in batches. Throws
// EReplaceFileError. Tests give `newFileName` to know the names beforehand
// and `beforeRename` to swap something in between writing and renaming.
void ReplaceFile(const FolderHandle& folder, const QString& name, const QByteArray& bytes,
                 const std::optional<EntryFacts>& replaced = std::nullopt,
                 const NewFileName& newFileName = UnguessableNameBeside,
                 const std::function<void(const QString& newName)>& beforeRename = {});
