// Folders opened once and used without following links: what each call does
// with a link, a folder, a named pipe or a name with path parts where it
// expects one plain entry, and that whatever it refuses is left as it was.
// The cases that need symbolic links or named pipes are skipped on Windows,
// whose users lack the privilege to make links and whose folders hold no pipes.
#include "files/FolderHandle.h"

#include "files/FileSystemPath.h"
#include "files/SystemErrorText.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

constexpr const char* kNoLinks = "symbolic links need a privilege Windows users lack";
constexpr const char* kNoPipes = "Windows keeps named pipes out of its folders";

#ifndef _WIN32
void MakePipe(const QString& path)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
}
#endif

// A folder of a test's own with a folder "inner" in it, opened; the folder
// around "inner" stands for everything outside.
class FolderHandleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(Outer()).mkdir("inner"));
        WriteFile(Outer() + "outside.txt", "outside");
        std::error_code error;
        folder = FolderHandle::Open(FileSystemPath(Inner()), error);
        ASSERT_FALSE(error) << error.message();
    }

    QString Outer() const { return temp.path() + '/'; }
    QString Inner() const { return Outer() + "inner/"; }

    QTemporaryDir temp;
    FolderHandle folder;
};

TEST_F(FolderHandleTest, EveryCallRefusesANameThatIsNoSingleEntry)
{
    QStringList names{"", ".", "..", "../outside.txt", "sub/x", "/tmp/x"};
#ifdef _WIN32
    names << "sub\\x"
          << "..\\outside.txt"
          << "C:x"
          << "x:stream";
#endif
    ASSERT_TRUE(QDir(Inner()).mkdir("sub"));
    const QStringList outerBefore = QDir(Outer()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const QStringList innerBefore = QDir(Inner()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const struct {
        const char* call;
        std::function<void(const std::string& name, std::error_code& error)> use;
    } calls[] = {
        {"OpenFolder", [&](const std::string& name, std::error_code& error) { folder.OpenFolder(name, true, error); }},
        {"OpenForReading",
         [&](const std::string& name, std::error_code& error) { folder.OpenForReading(name, error); }},
        {"CreateNew", [&](const std::string& name, std::error_code& error) { folder.CreateNew(name, error); }},
        {"OpenForAppending",
         [&](const std::string& name, std::error_code& error) { folder.OpenForAppending(name, error); }},
        {"OpenForUpdating",
         [&](const std::string& name, std::error_code& error) { folder.OpenForUpdating(name, error); }},
        {"Look", [&](const std::string& name, std::error_code& error) { folder.Look(name, error); }},
        {"Remove", [&](const std::string& name, std::error_code& error) { folder.Remove(name, error); }},
        {"Rename from", [&](const std::string& name, std::error_code& error) { folder.Rename(name, "y", error); }},
        {"Rename to",
         [&](const std::string& name, std::error_code& error) {
             WriteFile(Inner() + "y", "y");
             folder.Rename("y", name, error);
         }},
    };
    for (const auto& call : calls) {
        for (const QString& name : names) {
            SCOPED_TRACE(std::string(call.call) + " \"" + name.toStdString() + '"');
            std::error_code error;
            call.use(NativeName(name), error);
            EXPECT_EQ(error, FileRule::NotAName) << error.message();
        }
    }
    QFile::remove(Inner() + "y");
    EXPECT_EQ(QDir(Outer()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), outerBefore);
    EXPECT_EQ(QDir(Inner()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), innerBefore);
    EXPECT_TRUE(QDir(Inner() + "sub").isEmpty());
    EXPECT_EQ(ReadFile(Outer() + "outside.txt"), QByteArray("outside"));
    EXPECT_EQ(SystemErrorText(FileRule::NotAName),
              QStringLiteral("不是单一的文件名（含有文件夹分隔符，或是“.”、“..”）"));
}

TEST_F(FolderHandleTest, OpenWithinGoesFolderByFolderAndNeverLeavesTheBase)
{
    ASSERT_TRUE(QDir(Inner()).mkpath("a/b"));
    WriteFile(Inner() + "a/file", "a file");
    enum class Outcome { Opened, LeadsOutside, NotFolder, Missing };
    const struct {
        const char* relative;
        Outcome outcome;
        const char* opened; // where a file made through the handle lands, under inner/
    } rows[] = {
        {"a/b", Outcome::Opened, "a/b"},
        {"a/./b/", Outcome::Opened, "a/b"},
        {"a/b/../b", Outcome::Opened, "a/b"},
        {"", Outcome::Opened, ""},
        {"..", Outcome::LeadsOutside, nullptr},
        {"../inner-not", Outcome::LeadsOutside, nullptr},
        {"a/../../x", Outcome::LeadsOutside, nullptr},
        {"a/file", Outcome::NotFolder, nullptr},
        {"a/missing", Outcome::Missing, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.relative);
        std::error_code error;
        const FolderHandle opened = FolderHandle::OpenWithin(FileSystemPath(Inner()), row.relative, false, error);
        EXPECT_EQ(opened.IsOpen(), row.outcome == Outcome::Opened);
        switch (row.outcome) {
        case Outcome::LeadsOutside:
            EXPECT_EQ(error, FileRule::LeadsOutside) << error.message();
            continue;
        case Outcome::NotFolder:
            EXPECT_EQ(error, FileRule::NotFolder) << error.message();
            continue;
        case Outcome::Missing:
            EXPECT_EQ(CauseOf(error), SystemCause::Missing) << error.message();
            continue;
        case Outcome::Opened:
            break;
        }
        ASSERT_FALSE(error) << error.message();
        FileHandle file = opened.CreateNew("made", error);
        ASSERT_FALSE(error) << error.message();
        file = FileHandle();
        const QString made = QDir::cleanPath(Inner() + row.opened + "/made");
        EXPECT_TRUE(QFileInfo(made).isFile()) << made.toStdString();
        QFile::remove(made);
    }
    EXPECT_EQ(QDir(Outer()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"inner", "outside.txt"}));

    // With `create`, the missing folders are made, inside the base only.
    std::error_code error;
    const FolderHandle made = FolderHandle::OpenWithin(FileSystemPath(Inner()), "c/d/e", true, error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_TRUE(made.IsOpen());
    EXPECT_TRUE(QFileInfo(Inner() + "c/d/e").isDir());
    FolderHandle::OpenWithin(FileSystemPath(Inner()), "../made-outside", true, error);
    EXPECT_EQ(error, FileRule::LeadsOutside);
    EXPECT_FALSE(QFileInfo::exists(Outer() + "made-outside"));
}

TEST_F(FolderHandleTest, OpenWithinTakesLinksInsideTheBaseAndRefusesLinksLeadingOut)
{
#ifdef _WIN32
    GTEST_SKIP() << kNoLinks;
#else
    ASSERT_TRUE(QDir(Inner()).mkpath("real/sub"));
    ASSERT_TRUE(QDir(Outer()).mkdir("elsewhere"));
    ASSERT_TRUE(QFile::link(Inner() + "real", Inner() + "inside-link"));
    ASSERT_TRUE(QFile::link(Outer() + "elsewhere", Inner() + "outside-link"));
    ASSERT_TRUE(QFile::link(Outer(), Inner() + "real/up-link"));

    std::error_code error;
    const FolderHandle inside = FolderHandle::OpenWithin(FileSystemPath(Inner()), "inside-link/sub", false, error);
    ASSERT_FALSE(error) << error.message();
    inside.CreateNew("made", error);
    EXPECT_TRUE(QFileInfo(Inner() + "real/sub/made").isFile());

    for (const char* relative : {"outside-link", "outside-link/new", "real/up-link/elsewhere", "inside-link/up-link"}) {
        SCOPED_TRACE(relative);
        error.clear();
        const FolderHandle refused = FolderHandle::OpenWithin(FileSystemPath(Inner()), relative, true, error);
        EXPECT_EQ(error, FileRule::LeadsOutside) << error.message();
        EXPECT_FALSE(refused.IsOpen());
    }
    EXPECT_TRUE(QDir(Outer() + "elsewhere").isEmpty());
#endif
}

TEST_F(FolderHandleTest, AFolderOpenedOnceStaysWhereItWasWhenItsPathIsSwappedForALink)
{
#ifdef _WIN32
    GTEST_SKIP() << kNoLinks;
#else
    ASSERT_TRUE(QDir(Outer()).mkdir("elsewhere"));
    ASSERT_TRUE(QDir(Outer()).rename("inner", "moved"));
    ASSERT_TRUE(QFile::link(Outer() + "elsewhere", Outer() + "inner"));

    std::error_code error;
    FileHandle file = folder.CreateNew("photo.jpg", error);
    ASSERT_FALSE(error) << error.message();
    file.WriteAll("new", 3, error);

    EXPECT_EQ(ReadFile(Outer() + "moved/photo.jpg"), QByteArray("new"));
    EXPECT_TRUE(QDir(Outer() + "elsewhere").isEmpty());
#endif
}

// What each way of opening a file does with each kind of entry under its name.
TEST_F(FolderHandleTest, FilesAreOpenedOnlyWhenTheyAreRegularFiles)
{
    enum class Entry { Missing, Regular, Folder, LinkToFile, DanglingLink, LinkToFolder, Pipe };
    const struct {
        const char* name;
        Entry entry;
        bool needsLinks;
        bool needsPipes;
    } entries[] = {
        {"missing", Entry::Missing, false, false},
        {"regular", Entry::Regular, false, false},
        {"folder", Entry::Folder, false, false},
        {"link to a file", Entry::LinkToFile, true, false},
        {"dangling link", Entry::DanglingLink, true, false},
        {"link to a folder", Entry::LinkToFolder, true, false},
        {"named pipe", Entry::Pipe, false, true},
    };
    const std::error_code exists = std::make_error_code(std::errc::file_exists);
    const std::error_code missing = std::make_error_code(std::errc::no_such_file_or_directory);
    const std::error_code opened{}; // opened, no error
    const std::error_code notRegular = FileRule::NotRegular;
    const std::error_code notFolder = FileRule::NotFolder;
    // Per call, the outcome for each entry in the order above.
    const struct {
        const char* call;
        std::function<bool(const std::string& name, std::error_code& error)> open; // whether a handle came back
        std::error_code outcomes[7];
    } calls[] = {
        {"OpenForReading",
         [&](const std::string& name, std::error_code& error) { return folder.OpenForReading(name, error).IsOpen(); },
         {missing, opened, notRegular, notRegular, notRegular, notRegular, notRegular}},
        {"CreateNew",
         [&](const std::string& name, std::error_code& error) { return folder.CreateNew(name, error).IsOpen(); },
         {opened, exists, exists, exists, exists, exists, exists}},
        {"OpenForAppending",
         [&](const std::string& name, std::error_code& error) { return folder.OpenForAppending(name, error).IsOpen(); },
         {opened, opened, notRegular, notRegular, notRegular, notRegular, notRegular}},
        {"OpenForUpdating",
         [&](const std::string& name, std::error_code& error) { return folder.OpenForUpdating(name, error).IsOpen(); },
         {opened, opened, notRegular, notRegular, notRegular, notRegular, notRegular}},
        {"OpenFolder",
         [&](const std::string& name, std::error_code& error) {
             return folder.OpenFolder(name, false, error).IsOpen();
         },
         {missing, notFolder, opened, notFolder, notFolder, notFolder, notFolder}},
    };
    const QString target = Outer() + "outside.txt";
    for (const auto& call : calls) {
        for (std::size_t e = 0; e < std::size(entries); ++e) {
            const auto& entry = entries[e];
#ifdef _WIN32
            if (entry.needsLinks || entry.needsPipes)
                continue; // kNoLinks, kNoPipes
#endif
            SCOPED_TRACE(std::string(call.call) + " on " + entry.name);
            const QString path = Inner() + "entry";
            QFile::remove(path);
            QDir(path).removeRecursively();
            switch (entry.entry) {
            case Entry::Missing:
                break;
            case Entry::Regular:
                WriteFile(path, "regular");
                break;
            case Entry::Folder:
                ASSERT_TRUE(QDir(Inner()).mkdir("entry"));
                break;
            case Entry::LinkToFile:
                ASSERT_TRUE(QFile::link(target, path));
                break;
            case Entry::DanglingLink:
                ASSERT_TRUE(QFile::link(Outer() + "nothing", path));
                break;
            case Entry::LinkToFolder:
                ASSERT_TRUE(QFile::link(Outer(), path));
                break;
            case Entry::Pipe:
#ifndef _WIN32
                MakePipe(path);
#endif
                break;
            }
            std::error_code error;
            const bool handed = call.open("entry", error);
            const std::error_code& expected = call.outcomes[e];
#ifdef _WIN32
            // Windows names "exists" and "missing" in its own numbers; their causes are the same.
            if (expected == exists || expected == missing) {
                EXPECT_TRUE(error) << error.message();
                if (expected == missing) {
                    EXPECT_EQ(CauseOf(error), SystemCause::Missing) << error.message();
                }
                EXPECT_FALSE(handed);
                continue;
            }
#endif
            EXPECT_EQ(error, expected) << error.message();
            EXPECT_EQ(handed, !expected);
        }
    }
    EXPECT_EQ(ReadFile(target), QByteArray("outside"));
    EXPECT_FALSE(QFileInfo::exists(Outer() + "nothing"));
    EXPECT_EQ(QDir(Outer()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), (QStringList{"inner", "outside.txt"}));
}

TEST_F(FolderHandleTest, ANamedPipeIsNeverWaitedFor)
{
#ifdef _WIN32
    GTEST_SKIP() << kNoPipes;
#else
    // Opening a pipe for reading without O_NONBLOCK waits for a writer: the
    // test would hang here rather than fail.
    MakePipe(Inner() + "pipe");
    std::error_code error;
    EXPECT_FALSE(folder.OpenForReading("pipe", error).IsOpen());
    EXPECT_EQ(error, FileRule::NotRegular);
    EXPECT_EQ(folder.Look("pipe", error).kind, EntryFacts::Kind::Other);
#endif
}

TEST_F(FolderHandleTest, LookTellsWhatAnEntryIsWithoutFollowingALink)
{
    WriteFile(Inner() + "file", "12345");
    ASSERT_TRUE(QDir(Inner()).mkdir("folder"));
    std::error_code error;
    EXPECT_EQ(folder.Look("missing", error).kind, EntryFacts::Kind::Missing);
    EXPECT_FALSE(error) << error.message();
    const EntryFacts file = folder.Look("file", error);
    EXPECT_EQ(file.kind, EntryFacts::Kind::Regular);
    EXPECT_EQ(file.size, 5u);
    EXPECT_EQ(folder.Look("folder", error).kind, EntryFacts::Kind::Folder);
    EXPECT_FALSE(error) << error.message();
#ifndef _WIN32
    ASSERT_TRUE(QFile::link(Inner() + "file", Inner() + "link"));
    ASSERT_TRUE(QFile::link(Outer() + "nothing", Inner() + "dangling"));
    EXPECT_EQ(folder.Look("link", error).kind, EntryFacts::Kind::Link);
    EXPECT_EQ(folder.Look("dangling", error).kind, EntryFacts::Kind::Link);
    EXPECT_FALSE(error) << error.message();
    // The same file by its handle and by its name.
    const EntryFacts handle = folder.OpenForReading("file", error).Facts(error);
    EXPECT_EQ(handle.device, file.device);
    EXPECT_EQ(handle.file, file.file);
    EXPECT_NE(folder.Look("folder", error).file, file.file);
#endif
}

TEST_F(FolderHandleTest, RenameAndRemoveTouchALinkItselfNeverItsTarget)
{
#ifdef _WIN32
    GTEST_SKIP() << kNoLinks;
#else
    const QString target = Outer() + "outside.txt";
    ASSERT_TRUE(QFile::link(target, Inner() + "link"));
    WriteFile(Inner() + "new", "new");
    std::error_code error;

    folder.Rename("new", "link", error);

    EXPECT_FALSE(error) << error.message();
    EXPECT_FALSE(QFileInfo(Inner() + "link").isSymLink());
    EXPECT_EQ(ReadFile(Inner() + "link"), QByteArray("new"));
    EXPECT_EQ(ReadFile(target), QByteArray("outside"));

    ASSERT_TRUE(QFile::link(target, Inner() + "second-link"));
    folder.Remove("second-link", error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_FALSE(QFileInfo(Inner() + "second-link").isSymLink());
    EXPECT_EQ(ReadFile(target), QByteArray("outside"));
#endif
}

TEST_F(FolderHandleTest, ReadsWritesAndCutsThroughTheHandle)
{
    std::error_code error;
    {
        FileHandle file = folder.CreateNew("data", error);
        const std::string bytes = "0123456789";
        file.WriteAll(bytes.data(), bytes.size(), error);
        file.Sync(error);
        EXPECT_EQ(file.Facts(error).size, 10u);
        file.Resize(4, error);
        file.WriteAll("X", 1, error);
        ASSERT_FALSE(error) << error.message();
    }
    EXPECT_EQ(ReadFile(Inner() + "data"), QByteArray("0123X"));

    FileHandle file = folder.OpenForReading("data", error);
    EXPECT_EQ(file.ReadAt(1, 3, error), "123");
    EXPECT_EQ(file.ReadAt(3, 100, error), "3X");
    EXPECT_EQ(file.ReadAt(9, 2, error), "");
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(folder.OpenForReading("data", error).ReadAll(5, error), "0123X");
    EXPECT_FALSE(error) << error.message();

    // Larger than allowed, by one byte: nothing is returned.
    FileHandle again = folder.OpenForReading("data", error);
    EXPECT_EQ(again.ReadAll(4, error), "");
    EXPECT_EQ(error, FileRule::TooLarge);

    // A file larger than one read: every chunk in order.
    std::string large(200000, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>('a' + i % 26);
    error.clear();
    folder.OpenForAppending("large", error).WriteAll(large.data(), large.size(), error);
    EXPECT_EQ(folder.OpenForReading("large", error).ReadAll(large.size(), error), large);
    EXPECT_EQ(folder.OpenForReading("large", error).ReadAt(70000, 65537, error), large.substr(70000, 65537));
    EXPECT_FALSE(error) << error.message();
}

TEST_F(FolderHandleTest, AppendingKeepsWhatIsThere)
{
    WriteFile(Inner() + "log", "first\n");
    std::error_code error;
    folder.OpenForAppending("log", error).WriteAll("second\n", 7, error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(ReadFile(Inner() + "log"), QByteArray("first\nsecond\n"));
}

TEST_F(FolderHandleTest, OneLockAtATimeUntilItsHandleCloses)
{
    std::error_code error;
    FileHandle first = folder.OpenForUpdating("lock", error);
    FileHandle second = folder.OpenForUpdating("lock", error);
    ASSERT_FALSE(error) << error.message();

    EXPECT_TRUE(first.TryLock(error));
    EXPECT_FALSE(second.TryLock(error));
    EXPECT_FALSE(error) << error.message();
    first = FileHandle();
    EXPECT_TRUE(second.TryLock(error));
    EXPECT_FALSE(error) << error.message();
}

TEST_F(FolderHandleTest, PermissionsAreSetThroughTheHandle)
{
#ifdef _WIN32
    GTEST_SKIP() << "new files take their folder's access rules on Windows: there are no permission bits to set";
#else
    const mode_t mask = ::umask(0);
    ::umask(mask);
    std::error_code error;
    FileHandle file = folder.CreateNew("photo.jpg", error);
    // New files get the usual permissions, those of the umask.
    EXPECT_EQ(file.Facts(error).permissions, 0666u & ~mask);
    file.SetPermissions(0640, error);
    EXPECT_FALSE(error) << error.message();
    EXPECT_EQ(QFileInfo(Inner() + "photo.jpg").permissions() & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(file.Facts(error).permissions, 0640u);
#endif
}

TEST(CauseOf, SortsTheSystemsErrorsIntoWhatTheUserIsTold)
{
    const struct {
        std::error_code error;
        SystemCause cause;
    } rows[] = {
        {{ENOSPC, std::generic_category()}, SystemCause::DiskFull},
        {{EACCES, std::generic_category()}, SystemCause::PermissionDenied},
        {{EPERM, std::generic_category()}, SystemCause::PermissionDenied},
        {{EROFS, std::generic_category()}, SystemCause::ReadOnly},
        {{ENOENT, std::generic_category()}, SystemCause::Missing},
        {{ELOOP, std::generic_category()}, SystemCause::IsLink},
        {{EIO, std::generic_category()}, SystemCause::Other},
        {FileRule::NotRegular, SystemCause::IsLink},
        {FileRule::NotFolder, SystemCause::IsLink},
        {FileRule::TooLarge, SystemCause::Other},
        {FileRule::NotAName, SystemCause::Other},
#ifdef _WIN32
        {{112 /* ERROR_DISK_FULL */, std::system_category()}, SystemCause::DiskFull},
        {{5 /* ERROR_ACCESS_DENIED */, std::system_category()}, SystemCause::PermissionDenied},
        {{19 /* ERROR_WRITE_PROTECT */, std::system_category()}, SystemCause::ReadOnly},
        {{2 /* ERROR_FILE_NOT_FOUND */, std::system_category()}, SystemCause::Missing},
        {{3 /* ERROR_PATH_NOT_FOUND */, std::system_category()}, SystemCause::Missing},
        {{80 /* ERROR_FILE_EXISTS */, std::system_category()}, SystemCause::Other},
#else
        {{ENOSPC, std::system_category()}, SystemCause::DiskFull},
        {{ENOENT, std::system_category()}, SystemCause::Missing},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error.message());
        EXPECT_EQ(CauseOf(row.error), row.cause);
    }
}

} // namespace
