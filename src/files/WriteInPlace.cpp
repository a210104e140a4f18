#include "files/WriteInPlace.h"

#include "files/SystemErrorText.h"

#include <QRandomGenerator>

namespace {

// Windows tells a file's identity only through its handle: the kind has to do there.
bool SameFile(const EntryFacts& a, const EntryFacts& b)
{
    return a.kind == b.kind && (b.file == 0 || (a.device == b.device && a.file == b.file));
}

constexpr int kAttempts = 3;

} // namespace

void WriteFileInPlace(const FolderHandle& folder, const QString& name, std::span<const std::uint8_t> bytes,
                      std::error_code& error)
{
    error.clear();
    FileHandle file;
    std::string newName;
    for (int attempt = 0; attempt < kAttempts && !file.IsOpen(); ++attempt) {
        error.clear();
        newName = NativeName(
            name + QStringLiteral(".%1.new").arg(QRandomGenerator::system()->generate64(), 16, 16, QChar(u'0')));
        file = folder.CreateNew(newName, error);
    }
    if (error)
        return;
    std::error_code ignored;
    file.WriteAll(reinterpret_cast<const char*>(bytes.data()), bytes.size(), error);
    const EntryFacts written = error ? EntryFacts() : file.Facts(error);
    if (!error)
        folder.Rename(newName, NativeName(name), error);
    if (error) {
        folder.Remove(newName, ignored);
        return;
    }
    const EntryFacts placed = folder.Look(NativeName(name), error);
    if (error || !SameFile(written, placed)) {
        folder.Remove(NativeName(name), ignored);
        if (!error)
            error = FileRule::Changed;
    }
}
