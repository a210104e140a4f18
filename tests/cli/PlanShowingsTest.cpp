// One plan shown three ways: the proof sheet window's grid, the printed proof
// sheet (HTML) and the command line's --dry-run table. Each is read back as
// a user sees it and must tell the same texts, column by column.
#include "assignment/plan/AssignmentPlan.h"
#include "assignment/views/PlanRowView.h"
#include "assignment/views/ProofSheetHtml.h"
#include "cli/PlanTable.h"
#include "cli/TextTable.h"
#include "faces/FaceDetector.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"
#include "windows/main/ProofSheet.h"
#include "windows/main/ProofSheetModel.h"
#include "windows/main/ThumbnailCache.h"

#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

// Roster line → the row's texts, and the column titles, as one showing tells them.
struct Shown {
    QStringList titles;
    QMap<qsizetype, QStringList> rows;
};

Shown ShownByGrid(const QAbstractItemModel& model)
{
    Shown shown;
    for (int c = 0; c < model.columnCount(); ++c)
        shown.titles << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList texts;
        for (int c = 0; c < model.columnCount(); ++c)
            texts << model.index(r, c).data(Qt::DisplayRole).toString();
        shown.rows.insert(texts.value(0).toLongLong(), texts);
    }
    return shown;
}

QString HtmlText(QString markup)
{
    markup.remove(QRegularExpression(QStringLiteral("<img [^>]*>")));
    markup.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
    return markup.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

Shown ShownByHtml(const QString& html)
{
    Shown shown;
    const QRegularExpression th(QStringLiteral("<th>(.*?)</th>"));
    for (const auto& match : th.globalMatch(html))
        shown.titles << HtmlText(match.captured(1));
    const QString body = html.section(QStringLiteral("<tbody>"), 1).section(QStringLiteral("</tbody>"), 0, 0);
    const QRegularExpression tr(QStringLiteral("<tr[^>]*>(.*?)</tr>"), QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression td(QStringLiteral("<td[^>]*>(.*?)</td>"), QRegularExpression::DotMatchesEverythingOption);
    for (const auto& row : tr.globalMatch(body)) {
        QStringList texts;
        for (const auto& cell : td.globalMatch(row.captured(1)))
            texts << HtmlText(cell.captured(1));
        shown.rows.insert(texts.value(0).toLongLong(), texts);
    }
    return shown;
}

// Cuts a table line at the terminal columns where the titles begin.
QStringList CutAt(const QString& line, const QList<int>& starts)
{
    QStringList cells(starts.size());
    int column = 0;
    qsizetype cell = 0;
    for (const QChar c : line) {
        while (cell + 1 < starts.size() && column >= starts[cell + 1])
            ++cell;
        cells[cell] += c;
        column += DisplayWidth(QString(c));
    }
    for (QString& text : cells) {
        while (text.endsWith(u' '))
            text.chop(1);
    }
    return cells;
}

Shown ShownByTable(const QString& table)
{
    const QStringList lines = table.section(QStringLiteral("\n\n"), 0, 0).split(u'\n');
    QList<int> starts;
    Shown shown;
    // The titles hold no blanks; columns are parted by two or more.
    const QRegularExpression title(QStringLiteral("\\S+"));
    for (const auto& match : title.globalMatch(lines.value(0))) {
        starts << DisplayWidth(lines[0].left(match.capturedStart()));
        shown.titles << match.captured();
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList texts = CutAt(lines[i], starts);
        shown.rows.insert(texts.value(0).toLongLong(), texts);
    }
    return shown;
}

PhotoFacts Facts(PhotoFacts::Kind kind, int width, int height, const QString& problem = {})
{
    PhotoFacts facts;
    facts.kind = kind;
    facts.width = width;
    facts.height = height;
    facts.problem = problem;
    return facts;
}

PlanRow Row(qsizetype line, const QString& code, const QString& photoName, PhotoFacts photo)
{
    PlanRow row;
    row.line = line;
    row.code = code;
    row.photoName = photoName;
    row.photo = std::move(photo);
    return row;
}

TEST(PlanShowings, TheWindowThePrintedSheetAndTheCommandLineTellTheSameTexts)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid() && QDir(folder.path()).mkpath("photos") && QDir(folder.path()).mkpath("site"));
    const QString photos = folder.filePath(QStringLiteral("photos/"));
    const QString site = folder.filePath(QStringLiteral("site/"));
    const QByteArray portrait = ReadFile(TestDataPath(QStringLiteral("jpeg/photos/hopper.jpg")));
    WriteFile(photos + "1.jpg", portrait);
    WriteFile(site + "S02.jpg", portrait);

    AssignmentPlan plan;
    plan.installationFolder = folder.path();
    plan.database = QStringLiteral("(local) / school");
    plan.nameColumn = QStringLiteral("xm");
    // The row holds a photo path but no file lies where the new one goes.
    PlanRow pathNoFile = Row(1, "S01", "1.jpg", Facts(PhotoFacts::Kind::Jpeg, 768, 1152));
    pathNoFile.studentExists = true;
    pathNoFile.name = QStringLiteral("张伟");
    pathNoFile.currentPhoto = QStringLiteral("/old/a.jpg");
    pathNoFile.warnings = PlanWarning::HasPhoto;
    // A file to replace, and NULL in the row.
    PlanRow fileNoPath = Row(2, "S02", "2.bmp", Facts(PhotoFacts::Kind::Bmp, 200, 300));
    fileNoPath.studentExists = true;
    fileNoPath.currentPhoto = QVariant(QMetaType::fromType<QString>());
    fileNoPath.destinationExists = true;
    fileNoPath.warnings = PlanWarning::HasPhoto;
    PlanRow landscape = Row(3, "S03", "3.jpg", Facts(PhotoFacts::Kind::Jpeg, 400, 267));
    landscape.studentExists = true;
    landscape.currentPhoto = QString();
    landscape.warnings = PlanWarning::OddShape | PlanWarning::ShiftedBlock;
    landscape.faces.shiftedTowards = 1;
    // No student, an unreadable photo, a code and a name that need writing out.
    PlanRow nothingRight = Row(4, QStringLiteral("S\x01"), "a<b>&\".jpg",
                               Facts(PhotoFacts::Kind::Unreadable, 0, 0, QStringLiteral("不是 JPEG 或 BMP 图片")));
    nothingRight.warnings = PlanWarning::NoStudent | PlanWarning::UnreadablePhoto;
    // Blanks around the code, which the code column marks.
    PlanRow clean = Row(5, " S05\t", "5.jpg", Facts(PhotoFacts::Kind::Jpeg, 600, 900));
    clean.warnings = PlanWarning::BlankAroundCode | PlanWarning::OtherStudentsFace;
    clean.faces.otherStudentLines = {1, 3};
    clean.name = QStringLiteral("李娜");
    clean.studentExists = true;
    clean.currentPhoto = QString();
    for (PlanRow* row : {&pathNoFile, &fileNoPath, &landscape, &nothingRight, &clean}) {
        row->source = photos + row->photoName;
        row->destination = site + row->code + ".jpg";
        plan.rows << *row;
    }

    const QStringList titles{"行号", "学籍号", "姓名",     "新照片",   "类型",
                             "尺寸", "学生",   "现有照片", "目标文件", "提示"};
    const QMap<qsizetype, QStringList> expected{
        {1,
         {"1", "S01", "张伟", "1.jpg", "JPEG", "768×1152", "有", "/old/a.jpg", "新建", "已有照片，将被替换（可撤销）"}},
        {2, {"2", "S02", "", "2.bmp", "BMP", "200×300", "有", "NULL", "已存在", "已有照片，将被替换（可撤销）"}},
        {3,
         {"3", "S03", "", "3.jpg", "JPEG", "400×267", "有", "（空）", "新建",
          "不是 2:3 竖版照片（400×267）；可能与学籍号整体错位（新照片更像下一行学生现有的照片）"}},
        {4,
         {"4", "S\\x01", "", "a<b>&\".jpg", "无法读取", "-", "无", "-", "新建",
          "数据库中没有这名学生；图片无法读取（不是 JPEG 或 BMP 图片）"}},
        {5,
         {"5", "␣S05␣", "李娜", "5.jpg", "JPEG", "600×900", "有", "（空）", "新建",
          "像另一名学生现有照片中的人（第 1、3 行）；学籍号前后有空格"}},
    };

    ThumbnailCache thumbnails(QSize(60, 90));
    const ProofSheetModel grid(plan, thumbnails);
    const QString html = QString::fromUtf8(ProofSheetHtml(plan));
    for (const auto& [name, shown] : {std::pair{"window", ShownByGrid(grid)}, std::pair{"html", ShownByHtml(html)},
                                      std::pair{"command line", ShownByTable(PlanTable(plan))}}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(shown.titles, titles);
        EXPECT_EQ(shown.rows.keys(), expected.keys());
        for (auto row = expected.cbegin(); row != expected.cend(); ++row)
            EXPECT_EQ(shown.rows.value(row.key()), row.value()) << "line " << row.key();
    }
    // The printed sheet pictures the one new photo there is and the one file it would replace.
    EXPECT_EQ(html.count(QStringLiteral("<img ")), 2);

    // A site without a name column shows none.
    plan.nameColumn.clear();
    QStringList withoutNames = titles;
    withoutNames.removeOne(QStringLiteral("姓名"));
    EXPECT_EQ(ShownByHtml(QString::fromUtf8(ProofSheetHtml(plan))).titles, withoutNames);
    EXPECT_EQ(ShownByTable(PlanTable(plan)).titles, withoutNames);
}

// A class photographed again has "已有照片，将被替换" on every row: a
// notice, which neither tints a row nor leads the proof order, and which
// leaves the plan clean; a real warning on one row still stands out.
TEST(PlanShowings, ReplacingAPhotoIsANoticeThatLeavesTheRealWarningsInFront)
{
    AssignmentPlan plan;
    for (int line = 1; line <= 4; ++line) {
        PlanRow row = Row(line, QStringLiteral("S%1").arg(line), QStringLiteral("%1.jpg").arg(line),
                          Facts(PhotoFacts::Kind::Jpeg, 600, 900));
        row.studentExists = true;
        if (line != 3)
            row.warnings |= PlanWarning::HasPhoto;
        plan.rows << row;
    }
    EXPECT_EQ(WeightOf(PlanWarning::HasPhoto), RemarkWeight::Notice);
    EXPECT_EQ(WeightOf(PlanWarning::NoFace), RemarkWeight::Warning);
    EXPECT_FALSE(plan.HasWarnings());
    EXPECT_EQ(plan.ProofOrder(), (QList<qsizetype>{0, 1, 3, 2}));

    plan.rows[3].warnings |= PlanWarning::NoFace;
    EXPECT_TRUE(plan.HasWarnings());
    EXPECT_EQ(plan.ProofOrder(), (QList<qsizetype>{3, 0, 1, 2}));

    ThumbnailCache thumbnails(TProofSheet::kThumbnailBox);
    const ProofSheetModel model(plan, thumbnails);
    QStringList tinted;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.index(row, 0).data(Qt::BackgroundRole).isValid())
            tinted << model.index(row, int(PlanColumn::Code)).data().toString();
    }
    EXPECT_EQ(tinted, QStringList{"S4"});
    const QString html = QString::fromUtf8(ProofSheetHtml(plan));
    EXPECT_EQ(html.count(QStringLiteral("<tr class=\"warn\">")), 1);
    EXPECT_LT(html.indexOf(QStringLiteral("<td>S4</td>")), html.indexOf(QStringLiteral("<td>S1</td>")));
}

TEST(PlanShowings, NoticesOfThePlanShowUnderTheSummaryInAllThreeAndCountAsWarnings)
{
    AssignmentPlan plan;
    for (int line = 1; line <= 2; ++line) {
        PlanRow row = Row(line, QStringLiteral("S%1").arg(line), QStringLiteral("%1.jpg").arg(line),
                          Facts(PhotoFacts::Kind::Jpeg, 600, 900));
        row.studentExists = true;
        plan.rows << row;
    }
    EXPECT_FALSE(plan.HasWarnings());
    EXPECT_EQ(PlanSummary(plan), QStringLiteral("共 2 名学生；没有发现问题"));

    // No row has a warning, yet the plan is not without problems.
    plan.notices << QStringLiteral("第 1–2 行的照片可能整体错位一行") << QStringLiteral("a<b> & c");
    EXPECT_TRUE(plan.HasWarnings());
    const QString summary = QStringLiteral("共 2 名学生\n第 1–2 行的照片可能整体错位一行\na<b> & c");
    EXPECT_EQ(PlanSummary(plan), summary);

    EXPECT_EQ(PlanTable(plan).section(QStringLiteral("\n\n"), 1), summary);
    const QString html = QString::fromUtf8(ProofSheetHtml(plan));
    const QRegularExpression bold(QStringLiteral("<p><b>(.*?)</b></p>"));
    EXPECT_EQ(HtmlText(bold.match(html).captured(1)), summary);
    const TProofSheet sheet(plan, SurveyAndCheckFaces(FaceDetector::DefaultCascadeFile()));
    EXPECT_TRUE(Controls(sheet).summaryLabel->text().startsWith(summary + u'\n'))
        << Controls(sheet).summaryLabel->text().toStdString();
}

} // namespace
