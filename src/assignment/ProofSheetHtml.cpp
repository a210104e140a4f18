#include "assignment/ProofSheetHtml.h"

#include "assignment/AssignmentPlan.h"
#include "assignment/RunMessages.h"
#include "assignment/StudentRows.h"
#include "assignment/Thumbnail.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>

namespace {

// 2:3 thumbnails large enough for 30 mm of paper at about 100 dpi.
const QSize kThumbnailBox(80, 120);

const char kStyle[] = R"(
@page { size: A4 portrait; margin: 12mm; }
body { font-family: "Microsoft YaHei", "SimSun", "WenQuanYi Zen Hei", sans-serif; font-size: 10pt; color: #000; }
h1 { font-size: 16pt; margin: 0 0 4mm; }
table { border-collapse: collapse; width: 100%; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
th, td { border: 1px solid #777; padding: 1mm 2mm; vertical-align: middle; text-align: left; }
td.photo { width: 24mm; text-align: center; font-size: 8pt; }
img { width: 20mm; height: 30mm; object-fit: contain; display: block; margin: 0 auto; }
tr.warn td.note { color: #b00000; font-weight: bold; }
.sign { margin-top: 10mm; font-size: 12pt; }
)";

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// A photo cell: the thumbnail, when there is one, above its caption (markup).
QString ImageCell(const QByteArray& jpeg, const QString& captionHtml)
{
    QString cell = QStringLiteral("<td class=\"photo\">");
    if (!jpeg.isEmpty())
        cell += QStringLiteral("<img src=\"data:image/jpeg;base64,%1\" alt=\"\">")
                    .arg(QString::fromLatin1(jpeg.toBase64()));
    return cell + captionHtml + QStringLiteral("</td>");
}

} // namespace

QByteArray ProofSheetHtml(const AssignmentPlan& plan)
{
    // Every photo and every present photo, thumbnailed on all cores.
    QStringList files;
    for (const PlanRow& row : plan.rows)
        files << row.source << (row.destinationExists ? row.destination : QString());
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
    html += QStringLiteral("<p><b>%1</b></p>\n").arg(Escaped(plan.Summary()));
    html += QStringLiteral("<table>\n<thead><tr><th>行号</th><th>学籍号</th><th>新照片</th><th>现有照片</th>"
                           "<th>提示</th></tr></thead>\n<tbody>\n");
    for (const qsizetype i : plan.ProofOrder()) {
        const PlanRow& row = plan.rows[i];
        const QString newCaption =
            row.photo.kind == PhotoFacts::Kind::Unreadable
                ? row.photoName + QStringLiteral("（无法读取）")
                : QStringLiteral("%1 %2×%3").arg(row.photoName).arg(row.photo.width).arg(row.photo.height);
        QString presentCaption = row.destinationExists ? QStringLiteral("现有文件") : QStringLiteral("无");
        if (row.studentExists && !row.currentPhoto.toString().isEmpty())
            presentCaption += QStringLiteral("<br>") + Escaped(PhotoValueText(row.currentPhoto));
        html += QStringLiteral("<tr%1><td>%2</td><td>%3</td>")
                    .arg(row.warnings ? QStringLiteral(" class=\"warn\"") : QString())
                    .arg(row.line)
                    .arg(Escaped(ShownCode(row.code)));
        html += ImageCell(thumbnails[2 * i], Escaped(newCaption));
        html += ImageCell(thumbnails[2 * i + 1], presentCaption);
        html += QStringLiteral("<td class=\"note\">%1</td></tr>\n").arg(Escaped(row.WarningsText()));
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
