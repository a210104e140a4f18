// Replacing a file in one step through its folder's handle, with something
// planted at each step: at the destination, under the new file's name
// before it is made, and in place of the new file between writing and
// renaming. Whatever is planted is never written through, and the
// destination never ends up holding anything but the bytes written.
// The cases that need symbolic links or named pipes are skipped on Windows,
// whose users lack the privilege to make links and whose folders hold no pipes.
#include "files/ReplaceFile.h"

#include "files/FileSystemPath.h"
#include "files/SystemErrorText.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

constexpr const char* kNoLinks = "symbolic links need a privilege Windows users lack";

// The new file's names, known beforehand so that the test can plant things there.
QString PlannedName(const QString& destination, int attempt)
{
    return destination + QStringLiteral(".new%1").arg(attempt);
}

#ifndef _WIN32
void MakePipe(const QString& path)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
}
#endif

// A photo folder, opened, beside a secret file outside it.
class ReplaceFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(temp.path()).mkdir("photos"));
        WriteFile(Secret(), "kept outside the folder");
        std::error_code error;
        folder = FolderHandle::Open(FileSystemPath(Photos()), error);
        ASSERT_FALSE(error) << error.message();
    }

    QString Photos() const { return temp.path() + "/photos/"; }
    QString Secret() const { return temp.path() + "/secret.txt"; }
    QStringList Entries() const
    {
        return QDir(Photos()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    void Replace(const QByteArray& bytes, const std::optional<EntryFacts>& replaced = std::nullopt,
                 const std::function<void(const QString&)>& beforeRename = {}) const
    {
        ReplaceFile(folder, QStringLiteral("A.jpg"), bytes, replaced, PlannedName, beforeRename);
    }

    // The message of the EReplaceFileError that `replace` throws, or a note that it threw none.
    static QString RefusalOf(const std::function<void()>& replace)
    {
        try {
            replace();
        } catch (const EReplaceFileError& error) {
            return QString::fromStdString(error.what());
        }
        return QStringLiteral("(no refusal)");
    }

    QTemporaryDir temp;
    FolderHandle folder;
};

TEST_F(ReplaceFileTest, PutsTheBytesInPlaceAndLeavesNothingElse)
{
    Replace("first");
    EXPECT_EQ(ReadFile(Photos() + "A.jpg"), QByteArray("first"));
    Replace("second, longer");
    EXPECT_EQ(ReadFile(Photos() + "A.jpg"), QByteArray("second, longer"));
    Replace("");
    EXPECT_EQ(ReadFile(Photos() + "A.jpg"), QByteArray());
    EXPECT_EQ(Entries(), QStringList{"A.jpg"});

    // The names nobody can guess: the destination's, then 16 hex digits.
    const QString name = UnguessableNameBeside(QStringLiteral("A.jpg"), 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^A\\.jpg\\.[0-9a-f]{16}\\.new$")).match(name).hasMatch())
        << name.toStdString();
    EXPECT_NE(name, UnguessableNameBeside(QStringLiteral("A.jpg"), 0));
}

TEST_F(ReplaceFileTest, WhateverIsAtTheDestinationIsReplacedNeverFollowed)
{
#ifdef _WIN32
    GTEST_SKIP() << kNoLinks;
#else
    ASSERT_TRUE(QDir(temp.path()).mkdir("elsewhere"));
    const struct {
        const char* name;
        std::function<void(const QString& destination)> plant;
    } rows[] = {
        {"a link to a file outside", [&](const QString& d) { ASSERT_TRUE(QFile::link(Secret(), d)); }},
        {"a dangling link", [&](const QString& d) { ASSERT_TRUE(QFile::link(temp.path() + "/nothing", d)); }},
        {"a link to a folder outside",
         [&](const QString& d) { ASSERT_TRUE(QFile::link(temp.path() + "/elsewhere", d)); }},
        {"a named pipe", [](const QString& d) { MakePipe(d); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString destination = Photos() + "A.jpg";
        QFile::remove(destination);
        row.plant(destination);

        Replace("new photo");

        EXPECT_FALSE(QFileInfo(destination).isSymLink());
        EXPECT_EQ(ReadFile(destination), QByteArray("new photo"));
        EXPECT_EQ(ReadFile(Secret()), QByteArray("kept outside the folder"));
        EXPECT_FALSE(QFileInfo::exists(temp.path() + "/nothing"));
        EXPECT_TRUE(QDir(temp.path() + "/elsewhere").isEmpty());
        EXPECT_EQ(Entries(), QStringList{"A.jpg"});
    }
#endif
}

TEST_F(ReplaceFileTest, AFolderAtTheDestinationStaysAndNoNewFileIsLeft)
{
    ASSERT_TRUE(QDir(Photos()).mkdir("A.jpg"));
    WriteFile(Photos() + "A.jpg/inside", "inside");

    const QString refusal = RefusalOf([&] { Replace("new photo"); });

    EXPECT_TRUE(refusal.startsWith(QStringLiteral("无法替换 ") + QDir::toNativeSeparators(Photos() + "A.jpg") + "："))
        << refusal.toStdString();
    EXPECT_EQ(ReadFile(Photos() + "A.jpg/inside"), QByteArray("inside"));
    EXPECT_EQ(Entries(), QStringList{"A.jpg"});
}

// The new file is made exclusively: anything already under its name is never
// opened, written or removed; the next name is tried, three in all.
TEST_F(ReplaceFileTest, SomethingUnderTheNewFilesNameIsPassedOver)
{
    WriteFile(Photos() + "A.jpg", "old photo");
    enum class Plant { File, Folder, Link, Pipe };
    const auto plant = [&](Plant what, const QString& name) {
        const QString path = Photos() + name;
        switch (what) {
        case Plant::File:
            WriteFile(path, "planted");
            break;
        case Plant::Folder:
            ASSERT_TRUE(QDir(Photos()).mkdir(name));
            break;
        case Plant::Link:
            ASSERT_TRUE(QFile::link(Secret(), path));
            break;
        case Plant::Pipe:
#ifndef _WIN32
            MakePipe(path);
#endif
            break;
        }
    };
    const auto removePlanted = [&] {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const QString path = Photos() + PlannedName("A.jpg", attempt);
            if (!QFile::remove(path))
                QDir(path).removeRecursively();
        }
    };
#ifdef _WIN32
    const QList<Plant> kinds{Plant::File, Plant::Folder};
#else
    const QList<Plant> kinds{Plant::File, Plant::Folder, Plant::Link, Plant::Pipe};
#endif
    for (const Plant what : kinds) {
        SCOPED_TRACE(static_cast<int>(what));
        // Under the first two names: the third is taken.
        plant(what, PlannedName("A.jpg", 0));
        plant(what, PlannedName("A.jpg", 1));
        Replace("new photo");
        EXPECT_EQ(ReadFile(Photos() + "A.jpg"), QByteArray("new photo"));
        EXPECT_EQ(Entries().size(), 3);
        EXPECT_EQ(ReadFile(Secret()), QByteArray("kept outside the folder"));
        removePlanted();

        // Under all three: refused, the destination as it was.
        WriteFile(Photos() + "A.jpg", "old photo");
        for (int attempt = 0; attempt < 3; ++attempt)
            plant(what, PlannedName("A.jpg", attempt));
        const QString refusal = RefusalOf([&] { Replace("new photo"); });
        EXPECT_TRUE(refusal.startsWith(QStringLiteral("无法建立文件 ")
                                       + QDir::toNativeSeparators(Photos() + PlannedName("A.jpg", 2)) + "："))
            << refusal.toStdString();
        EXPECT_EQ(ReadFile(Photos() + "A.jpg"), QByteArray("old photo"));
        EXPECT_EQ(ReadFile(Secret()), QByteArray("kept outside the folder"));
        EXPECT_EQ(Entries().size(), 4);
        if (what == Plant::File) {
            EXPECT_EQ(ReadFile(Photos() + PlannedName("A.jpg", 2)), QByteArray("planted"));
        }
        removePlanted();
    }
}

// Between writing the new file and renaming it into place, the new file is
// swapped for something else: whatever went into place is taken away again
// and the run is told, and nothing outside is touched.
TEST_F(ReplaceFileTest, SomethingSwappedInForTheNewFileNeverStaysInPlace)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs links or a file's identity by its name, which Windows tells only through an open handle";
#else
    ASSERT_TRUE(QFile::setPermissions(Secret(), QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions secretPermissions = QFileInfo(Secret()).permissions();
    const struct {
        const char* name;
        std::function<void(const QString& path)> swapIn;
    } rows[] = {
        {"a link to a file outside", [&](const QString& path) { ASSERT_TRUE(QFile::link(Secret(), path)); }},
        {"another regular file", [](const QString& path) { WriteFile(path, "someone else's bytes"); }},
        {"a named pipe", [](const QString& path) { MakePipe(path); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFile(Photos() + "A.jpg", "old photo");
        ASSERT_TRUE(QFile::setPermissions(Photos() + "A.jpg", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        std::error_code error;
        const EntryFacts old = folder.Look("A.jpg", error);
        ASSERT_EQ(old.kind, EntryFacts::Kind::Regular);
        QString swapped;
        bool destinationLost = false;

        const QString refusal = RefusalOf([&] {
            try {
                Replace("new photo", old, [&](const QString& newName) {
                    swapped = newName;
                    // Moved aside rather than removed, so that its handle, still
                    // open, is not left on a file that has gone.
                    ASSERT_TRUE(QFile::rename(Photos() + newName, temp.path() + "/moved-aside"));
                    row.swapIn(Photos() + newName);
                });
            } catch (const EDestinationLost&) {
                // Told apart from a replacement that left the old file in
                // place: the caller may put the old bytes back.
                destinationLost = true;
                throw;
            }
        });

        EXPECT_EQ(swapped, PlannedName("A.jpg", 0));
        EXPECT_TRUE(destinationLost);
        EXPECT_TRUE(refusal.startsWith(QStringLiteral("无法替换 ") + Photos() + "A.jpg：")) << refusal.toStdString();
        EXPECT_TRUE(refusal.endsWith(QStringLiteral("在使用时被换掉了"))) << refusal.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Photos() + "A.jpg"));
        EXPECT_FALSE(QFileInfo(Photos() + "A.jpg").isSymLink());
        EXPECT_TRUE(Entries().isEmpty()) << Entries().join(' ').toStdString();
        EXPECT_EQ(ReadFile(Secret()), QByteArray("kept outside the folder"));
        EXPECT_EQ(QFileInfo(Secret()).permissions(), secretPermissions);
        // The file that was written got the old photo's permissions before it was moved.
        EXPECT_EQ(ReadFile(temp.path() + "/moved-aside"), QByteArray("new photo"));
        EXPECT_EQ(QFileInfo(temp.path() + "/moved-aside").permissions() & 0x0777,
                  QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
        QFile::remove(temp.path() + "/moved-aside");
    }
#endif
}

TEST_F(ReplaceFileTest, AReplacedPhotoKeepsItsPermissionsAndANewOneGetsTheUsualOnes)
{
#ifdef _WIN32
    GTEST_SKIP() << "new files take their folder's access rules on Windows: there are no permission bits to keep";
#else
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QString destination = Photos() + "A.jpg";
    std::error_code error;

    Replace("first");
    EXPECT_EQ(folder.Look("A.jpg", error).permissions, 0666u & ~mask);

    ASSERT_TRUE(QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const EntryFacts replaced = folder.Look("A.jpg", error);
    Replace("second", replaced);
    EXPECT_EQ(ReadFile(destination), QByteArray("second"));
    EXPECT_EQ(folder.Look("A.jpg", error).permissions, 0640u);

    // What was no regular file lends no permissions.
    EntryFacts link = replaced;
    link.kind = EntryFacts::Kind::Link;
    link.permissions = 0777;
    Replace("third", link);
    EXPECT_EQ(folder.Look("A.jpg", error).permissions, 0666u & ~mask);
    EXPECT_FALSE(error) << error.message();
#endif
}

} // namespace
