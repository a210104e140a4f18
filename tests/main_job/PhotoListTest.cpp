#include "main_window/PhotoList.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PhotoListFromChosenFiles, TakesTheFolderAndOrdersTheNamesAsTheListingDoes)
{
    const PhotoList photos
        = PhotoListFromChosenFiles({"/photos/10.jpg", "/photos/2.JPG", "/photos/b.bmp", "/photos/1.bmp", "/photos/A.jpg"});
    EXPECT_EQ(photos.folder, QDir::toNativeSeparators("/photos/"));
    EXPECT_EQ(photos.names, (QStringList{"1.bmp", "2.JPG", "10.jpg", "A.jpg", "b.bmp"}));

    EXPECT_EQ(PhotoListFromChosenFiles({}).folder, QString());
    EXPECT_TRUE(PhotoListFromChosenFiles({}).names.isEmpty());
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
