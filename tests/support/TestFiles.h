#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <stdexcept>

// Paths of the shared test images, and small helpers for files in a test's
// temporary folder.
inline QString TestDataPath(const QString& relative)
{
    return QDir(QStringLiteral(SP_TESTDATA_DIR)).filePath(relative);
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
