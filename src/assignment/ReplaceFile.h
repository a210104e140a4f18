#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

// A file could not be replaced; what() says why, for the user.
class EReplaceFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Puts `bytes` at `destination` in one step: they are written to a new file
// beside it, created exclusively under a name nobody can guess beforehand (a
// link planted under a predictable name cannot redirect the bytes), which is
// then renamed over the destination. A link at the destination itself is
// replaced, never followed. Whoever reads the destination sees the old file
// or the new one, never a part. A new file gets the usual permissions of new
// files, a replaced one keeps its own. Nothing is forced to disk: per photo
// that would cost several times the rest of a run (QSaveFile, which does,
// makes 5,000 photos take 25 s instead of 5 s); the journal, which must reach
// the disk before the changes, is forced in batches. Throws EReplaceFileError.
void ReplaceFile(const QString& destination, const QByteArray& bytes);
