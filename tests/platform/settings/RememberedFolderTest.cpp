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
