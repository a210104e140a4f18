#include "export/ExportPlan.h"

#include "files/PlainFileName.h"

#include <QHash>

#include <algorithm>
#include <tuple>

namespace {

ExportPlace PlaceOf(const ExportStudent& student, const QString& schoolCode)
{
    const QString klass = student.klass.isEmpty() ? kNoClassFolder : student.klass;
    if (student.idNumber.isEmpty())
        return {{kNoIdFolder}, QStringLiteral("%1_%2_%3.jpg").arg(schoolCode, klass, student.name), false};
    return {{student.grade.isEmpty() ? kNoGradeFolder : student.grade, klass},
            student.idNumber + QStringLiteral(".jpg"),
            true};
}

// The first name of the place that cannot be written, with why.
std::optional<QString> NameFault(const ExportPlace& place)
{
    for (const QString& name : place.folders + QStringList{place.fileName}) {
        if (const std::optional<QString> fault = PortableFileNameFault(name))
            return QStringLiteral("“%1”：%2").arg(name, *fault);
    }
    return std::nullopt;
}

// Refuses every student of a group of more than one under the same key,
// each naming the others.
void RefuseShared(QList<PlannedStudent>& planned, const QHash<QString, QList<qsizetype>>& groups, ExportOutcome outcome,
                  const QString& what)
{
    for (const QList<qsizetype>& group : groups) {
        if (group.size() < 2)
            continue;
        for (const qsizetype i : group) {
            QStringList others;
            for (const qsizetype j : group) {
                if (j != i)
                    others << StudentLabel(planned[j].student);
            }
            planned[i].place.reset();
            planned[i].outcome = outcome;
            planned[i].detail = QStringLiteral("%1与 %2 相同").arg(what, others.join(QStringLiteral("、")));
        }
    }
}

} // namespace

QString OutcomeText(ExportOutcome outcome)
{
    switch (outcome) {
    case ExportOutcome::Exported:
        return QStringLiteral("已导出");
    case ExportOutcome::NotOnSite:
        return QStringLiteral("网站上没有这个学籍号");
    case ExportOutcome::DuplicateId:
        return QStringLiteral("身份证号重复");
    case ExportOutcome::SameFileName:
        return QStringLiteral("文件名重复");
    case ExportOutcome::BadName:
        return QStringLiteral("文件名不可用");
    case ExportOutcome::NoSchoolCode:
        return QStringLiteral("缺学校标识码");
    case ExportOutcome::NoPhoto:
        return QStringLiteral("没有照片");
    case ExportOutcome::Unreadable:
        return QStringLiteral("照片读不出");
    case ExportOutcome::TooSmall:
        return QStringLiteral("原图太小");
    case ExportOutcome::NoFace:
        return QStringLiteral("未找到人脸");
    case ExportOutcome::TooLarge:
        return QStringLiteral("超过 60 KB");
    }
    return {};
}

QString StudentLabel(const ExportStudent& student)
{
    return student.name.isEmpty() ? QStringLiteral("学籍号 %1").arg(student.code)
                                  : QStringLiteral("%1（学籍号 %2）").arg(student.name, student.code);
}

QList<PlannedStudent> PlanExport(const QList<ExportStudent>& students, const QString& schoolCode)
{
    QList<PlannedStudent> planned;
    planned.reserve(students.size());
    for (const ExportStudent& student : students)
        planned.append({student, PlaceOf(student, schoolCode), ExportOutcome::Exported, {}});
    // By the folders as Windows tells them apart, so that a class that comes
    // twice under two spellings ("" and 未分班, A and a) is still one run.
    auto folderKey = [](const QString& name, const QString& absent) {
        return (name.isEmpty() ? absent : name).toUpper();
    };
    std::stable_sort(planned.begin(), planned.end(), [&](const PlannedStudent& a, const PlannedStudent& b) {
        return std::tuple(folderKey(a.student.grade, kNoGradeFolder), folderKey(a.student.klass, kNoClassFolder),
                          a.student.code)
               < std::tuple(folderKey(b.student.grade, kNoGradeFolder), folderKey(b.student.klass, kNoClassFolder),
                            b.student.code);
    });

    QHash<QString, QList<qsizetype>> byId;
    for (qsizetype i = 0; i < planned.size(); ++i) {
        if (!planned[i].student.idNumber.isEmpty())
            byId[planned[i].student.idNumber.toUpper()].append(i);
    }
    RefuseShared(planned, byId, ExportOutcome::DuplicateId, QStringLiteral("身份证号"));

    QHash<QString, QList<qsizetype>> byPath;
    for (qsizetype i = 0; i < planned.size(); ++i) {
        PlannedStudent& one = planned[i];
        if (!one.place)
            continue;
        if (one.student.idNumber.isEmpty() && schoolCode.isEmpty()) {
            one.place.reset();
            one.outcome = ExportOutcome::NoSchoolCode;
            one.detail = QStringLiteral("没有身份证号的学生按“学校标识码_班级_姓名”命名，请给出学校标识码");
        } else if (one.student.idNumber.isEmpty() && one.student.name.isEmpty()) {
            one.place.reset();
            one.outcome = ExportOutcome::BadName;
            one.detail = QStringLiteral("没有身份证号，也没有姓名可以命名");
        } else if (const std::optional<QString> fault = NameFault(*one.place)) {
            one.place.reset();
            one.outcome = ExportOutcome::BadName;
            one.detail = *fault;
        } else {
            // Windows does not tell letter case apart in file names.
            byPath[one.place->RelativePath().toUpper()].append(i);
        }
    }
    RefuseShared(planned, byPath, ExportOutcome::SameFileName, QStringLiteral("文件名"));
    return planned;
}
