#pragma once

#include "export/ExportStudents.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Where each student's register photo goes, and who cannot have one written:
// decided from the site's rows alone, before any photo is read.

// The folder of a grade or class the site leaves empty.
inline const QString kNoGradeFolder = QStringLiteral("未分年级");
inline const QString kNoClassFolder = QStringLiteral("未分班");
// The folder of the students without an ID number.
inline const QString kNoIdFolder = QStringLiteral("无身份证号");

// What became of one student.
enum class ExportOutcome {
    Exported,
    NotOnSite,    // a roster code the site has no row for
    DuplicateId,  // another student has the same ID number: neither is written
    SameFileName, // another student's photo would have the same file name: neither is written
    BadName,      // the file or folder name cannot be written on Windows and Linux
    NoSchoolCode, // no ID number, and no school code to name the photo by
    NoPhoto,
    Unreadable, // the photo does not load
    TooSmall,
    NoFace,
    TooLarge, // 60 KB or more even at the lowest quality
};

// The outcome as the list says it: "已导出", "没有照片", "原图太小" ...
QString OutcomeText(ExportOutcome outcome);

// A photo's place under the export folder: OUT/<grade>/<class>/<ID>.jpg,
// zipped into OUT/<grade>/<class>.zip; or OUT/无身份证号/<学校标识码>_<class>_<name>.jpg.
struct ExportPlace {
    QStringList folders; // {grade, class} or {无身份证号}
    QString fileName;
    bool inClassZip = true;
    QString RelativePath() const { return (folders + QStringList{fileName}).join(u'/'); }
};

struct PlannedStudent {
    ExportStudent student;
    std::optional<ExportPlace> place; // set while the student may still be exported
    ExportOutcome outcome = ExportOutcome::Exported;
    QString detail; // why, where the outcome alone does not say it
};

// The places of `students`, sorted by grade, class and code so that one
// class is finished before the next; students refused here keep their
// outcome and detail: both students of a duplicate ID number, each naming
// the other; names that are no portable file names (PortableFileNameFault);
// students without an ID number when `schoolCode` is empty. ID numbers are
// compared with the check letter's case aside (x and X).
QList<PlannedStudent> PlanExport(const QList<ExportStudent>& students, const QString& schoolCode);

// How the list names a student: "姓名（学籍号 CODE）", or the code alone.
QString StudentLabel(const ExportStudent& student);
