// Reading a photographer's index file: delimiters, header, column order,
// encodings, and the lines it refuses.
#include "assignment/input/PhotoIndex.h"

#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Rows = QList<PhotoIndexRow>;

TEST(SplitPhotoIndex, EachDelimiterHeaderOrNotEitherColumnOrder)
{
    const Rows codeFirst = {{1, "001", "001.jpg"}, {2, "002", "b/x.JPEG"}};
    const Rows codeFirstAfterHeader = {{2, "001", "001.jpg"}, {3, "002", "b/x.JPEG"}};
    const struct {
        const char* name;
        QByteArray bytes;
        Rows rows;
    } cases[] = {
        {"tab", "001\t001.jpg\r\n002\tb/x.JPEG\r\n", codeFirst},
        {"comma", "001,001.jpg\n002,b/x.JPEG", codeFirst},
        {"semicolon", "001;001.jpg\n002;b/x.JPEG\n", codeFirst},
        {"bar", "001|001.jpg\n002|b/x.JPEG\n", codeFirst},
        {"blanks around cells and blank lines",
         "\n 001 , 001.jpg \n\n002,b/x.JPEG\n  \n",
         {{2, "001", "001.jpg"}, {4, "002", "b/x.JPEG"}}},
        {"swapped columns", "001.jpg\t001\nb/x.JPEG\t002\n", codeFirst},
        {"Windows separators", "001,001.jpg\n002,b\\x.JPEG\n", codeFirst},
        {"Chinese header", "学籍号\t照片\n001\t001.jpg\n002\tb/x.JPEG\n", codeFirstAfterHeader},
        {"English header, swapped", "Photo,Code\n001.jpg,001\nb/x.JPEG,002\n", codeFirstAfterHeader},
        // The photo names decide the order, not a header that says otherwise.
        {"header contradicting the photos", "照片,学籍号\n001,001.jpg\n002,b/x.JPEG\n", codeFirstAfterHeader},
        {"quoted cells", "\"001\",\"a, \"\"b\"\".jpg\"\n", {{1, "001", "a, \"b\".jpg"}}},
        // A tab wins over a comma that is part of a file name.
        {"tab before comma", "001\ta,b.jpg\n", {{1, "001", "a,b.jpg"}}},
        {"UTF-8 with its mark", "\xEF\xBB\xBF学籍号,照片\n张三,张三.jpg\n", {{2, "张三", "张三.jpg"}}},
        {"GB18030", "\xD1\xA7\xBC\xAE\xBA\xC5\t\xD5\xD5\xC6\xAC\n\xD5\xC5\xC8\xFD\t1.bmp\n", {{2, "张三", "1.bmp"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitPhotoIndex(c.bytes), c.rows) << c.name;
}

TEST(SplitPhotoIndex, RefusesWhatItCannotReadNamingTheLine)
{
    const struct {
        QByteArray bytes;
        std::string message;
    } cases[] = {
        {"", "对照表是空的"},
        {"\n  \n", "对照表是空的"},
        {"001 001.jpg\n", "对照表第 1 行没有分隔符：每行应是学籍号和照片文件名，用制表符、逗号、分号或 | 隔开"},
        {"001,001.jpg\n002,x,002.jpg\n", "对照表第 2 行有 3 列，应是两列：学籍号和照片文件名"},
        {"001,001.jpg\n002\n", "对照表第 2 行有 1 列，应是两列：学籍号和照片文件名"},
        {"xh,zp\n001,001.jpg\n", "对照表第 1 行既不是认得的表头（如“学籍号”“照片”），也不含照片文件名（照片文件名应以 "
                                 ".jpg、.jpeg 或 .bmp 结尾）"},
        {"学籍号,照片\n", "对照表只有表头，没有照片"},
        {"001,001.jpg\n002.jpg,002\n",
         "对照表第 2 行看不出哪一列是照片文件名（照片文件名应以 .jpg、.jpeg 或 .bmp 结尾，且每行的照片在同一列）"},
        {"001,001.png\n", "对照表第 1 行既不是认得的表头（如“学籍号”“照片”），也不含照片文件名（照片文件名应以 "
                          ".jpg、.jpeg 或 .bmp 结尾）"},
        {"a.jpg,b.jpg\n",
         "对照表第 1 行看不出哪一列是照片文件名（照片文件名应以 .jpg、.jpeg 或 .bmp 结尾，且每行的照片在同一列）"},
        {"001,001.jpg\n,002.jpg\n", "对照表第 2 行没有学籍号"},
        {"001,\"001.jpg\n", "对照表第 1 行的引号没有配对"},
        // Decoded as strictly as a roster, and said of the index.
        {"001,\xFF\xFE\xFD.jpg\n", "对照表第 1 行既不是 UTF-8 也不是 GB18030 编码的文字，无法读取"},
        {"001,a\xE2\x80\x8B.jpg\n", "对照表第 1 行含有看不见的格式字符 U+200B"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf<EPhotoIndexError>([&] { SplitPhotoIndex(c.bytes); }), c.message) << c.bytes.toStdString();
}

TEST(ReadPhotoIndex, AFileThatCannotBeReadIsAnIndexError)
{
    const QTemporaryDir folder;
    EXPECT_NE(ErrorOf<EPhotoIndexError>([&] { ReadPhotoIndex(folder.filePath("missing.txt")); }), "no error");
    EXPECT_NE(ErrorOf<EPhotoIndexError>([&] { ReadPhotoIndex(folder.path()); }), "no error");
    WriteFile(folder.filePath("index.txt"), "001\t001.jpg\n");
    EXPECT_EQ(ReadPhotoIndex(folder.filePath("index.txt")), (Rows{{1, "001", "001.jpg"}}));
}

} // namespace
