// Every window and dialog of the tool on a screen scaled twice (ctest runs
// this binary with QT_SCALE_FACTOR=2): the offscreen screen of 800 x 600
// pixels is then 400 x 300 for the windows, smaller than each of them.
#include "assignment/plan/AssignmentPlan.h"
#include "faces/FaceDetector.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "platform/settings/InstallationFolderStore.h"
#include "support/RecordingDialogs.h"
#include "widgets/WindowControls.h"
#include "windows/capture/GetPic.h"
#include "windows/main/Form1.h"
#include "windows/main/ProofSheet.h"
#include "windows/photoday/PhotoDay.h"
#include "windows/resize/ModifyPic.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Shown, the window lies within the screen's free area, and each of
// `lastControls` (the buttons that end its work) can be scrolled into view.
void ExpectFitsAndReaches(QWidget& window, const QList<QWidget*>& lastControls)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << window.objectName().toStdString() << ": frame " << window.frameGeometry().width() << " x "
        << window.frameGeometry().height() << " at " << window.frameGeometry().x() << ", "
        << window.frameGeometry().y();
    for (QWidget* control : lastControls) {
        if (auto* scroller = window.findChild<QScrollArea*>(QStringLiteral("Scroller")))
            scroller->ensureWidgetVisible(control);
        const QRect shown = QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window.rect().contains(shown)) << control->objectName().toStdString();
    }
    window.hide();
}

TEST(WindowsFit, EveryWindowFitsAScreenScaledTwiceAndItsButtonsCanBeReached)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
    QTemporaryDir temp;
    RecordingDialogs dialogs;
    const InstallationFolderStore store = InstallationFolderStore::AtFile(temp.filePath("settings.conf"));
    TForm1 form(dialogs, store);
    ExpectFitsAndReaches(form, {Controls(form).Button5, Controls(form).Button3, Controls(form).undoButton});

    SyntheticCameraSource camera;
    TFrmGetPic capture(dialogs, camera, temp.path() + '/');
    const Ui::TFrmGetPic& captureControls = Controls(capture);
    ExpectFitsAndReaches(capture, {captureControls.Button9, captureControls.Button10, captureControls.photoDayButton});

    TFrmPhotoDay photoDay(dialogs, camera, temp.path() + '/', &capture);
    const Ui::TFrmPhotoDay& photoDayControls = Controls(photoDay);
    ExpectFitsAndReaches(photoDay, {photoDayControls.saveNextButton, photoDayControls.handOverButton,
                                    photoDayControls.cardsButton, photoDayControls.checksLabel,
                                    photoDayControls.keysLabel, photoDayControls.studentNoteLabel});

    TfrmPicture resize(dialogs, &form);
    ExpectFitsAndReaches(resize, {Controls(resize).Button1, Controls(resize).Button2});

    AssignmentPlan plan;
    for (int i = 1; i <= 40; ++i) {
        PlanRow row;
        row.line = i;
        row.code = QStringLiteral("S%1").arg(i);
        row.photoName = QStringLiteral("%1.jpg").arg(i);
        plan.rows << row;
    }
    TProofSheet sheet(plan, SurveyAndCheckFaces(FaceDetector::DefaultCascadeFile()));
    ExpectFitsAndReaches(sheet, {Controls(sheet).approveButton, Controls(sheet).cancelButton});
    EXPECT_TRUE(sheet.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

} // namespace
