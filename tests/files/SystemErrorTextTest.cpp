// The system's errors as the user reads them: the cause in Chinese, then the system's own words.
#include "files/SystemErrorText.h"

#include "files/FolderHandle.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(SystemErrorText, NamesTheCommonCausesInChineseBeforeTheSystemsText)
{
    const struct {
        std::error_code error;
        QString cause;
    } rows[] = {
        {{ENOSPC, std::generic_category()}, QStringLiteral("磁盘已满（")},
        {{EACCES, std::generic_category()}, QStringLiteral("没有权限（")},
        {{EPERM, std::generic_category()}, QStringLiteral("没有权限（")},
        {{EROFS, std::generic_category()}, QStringLiteral("磁盘是只读的（")},
    };
    for (const auto& row : rows) {
        const QString text = SystemErrorText(row.error);
        EXPECT_TRUE(text.startsWith(row.cause)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString::fromLocal8Bit(row.error.message()) + QStringLiteral("）")))
            << text.toStdString();
    }
    EXPECT_EQ(SystemErrorText(FileRule::TooLarge), QStringLiteral("文件过大"));
}

} // namespace
