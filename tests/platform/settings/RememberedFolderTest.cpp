// What the remembered installation folder reads as, whatever the store
// (registry key or settings file) holds: the same rules on every platform.
#include "platform/settings/InstallationFolderStore.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

TEST(RememberedFolder, FollowsTheKeyAndItsPathValue)
{
    const struct {
        const char* name;
        KeyPresence key;
        QVariant path;
        std::optional<QString> expected;
    } rows[] = {
        {"no key", KeyPresence::Absent, QStringLiteral("D:\\Site\\"), std::nullopt},
        {"a key without values", KeyPresence::Present, QVariant(), QString()},
        {"a folder", KeyPresence::Present, QStringLiteral("D:\\Site\\"), QStringLiteral("D:\\Site\\")},
        {"an empty text", KeyPresence::Present, QString(), QString()},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RememberedFolder(row.key, row.path), row.expected) << row.name;
    EXPECT_THROW(RememberedFolder(KeyPresence::Present, 42), SettingsStoreError);
}

#ifdef _WIN32
#include <windows.h>

namespace {

const wchar_t kKey[] = L"Corvanta\\Mirelund";

// The key's "Path" as the registry itself holds it, read without Qt.
std::optional<QString> RegistryPath()
{
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, L"Path", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return QString::fromWCharArray(value);
}

// The user's own remembered folder, put back at the end (under Wine the
// user is the test prefix's).
class CurrentUserKey : public ::testing::Test {
protected:
    void SetUp() override { before = RegistryPath(); }
    void TearDown() override
    {
        if (before)
            store.Write(*before);
        else
            RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    }

    const InstallationFolderStore store = InstallationFolderStore::ForCurrentUser();
    std::optional<QString> before;
};

TEST_F(CurrentUserKey, HoldsTheFolderUnderHkeyCurrentUser)
{
    const QString folder = QStringLiteral("D:\\学校网站\\web site\\");
    store.Write(folder);
    EXPECT_EQ(RegistryPath(), folder);
    EXPECT_EQ(store.Read(), folder);

    // A key without values reads as an empty folder; no key as none.
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    EXPECT_EQ(store.Read(), std::nullopt);
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);
    EXPECT_EQ(store.Read(), QString());
}

} // namespace
#endif
