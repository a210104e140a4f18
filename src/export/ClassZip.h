#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

// One file of a zip archive, at the archive's root.
struct ZipEntry {
    QString name;
    std::vector<std::uint8_t> bytes;
};

// libzip refused to make the archive; what() gives its message.
class EZipError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A zip archive of `entries`, made in memory by libzip: names in UTF-8 with
// the archive's UTF-8 flag set where a name is not plain ASCII (so that
// Windows' own zip tool shows Chinese names), files stored as they are
// (JPEG files do not shrink further). Without entries there is no archive:
// the result is empty. Throws EZipError.
std::vector<std::uint8_t> ZipOf(const QList<ZipEntry>& entries);
