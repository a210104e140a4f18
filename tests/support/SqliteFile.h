#pragma once
// A test's own way to an SQLite database file, beside the tool's.

#include <QDir>
#include <QSqlDatabase>
#include <QString>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

// A file's path as the SQLite ODBC driver opens it. Under Wine the driver is
// the Linux host's (Wine's ODBC hands the calls to unixODBC), which needs the
// file's Unix path.
inline QString DriverPath(const QString& path)
{
#ifdef _WIN32
    using UnixFileName = char*(CDECL*)(LPCWSTR);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unixFileName == nullptr)
        return path;
    const std::wstring windowsPath = QDir::toNativeSeparators(path).toStdWString();
    char* unixPath = unixFileName(windowsPath.c_str());
    if (unixPath == nullptr)
        return path;
    const QString result = QString::fromUtf8(unixPath);
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
#else
    return path;
#endif
}

// A connection named `name` to the SQLite file at `path` (not opened): Qt's
// own SQLite driver, or on Windows, where Qt is built without it, the SQLite3
// ODBC driver the tool reaches its databases through.
inline QSqlDatabase AddSqliteConnection(const QString& name, const QString& path)
{
#ifdef _WIN32
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
    database.setDatabaseName(QStringLiteral("DRIVER={SQLite3};DATABASE=") + DriverPath(path));
#else
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    database.setDatabaseName(path);
#endif
    return database;
}
