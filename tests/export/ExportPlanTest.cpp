#include "export/ExportPlan.h"

#include "assignment/site/StudentRows.h"
#include "files/PlainFileName.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

// Names as the export writes them, good and bad on Windows or Linux.
struct NameRow {
    const char16_t* name;
    bool portable;
};

TEST(PortableFileNameTest, RefusesWhatWindowsOrLinuxCannotHold)
{
    const NameRow rows[] = {
        {u"110101200801011234.jpg", true},
        {u"11010120080101123X.jpg", true},
        {u"4401234567_初一(3)班_张伟.jpg", true},
        {u"初一", true},
        {u"con.txt.jpg", false}, // the device name counts up to the first dot
        {u"CON", false},
        {u"nul.jpg", false},
        {u"Aux.jpg", false},
        {u"COM1.jpg", false},
        {u"lpt9", false},
        {u"COM0.jpg", true}, // only COM1 to COM9 are devices
        {u"COM10.jpg", true},
        {u"CONSOLE.jpg", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"a/b.jpg", false},
        {u"a\\b.jpg", false},
        {u"C:x.jpg", false},
        {u"a?.jpg", false},
        {u"a*.jpg", false},
        {u"a|b", false},
        {u"\"a\"", false},
        {u"a<b>", false},
        {u"班级.", false},
        {u"班级 ", false},
        {u"a\tb.jpg", false},
        {u"a\nb.jpg", false},
    };
    for (const NameRow& row : rows) {
        const QString name = QString::fromUtf16(row.name);
        EXPECT_EQ(!PortableFileNameFault(name).has_value(), row.portable) << name.toStdString();
    }
    EXPECT_FALSE(PortableFileNameFault(QString(255, u'a')).has_value());
    EXPECT_TRUE(PortableFileNameFault(QString(256, u'a')).has_value());
    // 86 Chinese characters are 258 bytes of UTF-8: too long for Linux.
    EXPECT_TRUE(PortableFileNameFault(QString(86, u'张')).has_value());
}

ExportStudent Student(const QString& code, const QString& name, const QString& id, const QString& grade,
                      const QString& klass)
{
    return {code, name, id, grade, klass, QStringLiteral("/photos/%1.jpg").arg(code)};
}

const PlannedStudent& Find(const QList<PlannedStudent>& planned, const QString& code)
{
    for (const PlannedStudent& one : planned) {
        if (one.student.code == code)
            return one;
    }
    throw std::runtime_error("no such student");
}

TEST(ExportPlanTest, PlacesByGradeAndClassOrInTheNoIdFolder)
{
    const QList<PlannedStudent> planned =
        PlanExport({Student("3", "王芳", "110101200801011234", "初一", "2班"),
                    Student("1", "张伟", "11010120080101567x", "初一", "1班"), Student("2", "李娜", "", "初一", "1班"),
                    Student("4", "刘洋", "110101200801019999", "", ""), Student("5", "陈静", "", "初二", "")},
                   "4401234567");
    struct Row {
        const char* code;
        const char16_t* path;
        bool zipped;
    };
    const Row rows[] = {
        {"1", u"初一/1班/11010120080101567x.jpg", true},        {"2", u"无身份证号/4401234567_1班_李娜.jpg", false},
        {"3", u"初一/2班/110101200801011234.jpg", true},        {"4", u"未分年级/未分班/110101200801019999.jpg", true},
        {"5", u"无身份证号/4401234567_未分班_陈静.jpg", false},
    };
    for (const Row& row : rows) {
        const PlannedStudent& one = Find(planned, row.code);
        ASSERT_TRUE(one.place.has_value()) << row.code;
        EXPECT_EQ(one.place->RelativePath(), QString::fromUtf16(row.path));
        EXPECT_EQ(one.place->inClassZip, row.zipped) << row.code;
    }
    // Sorted so that each class comes whole: by the folders of grade and
    // class (未分年级 for none), then code.
    QStringList order;
    for (const PlannedStudent& one : planned)
        order << one.student.code;
    EXPECT_EQ(order, (QStringList{"1", "2", "3", "5", "4"}));
}

// A class's photos are written and zipped in one run: students whose class
// comes under two spellings of one folder stay together.
TEST(ExportPlanTest, OneFolderUnderTwoSpellingsIsOneRun)
{
    const QList<PlannedStudent> planned = PlanExport({Student("1", "甲", "110101200801010001", "初一", ""),
                                                      Student("2", "乙", "110101200801010002", "初一", "A班"),
                                                      Student("3", "丙", "110101200801010003", "初一", "未分班"),
                                                      Student("4", "丁", "110101200801010004", "初一", "a班")},
                                                     "");
    QStringList folders;
    for (const PlannedStudent& one : planned)
        folders << one.place->folders.join(u'/').toUpper();
    EXPECT_EQ(folders, (QStringList{"初一/A班", "初一/A班", "初一/未分班", "初一/未分班"}));
}

TEST(ExportPlanTest, RefusesBothStudentsOfADuplicateIdNamingEachOther)
{
    const QList<PlannedStudent> planned = PlanExport({Student("1", "张伟", "11010120080101123X", "初一", "1班"),
                                                      Student("2", "李娜", "11010120080101123x", "初二", "3班"),
                                                      Student("3", "王芳", "110101200801015678", "初一", "1班")},
                                                     "");
    const PlannedStudent& first = Find(planned, "1");
    const PlannedStudent& second = Find(planned, "2");
    EXPECT_FALSE(first.place.has_value());
    EXPECT_FALSE(second.place.has_value());
    EXPECT_EQ(first.outcome, ExportOutcome::DuplicateId);
    EXPECT_EQ(second.outcome, ExportOutcome::DuplicateId);
    EXPECT_TRUE(first.detail.contains(QStringLiteral("李娜（学籍号 2）"))) << first.detail.toStdString();
    EXPECT_TRUE(second.detail.contains(QStringLiteral("张伟（学籍号 1）"))) << second.detail.toStdString();
    EXPECT_TRUE(Find(planned, "3").place.has_value());
}

TEST(ExportPlanTest, RefusesNamesThatCannotBeWrittenAndNoIdStudentsWithoutSchoolCode)
{
    struct Row {
        ExportStudent student;
        QString schoolCode;
        ExportOutcome outcome;
    };
    const Row rows[] = {
        {Student("1", "张伟", "../../etc/passwd", "初一", "1班"), "4401", ExportOutcome::BadName},
        {Student("2", "李娜", "110101200801011234", "初一", "CON"), "4401", ExportOutcome::BadName},
        {Student("3", "王芳", "110101200801011235", "初一.", "1班"), "4401", ExportOutcome::BadName},
        {Student("4", "刘/洋", "", "初一", "1班"), "4401", ExportOutcome::BadName},
        {Student("5", "", "", "初一", "1班"), "4401", ExportOutcome::BadName},
        {Student("6", "陈静", "", "初一", "1班"), "", ExportOutcome::NoSchoolCode},
        {Student("7", "陈静", "", "初一", "1班"), "44:01", ExportOutcome::BadName},
        {Student("8", "陈静", "110101200801011236", "初一", "1班"), "", ExportOutcome::Exported},
    };
    for (const Row& row : rows) {
        const QList<PlannedStudent> planned = PlanExport({row.student}, row.schoolCode);
        ASSERT_EQ(planned.size(), 1);
        EXPECT_EQ(planned[0].outcome, row.outcome) << row.student.code.toStdString();
        EXPECT_EQ(planned[0].place.has_value(), row.outcome == ExportOutcome::Exported)
            << row.student.code.toStdString();
    }
}

TEST(ExportPlanTest, TwoNoIdStudentsOfOneNameInOneClassAreBothRefused)
{
    const QList<PlannedStudent> planned =
        PlanExport({Student("1", "张伟", "", "初一", "1班"), Student("2", "张伟", "", "初一", "1班"),
                    Student("3", "张伟", "", "初一", "2班")},
                   "4401");
    EXPECT_EQ(Find(planned, "1").outcome, ExportOutcome::SameFileName);
    EXPECT_EQ(Find(planned, "2").outcome, ExportOutcome::SameFileName);
    EXPECT_TRUE(Find(planned, "1").detail.contains(QStringLiteral("学籍号 2")));
    EXPECT_EQ(Find(planned, "3").outcome, ExportOutcome::Exported);
}

} // namespace

namespace {

// The export's columns are found as the name column always was: by a
// setting, else by their usual names, letter case aside, plain names only.
TEST(FindColumnTest, FindsEachRoleByItsUsualNamesOrTheSetting)
{
    const QStringList columns{"StudentCode", "XM", "SFZH", "Nj", "班级", "photo", "bad name", "idcard"};
    struct Row {
        ColumnRole role;
        const char16_t* wanted;
        const char16_t* found;
    };
    const Row rows[] = {
        {ColumnRole::Name, u"", u"XM"},
        {ColumnRole::IdNumber, u"", u"SFZH"}, // the first candidate wins over idcard
        {ColumnRole::Grade, u"", u"Nj"},
        {ColumnRole::Class, u"", u"班级"},
        {ColumnRole::IdNumber, u"IDCARD", u"idcard"},
        {ColumnRole::Name, u" photo ", u"photo"},
        {ColumnRole::Name, u"bad name", u""}, // not a plain name: never put into a statement
        {ColumnRole::Name, u"xm; drop table x", u""},
        {ColumnRole::Class, u"bj", u""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FindColumn(columns, ColumnCandidates(row.role), QString::fromUtf16(row.wanted)),
                  QString::fromUtf16(row.found))
            << QString::fromUtf16(row.wanted).toStdString();
    }
    EXPECT_EQ(FindColumn({"studentcode", "photo"}, ColumnCandidates(ColumnRole::IdNumber)), QString());
}

} // namespace
