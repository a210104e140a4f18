#pragma once

#include <QString>
#include <QVariant>

#include <optional>
#include <stdexcept>

// A failure of the settings store: a value of the wrong type, or a write that
// did not reach the store.
class SettingsStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class KeyPresence { Absent, Present };

// What Read() gives for a key that is there or not and the value "Path" it
// holds (invalid when there is none): nothing without the key, an empty text
// for a key without "Path", else the text. Throws SettingsStoreError when
// "Path" is not text.
std::optional<QString> RememberedFolder(KeyPresence key, const QVariant& path);

// Where the tool remembers the web application's installation folder between
// starts: the value "Path" of the key Corvanta\Mirelund. On Windows that key
// lies in the registry directly under HKEY_CURRENT_USER (not under Software,
// where earlier installations already left it); elsewhere it is a per-user
// settings file with the same key and value names.
class InstallationFolderStore {
public:
    static InstallationFolderStore ForCurrentUser();
    // A store in the given settings file, for tests and trials that must not
    // touch the user's own.
    static InstallationFolderStore AtFile(const QString& settingsFile);

    // The remembered folder text exactly as stored; an empty text when the key
    // exists without a "Path" value; nothing when the key does not exist.
    // Throws SettingsStoreError when "Path" holds something other than text.
    std::optional<QString> Read() const;

    // The value "NameColumn" beside "Path": the column of the students'
    // names, for a site whose table calls it by an unusual name. Empty when
    // there is none, or when the store cannot be read.
    QString NameColumn() const;
    // Likewise for the student-register export: "IdColumn" (the ID card
    // number), "GradeColumn", "ClassColumn", and "SchoolCode" (the school's
    // identification code, 学校标识码, for students without an ID number).
    QString IdColumn() const;
    QString GradeColumn() const;
    QString ClassColumn() const;
    QString SchoolCode() const;

    // Creates the key when needed and stores the text as "Path".
    // Throws SettingsStoreError when the store cannot be written.
    void Write(const QString& folder) const;

private:
    explicit InstallationFolderStore(QString settingsFile);
    // A text value beside "Path", trimmed; empty when it is absent or no text.
    QString TextValue(const QString& name) const;

    QString settingsFile_; // empty: the current user's native store
};
