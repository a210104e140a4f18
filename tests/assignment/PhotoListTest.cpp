#include "assignment/input/PhotoList.h"

#include "files/RegularFile.h"
#include "support/ErrorOf.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(PhotoListFromChosenFiles, TakesTheFolderAndOrdersTheNamesAsAsked)
{
    const QStringList chosen{"/photos/10.jpg", "/photos/2.JPG", "/photos/b.bmp", "/photos/1.bmp", "/photos/A.jpg"};
    const std::pair<PhotoOrder, QStringList> rows[] = {
        {PhotoOrder::AsListed, {"1.bmp", "2.JPG", "10.jpg", "A.jpg", "b.bmp"}},
        {PhotoOrder::AsGiven, {"10.jpg", "2.JPG", "b.bmp", "1.bmp", "A.jpg"}},
    };
    for (const auto& [order, names] : rows) {
        const PhotoList photos = PhotoListFromChosenFiles(chosen, order);
        EXPECT_EQ(photos.folder, QDir::toNativeSeparators("/photos/"));
        EXPECT_EQ(photos.names, names);
        EXPECT_EQ(PhotoListFromChosenFiles({}, order).folder, QString());
        EXPECT_TRUE(PhotoListFromChosenFiles({}, order).names.isEmpty());
    }
}

TEST(PhotoListFromChosenFiles, RefusesAChosenFileThatIsNotARegularFile)
{
    QTemporaryDir temp;
    WriteFile(temp.filePath("a.jpg"), "photo");
    QStringList odds{temp.path()};
#ifndef _WIN32 // no named pipes on Windows
    ASSERT_EQ(::mkfifo(QFile::encodeName(temp.filePath("pipe.jpg")).constData(), 0600), 0);
    odds << temp.filePath("pipe.jpg");
#endif
    for (const QString& odd : odds) {
        EXPECT_EQ(QString::fromStdString(ErrorOf<EFileAccessError>([&] {
                      PhotoListFromChosenFiles({temp.filePath("a.jpg"), odd}, PhotoOrder::AsGiven);
                  })),
                  NotRegularFileMessage(odd));
    }
    // A file that is not there shows only when the run copies it.
    EXPECT_EQ(PhotoListFromChosenFiles({temp.filePath("gone.jpg")}, PhotoOrder::AsGiven).names,
              QStringList{"gone.jpg"});
}

TEST(PhotoListOfFolder, ListsJpegAndBmpFilesOnly)
{
    QTemporaryDir temp;
    for (const char* name : {"2.jpg", "10.JPG", "1.bmp", "notes.txt", "3.png", "x.jpeg"})
        WriteFile(temp.filePath(name), "photo");
    ASSERT_TRUE(QDir(temp.path()).mkdir("folder.jpg"));

    const PhotoList photos = PhotoListOfFolder(temp.path());
    EXPECT_EQ(photos.folder, QDir::toNativeSeparators(temp.path() + "/"));
    EXPECT_EQ(photos.names, (QStringList{"1.bmp", "2.jpg", "10.JPG"}));
}

} // namespace
