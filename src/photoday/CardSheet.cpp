#include "photoday/CardSheet.h"

#include "photoday/QrCodes.h"
#include "photoday/SiteStudents.h"

namespace {

const char kStyle[] = R"(
@page { size: A4 portrait; margin: 10mm; }
body { font-family: "Microsoft YaHei", "SimSun", "WenQuanYi Zen Hei", sans-serif; color: #000; margin: 0; }
h1 { font-size: 12pt; margin: 0 0 3mm; }
.cards { display: flex; flex-wrap: wrap; }
.card { width: 63mm; height: 44mm; box-sizing: border-box; border: 1px dashed #888; padding: 3mm;
        display: flex; align-items: center; break-inside: avoid; page-break-inside: avoid; }
.card svg { width: 34mm; height: 34mm; flex: none; }
.facts { margin-left: 2mm; overflow-wrap: anywhere; }
.code { font-family: "Consolas", "DejaVu Sans Mono", monospace; font-size: 10pt; font-weight: bold; }
.name { font-size: 15pt; margin: 1.5mm 0; }
.class { font-size: 10pt; }
)";

// The code's modules as one SVG path, a unit square per dark module, with
// the quiet zone round them white.
QString QrSvg(const QString& code)
{
    const QrModules modules = EncodeQrCode(code);
    QString path;
    for (int y = 0; y < modules.size; ++y) {
        for (int x = 0; x < modules.size; ++x) {
            if (modules.Dark(x, y))
                path += QStringLiteral("M%1 %2h1v1h-1z").arg(x).arg(y);
        }
    }
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %1 %1\" shape-rendering=\"crispEdges\">"
               "<rect width=\"%1\" height=\"%1\" fill=\"#fff\"/><path fill=\"#000\" d=\"%2\"/></svg>")
        .arg(modules.size)
        .arg(path);
}

} // namespace

QList<CardFace> CardFacesOf(const QStringList& roster, const SiteStudents& students)
{
    QList<CardFace> cards;
    cards.reserve(roster.size());
    for (const QString& code : roster) {
        const StudentCard* card = students.Find(code);
        cards << CardFace{code, card ? card->name : QString(), card ? card->className : QString()};
    }
    return cards;
}

QByteArray CardSheetHtml(const QList<CardFace>& cards, const QString& title)
{
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
                       "<style>%2</style>\n</head>\n<body>\n<h1>%1</h1>\n<div class=\"cards\">\n")
            .arg(title.toHtmlEscaped(), QString::fromUtf8(kStyle));
    for (const CardFace& card : cards) {
        html += QStringLiteral("<div class=\"card\">%1<div class=\"facts\"><div class=\"code\">%2</div>"
                               "<div class=\"name\">%3</div><div class=\"class\">%4</div></div></div>\n")
                    .arg(QrSvg(card.code), card.code.toHtmlEscaped(), card.name.toHtmlEscaped(),
                         card.className.toHtmlEscaped());
    }
    html += QStringLiteral("</div>\n</body>\n</html>\n");
    return html.toUtf8();
}
