#include "platform/settings/InstallationFolderStore.h"

#ifdef Q_OS_WIN
#include "platform/settings/WindowsRegistry.h"
#endif

#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

const QString kValueName = QStringLiteral("Path");

std::unique_ptr<QSettings> OpenSettings(const QString& settingsFile)
{
    if (!settingsFile.isEmpty())
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Corvanta\\Mirelund"),
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvanta"),
                                       QStringLiteral("Mirelund"));
#endif
}

// Asked before the settings are read: on Windows, Qt's settings object makes
// the registry key it reads from.
KeyPresence KeyIn(const QString& settingsFile)
{
#ifdef Q_OS_WIN
    if (settingsFile.isEmpty())
        return CurrentUserKeyExists(L"Corvanta\\Mirelund") ? KeyPresence::Present : KeyPresence::Absent;
#endif
    // A settings file is the key.
    return QFileInfo::exists(OpenSettings(settingsFile)->fileName()) ? KeyPresence::Present : KeyPresence::Absent;
}

} // namespace

InstallationFolderStore::InstallationFolderStore(QString settingsFile) : settingsFile_(std::move(settingsFile)) { }

InstallationFolderStore InstallationFolderStore::ForCurrentUser()
{
    return InstallationFolderStore(QString());
}

InstallationFolderStore InstallationFolderStore::AtFile(const QString& settingsFile)
{
    return InstallationFolderStore(settingsFile);
}

std::optional<QString> RememberedFolder(KeyPresence key, const QVariant& path)
{
    if (key == KeyPresence::Absent)
        return std::nullopt;
    if (!path.isValid())
        return QString();
    if (path.typeId() != QMetaType::QString)
        throw SettingsStoreError("the remembered installation folder is not text");
    return path.toString();
}

std::optional<QString> InstallationFolderStore::Read() const
{
    const KeyPresence key = KeyIn(settingsFile_);
    const auto settings = OpenSettings(settingsFile_);
    if (settings->status() != QSettings::NoError)
        throw SettingsStoreError("the settings store cannot be read");
    return RememberedFolder(key, settings->value(kValueName));
}

QString InstallationFolderStore::TextValue(const QString& name) const
{
    const auto settings = OpenSettings(settingsFile_);
    const QVariant value = settings->value(name);
    return value.typeId() == QMetaType::QString ? value.toString().trimmed() : QString();
}

QString InstallationFolderStore::NameColumn() const
{
    return TextValue(QStringLiteral("NameColumn"));
}

QString InstallationFolderStore::IdColumn() const
{
    return TextValue(QStringLiteral("IdColumn"));
}

QString InstallationFolderStore::GradeColumn() const
{
    return TextValue(QStringLiteral("GradeColumn"));
}

QString InstallationFolderStore::ClassColumn() const
{
    return TextValue(QStringLiteral("ClassColumn"));
}

QString InstallationFolderStore::SchoolCode() const
{
    return TextValue(QStringLiteral("SchoolCode"));
}

void InstallationFolderStore::Write(const QString& folder) const
{
    const auto settings = OpenSettings(settingsFile_);
    settings->setValue(kValueName, folder);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw SettingsStoreError("the installation folder cannot be remembered");
}
