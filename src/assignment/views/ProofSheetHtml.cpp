#include "assignment/views/ProofSheetHtml.h"

#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "assignment/views/Thumbnail.h"

#include <QDateTime>
#include <QDir>
#include <QImageWriter>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// 2:3 thumbnails large enough for 30 mm of paper at about 100 dpi.
const QSize kThumbnailBox(80, 120);

const char kStyle[] = R"(
@page { size: A4 portrait; margin: 12mm; }
body { font-family: "Microsoft YaHei", "SimSun", "WenQuanYi Zen Hei", sans-serif; font-size: 9pt; color: #000; }
h1 { font-size: 16pt; margin: 0 0 4mm; }
table { border-collapse: collapse; width: 100%; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
th, td { border: 1px solid #777; padding: 1mm 1.5mm; vertical-align: middle; text-align: left; }
td.photo { width: 24mm; text-align: center; font-size: 8pt; overflow-wrap: anywhere; }
img { width: 20mm; height: 30mm; object-fit: contain; display: block; margin: 0 auto; }
tr.warn td.note { color: #b00000; font-weight: bold; }
.sign { margin-top: 10mm; font-size: 12pt; }
)";

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// A cell that shows a photo: the thumbnail, when there is one, above its text (markup).
QString ImageCell(const QByteArray& jpeg, const QString& textHtml)
{
    QString cell = QStringLiteral("<td class=\"photo\">");
    if (!jpeg.isEmpty())
        cell += QStringLiteral("<img src=\"data:image/jpeg;base64,%1\" alt=\"\">")
                    .arg(QString::fromLatin1(jpeg.toBase64()));
    return cell + textHtml + QStringLiteral("</td>");
}

} // namespace

QByteArray ProofSheetHtml(const AssignmentPlan& plan)
{
    QList<PlanRowView> views;
    views.reserve(plan.rows.size());
    for (const PlanRow& row : plan.rows)
        views << ViewOfPlanRow(row);

    // The picture of every cell that shows one, thumbnailed on all cores:
    // row i's pictures at i * photoColumns.size() on.
    QList<PlanColumn> photoColumns;
    for (int c = 0; c < kPlanColumnCount; ++c) {
        if (PlanColumnShowsPhoto(static_cast<PlanColumn>(c)))
            photoColumns << static_cast<PlanColumn>(c);
    }
    QStringList files;
    for (const PlanRowView& view : std::as_const(views)) {
        for (const PlanColumn column : std::as_const(photoColumns))
            files << view[column].photo;
    }
    // Qt's picture plugins are loaded here, on the calling thread, not first
    // on a worker: under Wine a program whose JPEG plugin a pool thread
    // loaded never finished exiting.
    QImageWriter::supportedImageFormats();
    const QList<QByteArray> thumbnails =
        QtConcurrent::blockingMapped<QList<QByteArray>>(files, [](const QString& file) {
            return file.isEmpty() ? QByteArray() : ThumbnailJpeg(MakeThumbnail(file, kThumbnailBox));
        });

    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                                  "<title>学生照片核对表</title>\n<style>")
                   + QString::fromUtf8(kStyle) + QStringLiteral("</style>\n</head>\n<body>\n<h1>学生照片核对表</h1>\n");
    html += QStringLiteral("<p>网站：%1<br>数据库：%2<br>生成时间：%3</p>\n")
                .arg(Escaped(QDir::toNativeSeparators(plan.installationFolder)), Escaped(plan.database),
                     QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    html += QStringLiteral("<p><b>%1</b></p>\n").arg(Escaped(PlanSummary(plan)).replace(u'\n', QStringLiteral("<br>")));
    html += QStringLiteral("<table>\n<thead><tr>");
    for (int c = 0; c < kPlanColumnCount; ++c) {
        if (PlanColumnShown(plan, static_cast<PlanColumn>(c)))
            html += QStringLiteral("<th>%1</th>").arg(Escaped(PlanColumnTitle(static_cast<PlanColumn>(c))));
    }
    html += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const qsizetype i : plan.ProofOrder()) {
        const PlanRowView& view = views[i];
        // Notices (a photo replaced) are printed plainly, warnings stand out.
        html += HasWarning(plan.rows[i]) ? QStringLiteral("<tr class=\"warn\">") : QStringLiteral("<tr>");
        qsizetype picture = i * photoColumns.size();
        for (int c = 0; c < kPlanColumnCount; ++c) {
            const PlanColumn column = static_cast<PlanColumn>(c);
            if (!PlanColumnShown(plan, column))
                continue;
            const QString text = Escaped(view[column].text);
            if (PlanColumnShowsPhoto(column))
                html += ImageCell(thumbnails[picture++], text);
            else if (column == PlanColumn::Warnings)
                html += QStringLiteral("<td class=\"note\">%1</td>").arg(text);
            else
                html += QStringLiteral("<td>%1</td>").arg(text);
        }
        html += QStringLiteral("</tr>\n");
    }
    html += QStringLiteral(
        "</tbody>\n</table>\n<p class=\"sign\">核对人签字：＿＿＿＿＿＿＿＿　　日期：＿＿＿＿＿＿＿＿</p>\n"
        "</body>\n</html>\n");
    return html.toUtf8();
}

void WriteProofSheet(const AssignmentPlan& plan, const QString& path)
{
    QSaveFile file(path);
    const QByteArray html = ProofSheetHtml(plan);
    if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit()) {
        throw EProofSheetError(QStringLiteral("无法写入核对表 %1：%2")
                                   .arg(QDir::toNativeSeparators(path), file.errorString())
                                   .toStdString());
    }
}
