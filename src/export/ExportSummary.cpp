#include "export/ExportSummary.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// A field as Excel reads it back: quoted, quotes doubled; a number of more
// than eleven digits (an ID number, a long code) as a formula of its text,
// since Excel would show it in powers of ten and drop its digits after the
// fifteenth. A text that starts like a formula is kept from running as one.
QString CsvField(const QString& text)
{
    static const QRegularExpression longNumber(QStringLiteral("^[0-9]{12,}[0-9Xx]?$"));
    QString content = text;
    if (longNumber.match(text).hasMatch())
        content = QStringLiteral("=\"%1\"").arg(text);
    else if (!text.isEmpty() && QStringView(u"=+-@").contains(text.front()))
        content.prepend(u'\'');
    content.replace(u'"', QStringLiteral("\"\""));
    return u'"' + content + u'"';
}

} // namespace

qsizetype ExportSummary::Count(ExportOutcome outcome) const
{
    return std::count_if(lines.cbegin(), lines.cend(),
                         [outcome](const ExportLine& line) { return line.outcome == outcome; });
}

qsizetype ExportSummary::BackgroundWarnings() const
{
    return std::count_if(lines.cbegin(), lines.cend(), [](const ExportLine& line) {
        return line.outcome == ExportOutcome::Exported && !line.lightBlueBackground;
    });
}

QString ExportSummary::Text() const
{
    QStringList text;
    text << QStringLiteral("共 %1 名学生：已导出 %2 张照片，%3 个班级压缩包。")
                .arg(lines.size())
                .arg(Count(ExportOutcome::Exported))
                .arg(zips.size());
    for (const ExportOutcome outcome :
         {ExportOutcome::NoPhoto, ExportOutcome::TooSmall, ExportOutcome::NoFace, ExportOutcome::TooLarge,
          ExportOutcome::Unreadable, ExportOutcome::DuplicateId, ExportOutcome::SameFileName, ExportOutcome::BadName,
          ExportOutcome::NoSchoolCode, ExportOutcome::NotOnSite}) {
        if (const qsizetype count = Count(outcome); count > 0)
            text << QStringLiteral("%1：%2 名").arg(OutcomeText(outcome)).arg(count);
    }
    if (const qsizetype warnings = BackgroundWarnings(); warnings > 0)
        text << QStringLiteral("背景不是浅蓝色（只是提醒，照片已导出）：%1 名").arg(warnings);
    for (const ExportLine& line : lines) {
        if (line.outcome != ExportOutcome::Exported)
            text << QStringLiteral("%1：%2%3")
                        .arg(StudentLabel(line.student), OutcomeText(line.outcome),
                             line.detail.isEmpty() ? QString() : QStringLiteral("（%1）").arg(line.detail));
        else if (!line.lightBlueBackground)
            text << QStringLiteral("%1：背景不是浅蓝色").arg(StudentLabel(line.student));
    }
    return text.join(u'\n');
}

QByteArray ExportListCsv(const ExportSummary& summary)
{
    const QStringList header{QStringLiteral("学籍号"), QStringLiteral("姓名"), QStringLiteral("身份证号"),
                             QStringLiteral("年级"),   QStringLiteral("班级"), QStringLiteral("结果"),
                             QStringLiteral("说明"),   QStringLiteral("文件"), QStringLiteral("照片来源"),
                             QStringLiteral("质量"),   QStringLiteral("背景")};
    QString text;
    auto addRow = [&text](const QStringList& fields) {
        QStringList quoted;
        for (const QString& field : fields)
            quoted << CsvField(field);
        text += quoted.join(u',') + QStringLiteral("\r\n");
    };
    addRow(header);
    for (const ExportLine& line : summary.lines) {
        const bool exported = line.outcome == ExportOutcome::Exported;
        addRow({line.student.code, line.student.name, line.student.idNumber, line.student.grade, line.student.klass,
                OutcomeText(line.outcome), line.detail, line.file,
                line.source.isEmpty() ? QString()
                                      : (line.original ? QStringLiteral("拍照原图：") : QString()) + line.source,
                exported ? QString::number(line.quality) : QString(),
                exported ? (line.lightBlueBackground ? QStringLiteral("浅蓝色") : QStringLiteral("不是浅蓝色"))
                         : QString()});
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}
