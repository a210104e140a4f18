#include "widgets/FitToScreen.h"

#include "support/QtPrinters.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QWidget>

#include <gtest/gtest.h>

TEST(FitToScreen, AWindowKeepsItsDesignSizeWhereItFitsAndIsCutWhereItDoesNot)
{
    // Screens as the window sees them: 1366 x 768 and 1920 x 1080 at 100 %,
    // 150 % and 200 % (the free area less a task bar of 40 pixels).
    const struct {
        QSize design, available, frame;
        QSize fitted;
    } rows[] = {
        {{405, 496}, {1366, 728}, {16, 39}, {405, 496}},
        {{405, 496}, {911, 485}, {16, 39}, {421, 446}}, // 1366 x 768 at 150 %: too high, the width takes the bar
        {{405, 496}, {683, 364}, {16, 39}, {421, 325}}, // at 200 %
        {{960, 384}, {911, 485}, {16, 39}, {895, 400}}, // too wide: the height takes the bar
        {{960, 384}, {683, 364}, {16, 39}, {667, 325}}, // both: no room for either bar
        {{960, 384}, {960, 520}, {16, 39}, {944, 400}}, // 1920 x 1080 at 200 %
        {{454, 270}, {960, 520}, {16, 39}, {454, 270}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FittedClientSize(row.design, row.available, row.frame, 16), row.fitted)
            << row.available.width() << " x " << row.available.height();
}

TEST(FitToScreen, ControlsMovedOntoTheScrollingSurfaceKeepTheirPlacesAndTabOrder)
{
    QWidget window;
    auto* first = new QLineEdit(&window);
    auto* third = new QPushButton(QStringLiteral("third"), &window);
    auto* second = new QPushButton(QStringLiteral("second"), &window);
    auto* hidden = new QWidget(&window);
    first->setGeometry(10, 10, 100, 20);
    second->setGeometry(10, 400, 100, 25);
    hidden->hide();
    QWidget::setTabOrder(first, second);
    QWidget::setTabOrder(second, third);

    QWidget* surface = PutControlsOnScrollingSurface(window, QSize(300, 500));

    EXPECT_EQ(first->parentWidget(), surface);
    EXPECT_EQ(second->geometry(), QRect(10, 400, 100, 25));
    EXPECT_EQ(surface->size(), QSize(300, 500));
    EXPECT_EQ(first->nextInFocusChain(), second);
    EXPECT_EQ(second->nextInFocusChain(), third);
    EXPECT_TRUE(hidden->isHidden());
    EXPECT_FALSE(second->isHidden());

    // Too small for the design: the controls below scroll into view.
    window.setFixedSize(300, 200);
    window.show();
    auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("Scroller"));
    ASSERT_NE(scroller, nullptr);
    EXPECT_TRUE(second->visibleRegion().isEmpty());
    scroller->ensureWidgetVisible(second);
    EXPECT_FALSE(second->visibleRegion().isEmpty());
}
