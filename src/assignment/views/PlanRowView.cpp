#include "assignment/views/PlanRowView.h"

#include "assignment/input/CodeBlanks.h"
#include "assignment/input/CodeFolding.h"
#include "assignment/plan/RunMessages.h"
#include "assignment/site/StudentRows.h"
#include "assignment/views/FaceWarningTexts.h"

#include <iterator>

namespace {

// A short Chinese name of the kind, for tables.
QString KindName(PhotoFacts::Kind kind)
{
    switch (kind) {
    case PhotoFacts::Kind::Jpeg:
        return QStringLiteral("JPEG");
    case PhotoFacts::Kind::Bmp:
        return QStringLiteral("BMP");
    case PhotoFacts::Kind::Unreadable:
        break;
    }
    return QStringLiteral("无法读取");
}

QString SizeText(const PhotoFacts& photo)
{
    if (photo.kind == PhotoFacts::Kind::Unreadable)
        return QStringLiteral("-");
    return QStringLiteral("%1×%2").arg(photo.width).arg(photo.height);
}

QString LineList(const QList<qsizetype>& lines)
{
    QStringList texts;
    for (const qsizetype line : lines)
        texts << QString::number(line);
    return texts.join(u'、');
}

QStringList WarningTexts(const PlanRow& row)
{
    QStringList texts;
    for (const PlanWarning warning : kAllPlanWarnings) {
        if (!row.warnings.testFlag(warning))
            continue;
        if (warning == PlanWarning::UnreadablePhoto)
            texts << WarningText(warning) + QStringLiteral("（") + row.photo.problem + QStringLiteral("）");
        else if (warning == PlanWarning::OddShape)
            texts << WarningText(warning) + QStringLiteral("（%1）").arg(SizeText(row.photo));
        else if (warning == PlanWarning::SamePicture)
            texts << WarningText(warning) + QStringLiteral("（第 %1 行）").arg(LineList(row.samePictureLines));
        else if (warning == PlanWarning::AnotherStudentsPhoto)
            texts << WarningText(warning) + QStringLiteral("（第 %1 行）").arg(LineList(row.currentPhotoOfLines));
        else if (warning == PlanWarning::OtherStudentsFace)
            texts << WarningText(warning) + QStringLiteral("（第 %1 行）").arg(LineList(row.faces.otherStudentLines));
        else if (const QString particulars = FaceParticulars(warning, row.faces); !particulars.isEmpty())
            texts << WarningText(warning) + QStringLiteral("（") + particulars + QStringLiteral("）");
        else if (warning == PlanWarning::CodeNeedsFolding)
            texts << WarningText(warning) + QStringLiteral("（按“%1”比较）").arg(ShownCode(FoldedCode(row.code)));
        else
            texts << WarningText(warning);
    }
    return texts;
}

// One column: its title, a typical width, whether its cells show a photo,
// and the cell of a row (given the row's warning texts).
struct ColumnSpec {
    QString title;
    int typicalWidth;
    bool showsPhoto;
    PlanCell (*cell)(const PlanRow& row, const QStringList& warnings);
};

// Indexed by PlanColumn.
const ColumnSpec kColumns[] = {
    {QStringLiteral("行号"), 5, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{QString::number(row.line), {}};
     }},
    {QStringLiteral("学籍号"), 12, false,
     [](const PlanRow& row, const QStringList&) {
         // A code the database folds is marked, so that its odd characters catch the eye.
         const QString mark = row.warnings.testFlag(PlanWarning::CodeNeedsFolding) ? QStringLiteral("≈") : QString();
         return PlanCell{mark + ShownCode(BlanksMarked(row.code)), {}};
     }},
    {QStringLiteral("姓名"), 8, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{row.name, {}};
     }},
    {QStringLiteral("新照片"), 10, true,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{row.photoName, row.source};
     }},
    {QStringLiteral("类型"), 8, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{KindName(row.photo.kind), {}};
     }},
    {QStringLiteral("尺寸"), 10, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{SizeText(row.photo), {}};
     }},
    {QStringLiteral("学生"), 4, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{row.studentExists ? QStringLiteral("有") : QStringLiteral("无"), {}};
     }},
    // The student's photo column as it is, whether or not a file lies where
    // it points (目标文件 tells whether the file the run replaces is there);
    // the thumbnail is of that file.
    {QStringLiteral("现有照片"), 22, true,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{row.studentExists ? PhotoValueText(row.currentPhoto) : QStringLiteral("-"),
                         row.destinationExists ? row.destination : QString()};
     }},
    {QStringLiteral("目标文件"), 8, false,
     [](const PlanRow& row, const QStringList&) {
         return PlanCell{row.destinationExists ? QStringLiteral("已存在") : QStringLiteral("新建"), {}};
     }},
    {QStringLiteral("提示"), 30, false,
     [](const PlanRow&, const QStringList& warnings) {
         return PlanCell{warnings.join(QStringLiteral("；")), {}};
     }},
};
static_assert(std::size(kColumns) == kPlanColumnCount, "a column of PlanColumn without its spec, or the other way");

const ColumnSpec& Spec(PlanColumn column)
{
    return kColumns[static_cast<int>(column)];
}

} // namespace

QString PlanColumnTitle(PlanColumn column)
{
    return Spec(column).title;
}

bool PlanColumnShown(const AssignmentPlan& plan, PlanColumn column)
{
    return column != PlanColumn::Name || !plan.nameColumn.isEmpty();
}

bool PlanColumnShowsPhoto(PlanColumn column)
{
    return Spec(column).showsPhoto;
}

int PlanColumnTypicalWidth(PlanColumn column)
{
    return Spec(column).typicalWidth;
}

QString WarningText(PlanWarning warning)
{
    switch (warning) {
    case PlanWarning::NoStudent:
        return QStringLiteral("数据库中没有这名学生");
    case PlanWarning::UnreadablePhoto:
        return QStringLiteral("图片无法读取");
    case PlanWarning::OddShape:
        return QStringLiteral("不是 2:3 竖版照片");
    case PlanWarning::HasPhoto:
        return QStringLiteral("已有照片，将被替换（可撤销）");
    // Pairing by index file.
    case PlanWarning::LeadingZeros:
        return QStringLiteral("对照表中的学籍号前导零不同");
    case PlanWarning::SamePicture:
        return QStringLiteral("与另一张新照片是同一张图片");
    case PlanWarning::AnotherStudentsPhoto:
        return QStringLiteral("与另一名学生现有的照片相同");
    // Face checks
    case PlanWarning::NoFace:
        return QStringLiteral("照片中找不到人脸");
    case PlanWarning::SeveralFaces:
        return QStringLiteral("照片中不止一张人脸");
    case PlanWarning::TurnedFace:
        return QStringLiteral("照片是横着或倒着的");
    case PlanWarning::SmallFace:
        return QStringLiteral("人脸太小，设成 120×180 的照片会不清楚");
    case PlanWarning::DarkFace:
        return QStringLiteral("脸部太暗");
    case PlanWarning::BrightFace:
        return QStringLiteral("脸部过亮");
    case PlanWarning::Blurred:
        return QStringLiteral("照片模糊");
    case PlanWarning::LikelyRetake:
        return QStringLiteral("和上一行的照片几乎一样，可能是重拍时多留了一张");
    case PlanWarning::LongCaptureGap:
        return QStringLiteral("和上一张照片的拍摄间隔特别长，可能漏拍了学生");
    case PlanWarning::ShiftedBlock:
        return QStringLiteral("可能与学籍号整体错位");
    case PlanWarning::OtherStudentsFace:
        return QStringLiteral("像另一名学生现有照片中的人");
    case PlanWarning::CodeNeedsFolding:
        return QStringLiteral("学籍号含全角字符或特殊空白");
    case PlanWarning::BlankAroundCode:
        return QStringLiteral("学籍号前后有空格");
    }
    return {};
}

PlanRowView ViewOfPlanRow(const PlanRow& row)
{
    PlanRowView view;
    view.warnings = WarningTexts(row);
    for (int c = 0; c < kPlanColumnCount; ++c)
        view.cells[c] = kColumns[c].cell(row, view.warnings);
    return view;
}

QString PlanSummary(const AssignmentPlan& plan)
{
    QStringList parts{QStringLiteral("共 %1 名学生").arg(plan.rows.size())};
    for (const PlanWarning warning : kAllPlanWarnings) {
        if (const qsizetype count = plan.Count(warning))
            parts << QStringLiteral("%1 %2 名").arg(WarningText(warning)).arg(count);
    }
    if (parts.size() == 1 && plan.notices.isEmpty())
        parts << QStringLiteral("没有发现问题");
    return (QStringList{parts.join(QStringLiteral("；"))} + plan.notices).join(u'\n');
}
