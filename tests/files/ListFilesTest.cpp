#include "files/ListFiles.h"

#include "files/FolderString.h"
#include "files/NaturalOrder.h"
#include "files/PlainFileName.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QStringList List(const QString& folderString, const QString& mask = QStringLiteral("*.jpg"))
{
    QStringList names;
    ListFiles(folderString, mask, names);
    return names;
}

} // namespace

TEST(FolderString, AppendsOneSeparatorExceptToARoot)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(FolderString(QString()), QString());
    EXPECT_EQ(FolderString(QStringLiteral("/")), sep);
    EXPECT_EQ(FolderString(QStringLiteral("/srv/site")), QDir::toNativeSeparators("/srv/site/"));
    EXPECT_EQ(FolderString(QStringLiteral("/srv/site/")), QDir::toNativeSeparators("/srv/site/"));
    EXPECT_EQ(FolderString(QStringLiteral("/srv/学生 照片")), QDir::toNativeSeparators("/srv/学生 照片/"));
}

TEST(IsPlainFileName, RefusesWhatCouldLeaveItsFolderOrFailOnWindows)
{
    for (const QString& name : {QString(), QStringLiteral("2023001"), QStringLiteral("G310101200901010011"),
                                QStringLiteral("O'Neil"), QStringLiteral("张三"), QStringLiteral("a.b"),
                                QStringLiteral("..."), QStringLiteral(" 001 "), QStringLiteral("a-b_c")}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name.toStdString();
    }
    for (const QString& name :
         {QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("a\\b"), QStringLiteral("/"),
          QStringLiteral("a:b"), QStringLiteral("a*"), QStringLiteral("a?"), QStringLiteral("\"a\""),
          QStringLiteral("<a>"), QStringLiteral("a|b"), QStringLiteral("a\tb"), QStringLiteral("a\x7f"),
          QString(QChar(0x85)), QString(QChar(0))}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name.toStdString();
    }
}

TEST(NaturalOrder, IgnoresCaseAndComparesDigitRunsByValue)
{
    QStringList names{"10.jpg", "b.jpg",   "2.jpg",      "A.jpg",       "002.jpg",
                      "1.jpg",  "001.jpg", "photo9.jpg", "Photo10.jpg", "a.jpg"};
    SortNaturally(names);
    // Equal values: the shorter digit run first.
    const QStringList expected{"1.jpg", "001.jpg", "2.jpg", "002.jpg",    "10.jpg",
                               "A.jpg", "a.jpg",   "b.jpg", "photo9.jpg", "Photo10.jpg"};
    EXPECT_EQ(names, expected);
}

TEST(NaturalOrder, IsAStrictWeakOrder)
{
    const QStringList names{"x", "X", "x1", "x01", "x001", "x1y", "x1Y", "x10", "x9z", "", "99999999999999999999"};
    for (const QString& a : names) {
        EXPECT_FALSE(NaturalLess(a, a)) << a.toStdString();
        for (const QString& b : names) {
            if (a != b) {
                EXPECT_NE(NaturalLess(a, b), NaturalLess(b, a)) << a.toStdString() << " / " << b.toStdString();
            }
        }
    }
}

TEST(ListFiles, AppendsWhatMatchesTheMaskWithoutRegardToCaseInFileManagerOrder)
{
    QTemporaryDir temp;
    const QDir folder(temp.path());
    EXPECT_TRUE(List(FolderString(temp.path())).isEmpty());
    EXPECT_TRUE(List(FolderString(folder.filePath("missing"))).isEmpty());
    // Hidden files and links to files are listed too; folders, named pipes,
    // devices and dangling links are not, whatever their names.
    for (const char* name : {"10.jpg", "9.jpg", "001.jpg", "Zeta.JPG", "alpha.jpg", "c.png", "d.jpeg", ".hidden.jpg"})
        WriteFile(folder.filePath(name), {});
    ASSERT_TRUE(folder.mkdir("old.jpg"));
    ASSERT_TRUE(folder.mkdir("other"));
#ifdef _WIN32 // no named pipes, devices or symbolic links to make there
    const QStringList listed{".hidden.jpg", "001.jpg", "9.jpg", "10.jpg", "alpha.jpg", "Zeta.JPG"};
#else
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.jpg")).constData(), 0600), 0);
    for (const auto& [link, target] : {std::pair{"link.jpg", "alpha.jpg"},
                                       {"zero.jpg", "/dev/zero"},
                                       {"dangling.jpg", "absent.jpg"},
                                       {"folder-link.jpg", "old.jpg"}})
        ASSERT_TRUE(QFile::link(target, folder.filePath(link)));
    const QStringList listed{".hidden.jpg", "001.jpg", "9.jpg", "10.jpg", "alpha.jpg", "link.jpg", "Zeta.JPG"};
#endif

    QStringList names{"kept"};
    ListFiles(FolderString(temp.path()), "*.jpg", names);
    EXPECT_EQ(names, QStringList{"kept"} + listed);

    // An empty folder string means the current directory.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(temp.path()));
    names = List(QString());
    QDir::setCurrent(before);
    EXPECT_EQ(names, listed);
}
