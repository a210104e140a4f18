#include "assignment/run/UndoDecision.h"

#include <QStringList>

namespace {

bool SameValue(const QVariant& a, const QVariant& b)
{
    return a.isNull() == b.isNull() && (a.isNull() || a.toString() == b.toString());
}

} // namespace

UndoStep DecideUndo(const JournaledStudent& then, const StudentNow& now, UndoMode mode)
{
    const bool regular = now.file != StudentNow::File::NotRegular;
    const bool exists = now.file != StudentNow::File::Missing;
    const bool fileIsOld = regular && (then.oldFileHash ? exists && now.fileHash == *then.oldFileHash : !exists);
    const bool fileIsNew = regular && exists && now.fileHash == then.newFileHash;
    const bool hasRow = now.photo.has_value();
    // A student who had no row then has no value to go back to.
    const bool rowIsOld = !then.oldPhoto || (hasRow && SameValue(*now.photo, *then.oldPhoto));
    const bool rowIsNew = hasRow && SameValue(*now.photo, then.newPhoto);

    QStringList changes;
    if (!fileIsOld && !fileIsNew)
        changes << (regular ? QStringLiteral("照片文件在那次设置之后又被换过")
                            : QStringLiteral("照片文件已不是普通文件"));
    if (!rowIsOld && !rowIsNew)
        changes << (hasRow ? QStringLiteral("数据库中的照片路径在那次设置之后又被改过")
                           : QStringLiteral("数据库中已没有这名学生"));
    // A link is never followed, not even when forced.
    if (!changes.isEmpty() && (mode != UndoMode::Force || !regular))
        return UndoStep{false, false, changes.join(QStringLiteral("，"))};
    return UndoStep{!fileIsOld, then.oldPhoto && hasRow && !rowIsOld, {}};
}
