// The students' cards: their QR codes read back from camera frames with a
// real portrait beside them, the printable sheet, and which student a card
// held up selects.
#include "photoday/BackgroundCardReading.h"
#include "photoday/CardSelection.h"
#include "photoday/CardSheet.h"
#include "photoday/QrCodes.h"
#include "photoday/SiteStudents.h"
#include "support/CameraFrames.h"
#include "support/CardImages.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <numeric>

namespace {

QImage PortraitFrame()
{
    return CameraFrameShowing(QImage(TestDataPath("jpeg/photos/obama.jpg")), 900);
}

TEST(QrCodes, ACardHeldUpBeforeTheCameraIsReadBack)
{
    const QImage portrait = PortraitFrame();
    QrCodeReader reader;
    // Codes as schools write them, the card held at arm's length (4 pixels a
    // module) and close (10), beside the student's face.
    const struct {
        const char* code;
        int modulePixels;
        QPoint place;
    } cards[] = {
        {"2023010101", 4, {1500, 700}},
        {"G440106201209011234", 6, {100, 600}},
        {"x-7", 10, {1400, 100}},
    };
    for (const auto& card : cards) {
        const QImage frame = HoldingUp(portrait, QrCardImage(card.code, card.modulePixels), card.place);
        EXPECT_EQ(reader.Read(frame), QStringList{card.code}) << card.code;
    }
    // A frame without a card gives nothing.
    EXPECT_TRUE(reader.Read(portrait).isEmpty());
    EXPECT_TRUE(reader.Read(QImage()).isEmpty());

    // In the background, the same.
    BackgroundCardReading background;
    EXPECT_EQ(background.Read(HoldingUp(portrait, QrCardImage("2023010102", 5), {1500, 600})).result(),
              QStringList{"2023010102"});
}

TEST(CardSheet, EveryStudentHasACardWithTheirQrCodeCodeNameAndClass)
{
    const QList<CardFace> cards{{"2023010101", QStringLiteral("张伟"), QStringLiteral("初一（3）班")},
                                {"2023010102", QStringLiteral("<李娜>"), {}}};
    const QString html = QString::fromUtf8(CardSheetHtml(cards, QStringLiteral("学生卡 名单.txt")));
    EXPECT_TRUE(html.contains(QStringLiteral("<title>学生卡 名单.txt</title>")));
    EXPECT_EQ(html.count(QStringLiteral("<div class=\"card\">")), 2);
    for (const char* shown : {"<div class=\"code\">2023010101</div>", "<div class=\"name\">张伟</div>",
                              "<div class=\"class\">初一（3）班</div>", "<div class=\"name\">&lt;李娜&gt;</div>"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(shown))) << shown;
    EXPECT_FALSE(html.contains(QStringLiteral("<李娜>")));
    // Each card's code drawn module for module.
    const QRegularExpression svg(QStringLiteral("viewBox=\"0 0 (\\d+) \\1\".*?d=\"([^\"]*)\""));
    auto match = svg.globalMatch(html);
    for (const CardFace& card : cards) {
        ASSERT_TRUE(match.hasNext());
        const auto found = match.next();
        const QrModules modules = EncodeQrCode(card.code);
        EXPECT_EQ(found.captured(1).toInt(), modules.size);
        const int dark = std::accumulate(modules.dark.begin(), modules.dark.end(), 0);
        EXPECT_EQ(found.captured(2).count(QStringLiteral("h1v1h-1z")), dark) << card.code.toStdString();
    }
}

TEST(CardSheet, TheCardsAreTheRostersInOrderWithTheSitesNamesAndClasses)
{
    const SiteStudents students = SiteStudents::Read(
        [](const QStringList&) {
            return QHash<QString, StudentCard>{{"S2", {QStringLiteral("李娜"), {}, QStringLiteral("初二（1）班")}},
                                               {"S1", {QStringLiteral("张伟"), {}, {}}}};
        },
        {"S1", "S2", "S3"});
    const QList<CardFace> cards = CardFacesOf({"S1", "S2", "S3"}, students);
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cards[0].name, QStringLiteral("张伟"));
    EXPECT_EQ(cards[0].className, QString());
    EXPECT_EQ(cards[1].code, "S2");
    EXPECT_EQ(cards[1].className, QStringLiteral("初二（1）班"));
    EXPECT_TRUE(cards[2].name.isEmpty() && cards[2].className.isEmpty()) << "not on the site";
}

TEST(CardSelection, ACardSelectsItsStudentOnceWhileItIsHeldUp)
{
    CardSelection cards({"001", "002", "A03"});
    const struct {
        QStringList inView;
        std::optional<qsizetype> selects;
        QStringList strangers;
    } looks[] = {
        {{}, std::nullopt, {}},      {{"002"}, 1, {}},
        {{"002"}, std::nullopt, {}},                               // still held up: the day moved on after the save
        {{}, std::nullopt, {}},                                    // one look that missed it
        {{"002"}, std::nullopt, {}}, {{"a03", "zzz"}, 2, {"zzz"}}, // letter case aside; a card of another roster
        {{"zzz"}, std::nullopt, {}}, {{}, std::nullopt, {}},
        {{}, std::nullopt, {}},      {{}, std::nullopt, {}}, // three looks without 002: it has gone
        {{"002", " 001 "}, 1, {}},
    };
    int look = 0;
    for (const auto& expected : looks) {
        const CardSelection::Seen seen = cards.Look(expected.inView);
        EXPECT_EQ(seen.student, expected.selects) << "look " << look;
        EXPECT_EQ(seen.strangers, expected.strangers) << "look " << look;
        ++look;
    }
}

} // namespace
