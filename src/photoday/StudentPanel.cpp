#include "photoday/StudentPanel.h"

#include "photoday/PhotoDaySession.h"
#include "photoday/SiteStudents.h"

#include <QDir>

StudentPanel PanelOf(const PhotoDaySession& day, const SiteStudents& students, const ThumbnailMaker& makeThumbnail,
                     QSize box)
{
    if (day.AtEnd())
        return {};
    const QString code = day.Code(day.Position());
    if (!students.WereRead())
        return {{}, {}, QStringLiteral("没有读取网站上的学生信息。")};
    const StudentCard* card = students.Find(code);
    if (!card)
        return {{}, {}, QStringLiteral("学生表中没有这个学籍号：%1").arg(code)};
    if (card->currentPhoto.isEmpty())
        return {card->name, {}, QStringLiteral("网站上还没有这名学生的照片。")};
    if (!makeThumbnail)
        return {card->name, {}, {}};
    QImage photo = makeThumbnail(card->currentPhoto, box);
    if (photo.isNull())
        return {card->name,
                {},
                QStringLiteral("网站上的照片无法显示：%1").arg(QDir::toNativeSeparators(card->currentPhoto))};
    return {card->name, std::move(photo), QStringLiteral("对照现有照片，确认镜头前是这名学生。")};
}
