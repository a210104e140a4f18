// The photo day's window on a school laptop's screen of 1366 x 768 (ctest
// runs this binary on an offscreen screen of that size): the whole layout
// shows at once, nothing to scroll, and every control lies on the screen.
// (On a screen scaled twice, tests/windows/main/WindowsFitTest.cpp.)
#include "platform/camera/SyntheticCameraSource.h"
#include "support/RecordingDialogs.h"
#include "widgets/WindowControls.h"
#include "windows/photoday/PhotoDay.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(PhotoDayFit, TheWholeWindowShowsOnA1366By768Screen)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1366, 768))
        << "run on the offscreen screen of screen-1366x768.json";
    QTemporaryDir temp;
    RecordingDialogs dialogs;
    SyntheticCameraSource camera;
    TFrmPhotoDay window(dialogs, camera, temp.path() + '/');
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry()));
    if (auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("Scroller"))) {
        EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
    }
    const Ui::TFrmPhotoDay& controls = Controls(window);
    for (const QWidget* control :
         {static_cast<const QWidget*>(controls.cameraPlace), static_cast<const QWidget*>(controls.pictureBox),
          static_cast<const QWidget*>(controls.framedPreview), static_cast<const QWidget*>(controls.checksLabel),
          static_cast<const QWidget*>(controls.saveNextButton), static_cast<const QWidget*>(controls.handOverButton),
          static_cast<const QWidget*>(controls.cardsButton), static_cast<const QWidget*>(controls.keysLabel),
          static_cast<const QWidget*>(controls.cardStatusLabel),
          static_cast<const QWidget*>(controls.studentNoteLabel)}) {
        const QRect shown(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window.rect().contains(shown)) << control->objectName().toStdString();
    }
}

} // namespace
