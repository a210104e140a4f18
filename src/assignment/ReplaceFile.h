#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

// A file could not be replaced; what() says why, for the user.
class EReplaceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The name of the new file beside `destination` for the attempt-th try (0, 1, 2).
using NewFileName = std::function<QString(const QString& destination, int attempt)>;

// The destination's name and 64 random bits drawn from the operating system,
// so that nobody can plant anything under it beforehand.
QString UnguessableNameBeside(const QString& destination, int attempt);

// Puts `bytes` at `destination` in one step: they are written to a new file
// beside it, created exclusively (something already under that name, a link
// or a named pipe, is never opened: the next name is tried) under a name
// nobody can guess beforehand, which is then renamed over the destination. A link at the destination itself is
// replaced, never followed. Whoever reads the destination sees the old file
// or the new one, never a part. A new file gets the usual permissions of new
// files, a replaced one keeps its own. Nothing is forced to disk: per photo
// that would cost several times the rest of a run (QSaveFile, which does,
// makes 5,000 photos take 25 s instead of 5 s); the journal, which must reach
// the disk before the changes, is forced in batches. Throws EReplaceFileError.
// Tests give `newFileName` to know the names beforehand.
void ReplaceFile(const QString& destination, const QByteArray& bytes,
                 const NewFileName& newFileName = UnguessableNameBeside);
