#include "platform/InstallationFolderStore.h"

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
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Corvanta"), QStringLiteral("Mirelund"));
#endif
}

bool KeyExists(const QSettings& settings)
{
    if (settings.format() == QSettings::NativeFormat && settings.fileName().startsWith(u"\\HKEY"))
        return !settings.allKeys().isEmpty();
    return QFileInfo::exists(settings.fileName());
}

} // namespace

InstallationFolderStore::InstallationFolderStore(QString settingsFile)
    : settingsFile_(std::move(settingsFile))
{
}

InstallationFolderStore InstallationFolderStore::ForCurrentUser()
{
    return InstallationFolderStore(QString());
}

InstallationFolderStore InstallationFolderStore::AtFile(const QString& settingsFile)
{
    return InstallationFolderStore(settingsFile);
}

std::optional<QString> InstallationFolderStore::Read() const
{
    const auto settings = OpenSettings(settingsFile_);
    if (settings->status() != QSettings::NoError)
        throw SettingsStoreError("the settings store cannot be read");
    if (!KeyExists(*settings))
        return std::nullopt;
    const QVariant value = settings->value(kValueName);
    if (!value.isValid())
        return QString();
    if (value.typeId() != QMetaType::QString)
        throw SettingsStoreError("the remembered installation folder is not text");
    return value.toString();
}

void InstallationFolderStore::Write(const QString& folder) const
{
    const auto settings = OpenSettings(settingsFile_);
    settings->setValue(kValueName, folder);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw SettingsStoreError("the installation folder cannot be remembered");
}
