#include "support/PaintCounter.h"
#include "widgets/TGauge.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

TEST(Gauge, PercentageIsTruncatedAndProgressClampedIntoItsRange)
{
    const struct {
        int maximum, progress, shownProgress, percent;
    } rows[] = {
        {100, 0, 0, 0}, {3, 1, 1, 33}, {3, 2, 2, 66}, {5, 9, 5, 100}, {5, -1, 0, 0}, {0, 4, 0, 0},
    };
    for (const auto& row : rows) {
        TGauge gauge;
        gauge.SetMaxValue(row.maximum);
        gauge.SetProgress(row.progress);
        EXPECT_EQ(gauge.Progress(), row.shownProgress) << row.progress << " of " << row.maximum;
        EXPECT_EQ(gauge.PercentDone(), row.percent) << row.progress << " of " << row.maximum;
    }
    TGauge gauge;
    gauge.SetProgress(4);
    gauge.SetMaxValue(2); // a progress above a new maximum drops to it
    EXPECT_EQ(gauge.Progress(), 2);
}

TEST(Gauge, RepaintsItsNavyBarOnSilverAtOnceWhenItsPercentageChanges)
{
    TGauge gauge;
    gauge.resize(401, 17);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    PaintCounter counter(&gauge);

    gauge.SetMaxValue(1000);
    const int afterMaximum = counter.count;
    gauge.SetProgress(5); // 0.5 %: still 0 %, no repaint needed
    EXPECT_EQ(counter.count, afterMaximum);
    gauge.SetProgress(10); // 1 %: repainted without the event loop running
    EXPECT_EQ(counter.count, afterMaximum + 1);

    // A navy bar on silver.
    gauge.SetProgress(500);
    const QImage image = gauge.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 3), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(image.pixelColor(395, 3), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
}
