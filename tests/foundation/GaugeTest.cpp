#include "common/widgets/TGauge.h"
#include "support/PaintCounter.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

TEST(Gauge, PercentageIsTruncatedAndZeroForAnEmptyRange)
{
    TGauge gauge;
    EXPECT_EQ(gauge.PercentDone(), 0);
    gauge.SetMaxValue(3);
    gauge.SetProgress(1);
    EXPECT_EQ(gauge.PercentDone(), 33);
    gauge.SetProgress(2);
    EXPECT_EQ(gauge.PercentDone(), 66);
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_EQ(gauge.PercentDone(), 0);
}

TEST(Gauge, ClampsProgressIntoItsRange)
{
    TGauge gauge;
    gauge.SetMaxValue(5);
    gauge.SetProgress(9);
    EXPECT_EQ(gauge.Progress(), 5);
    EXPECT_EQ(gauge.PercentDone(), 100);
    gauge.SetProgress(-1);
    EXPECT_EQ(gauge.Progress(), 0);
    gauge.SetProgress(4);
    gauge.SetMaxValue(2); // a progress above the new maximum drops to it
    EXPECT_EQ(gauge.Progress(), 2);
}

TEST(Gauge, RepaintsAtOnceWhenItsPercentageChanges)
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
}

TEST(Gauge, DrawsANavyBarOnSilver)
{
    TGauge gauge;
    gauge.resize(401, 17);
    gauge.SetProgress(50);
    const QImage image = gauge.grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 3), QColor(0x00, 0x00, 0x80));
    EXPECT_EQ(image.pixelColor(395, 3), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
}
