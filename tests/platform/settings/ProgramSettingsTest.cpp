// The settings a program takes from its environment as it starts: each
// variable replaces its own default, and only when it holds something.
#include "platform/settings/ProgramSettings.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

const ProgramSettings kDefaults{QStringLiteral("FreeTDS"), QStringLiteral("/home/u/.local/share/student-photo"),
                                std::filesystem::path("/usr/share/model.xml"), QString(), QString()};

void ExpectSame(const ProgramSettings& actual, const ProgramSettings& expected)
{
    EXPECT_EQ(actual.odbcDriver, expected.odbcDriver);
    EXPECT_EQ(actual.dataFolder, expected.dataFolder);
    EXPECT_EQ(actual.faceModel, expected.faceModel);
    EXPECT_EQ(actual.settingsFile, expected.settingsFile);
    EXPECT_EQ(actual.testCamera, expected.testCamera);
}

} // namespace

TEST(ProgramSettings, EachVariableReplacesItsOwnDefaultOnly)
{
    QProcessEnvironment environment;
    environment.insert("PATH", "/usr/bin");
    environment.insert("STUDENT_PHOTO_UNKNOWN", "x");
    ExpectSame(ProgramSettingsFrom(environment, kDefaults), kDefaults);

    const struct {
        const char* variable;
        QString value;
        ProgramSettings expected;
    } rows[] = {
        {"STUDENT_PHOTO_ODBC_DRIVER",
         "SQLite3",
         {"SQLite3", kDefaults.dataFolder, kDefaults.faceModel, QString(), QString()}},
        {"STUDENT_PHOTO_DATA",
         "/tmp/data",
         {kDefaults.odbcDriver, "/tmp/data", kDefaults.faceModel, QString(), QString()}},
        {"STUDENT_PHOTO_FACE_CASCADE",
         "/tmp/model.xml",
         {kDefaults.odbcDriver, kDefaults.dataFolder, std::filesystem::path("/tmp/model.xml"), QString(), QString()}},
        {"STUDENT_PHOTO_SETTINGS",
         "/tmp/site/settings.ini",
         {kDefaults.odbcDriver, kDefaults.dataFolder, kDefaults.faceModel, "/tmp/site/settings.ini", QString()}},
        {"STUDENT_PHOTO_TEST_CAMERA",
         "1",
         {kDefaults.odbcDriver, kDefaults.dataFolder, kDefaults.faceModel, QString(), "1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.variable);
        QProcessEnvironment one;
        one.insert(row.variable, row.value);
        ExpectSame(ProgramSettingsFrom(one, kDefaults), row.expected);
        // Set but empty chooses nothing, as in a shell's "STUDENT_PHOTO_DATA= program".
        one.insert(row.variable, QString());
        ExpectSame(ProgramSettingsFrom(one, kDefaults), kDefaults);
    }
}

TEST(ProgramSettings, TheFaceModelIsTheFileTheNameOpens)
{
    QProcessEnvironment environment;
    environment.insert("STUDENT_PHOTO_FACE_CASCADE", QStringLiteral("/tmp/学生照片/model.xml"));
    const std::filesystem::path model = ProgramSettingsFrom(environment, kDefaults).faceModel;
#ifdef _WIN32
    EXPECT_EQ(model.wstring(), L"/tmp/学生照片/model.xml");
#else
    EXPECT_EQ(model.string(), "/tmp/学生照片/model.xml"); // UTF-8, as Qt opens it
#endif
}
