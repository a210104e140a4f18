// A scripted photo day through its window with the synthetic camera giving
// 1920 x 1080 frames: STUDENTS students in roster order, every seventh one
// absent, one retake; each present student is grabbed (Space: the frame
// framed on its face and shown in the preview at once, the checks started in
// the background) and saved with Enter (which waits for the checks, then
// writes the photo and the frame). Checks that every saved file is the right
// student's (each student's frame carries its own tint, read back from the
// saved crop) and that no absent student has a file, and prints the tool's
// own times: from the grab to the framed preview, and from Enter to the
// window showing the next student (which includes showing that student's
// name and current photo on the site: every other student has one).
//
//   photo_day_bench [STUDENTS] [PORTRAIT.jpg] [SCREENSHOT.png]
//
// With SCREENSHOT the window is photographed at the third student, framed
// and not yet saved.
//
// Run it under xvfb-run or with QT_QPA_PLATFORM=offscreen. Exit 0 when no
// file is misnamed.
#include "assignment/input/Roster.h"
#include "assignment/views/Thumbnail.h"
#include "faces/OpenCvThreads.h"
#include "photoday/PhotoDaySession.h"
#include "platform/camera/SyntheticCameraSource.h"
#include "widgets/Dialogs.h"
#include "widgets/WindowControls.h"
#include "windows/photoday/PhotoDay.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Answers the roster and folder questions and counts the messages.
class ScriptedDialogs final : public Dialogs {
public:
    using Dialogs::ChooseFile;
    using Dialogs::Confirm;
    using Dialogs::ShowMessage;
    void ShowMessage(const QString& text, const QString&) override { messages << text; }
    // The questions asked of shots with problems: saved all the same.
    bool Confirm(const QString&, const QString&, const QString&) override
    {
        ++questions;
        return true;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString&) override { return folder; }
    QString ChooseFile(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QStringList ChooseFiles(QWidget*, const QString&, const QString&) override { return {}; }

    QString folder;
    QString file;
    QStringList messages;
    int questions = 0;
};

// The student's tint: the blue channel of the whole frame.
int BlueOf(int student)
{
    return 20 + 7 * student;
}

double MeanBlue(const QImage& photo)
{
    double sum = 0;
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x)
            sum += qBlue(photo.pixel(x, y));
    }
    return sum / (static_cast<double>(photo.width()) * photo.height());
}

QImage FrameOf(const QImage& portrait, int student)
{
    QImage frame = portrait.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            line[x] = qRgb(qRed(line[x]), qGreen(line[x]), BlueOf(student));
    }
    return frame;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    KeepOpenCvOnCallingThreads(); // as the program runs it
    const int students = argc > 1 ? std::atoi(argv[1]) : 30;
    const QString portraitFile =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(SP_TESTDATA_DIR "/jpeg/photos/obama.jpg");
    // A camera's 1920 × 1080 frame: the portrait in the middle, as a student
    // stands before a grey wall.
    const QImage person = QImage(portraitFile).scaledToHeight(900, Qt::SmoothTransformation);
    if (person.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(portraitFile));
        return 2;
    }
    QImage portrait(1920, 1080, QImage::Format_RGB32);
    portrait.fill(qRgb(128, 128, 128));
    {
        QPainter painter(&portrait);
        painter.drawImage((1920 - person.width()) / 2, 90, person);
    }

    const QString screenshot = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    QTemporaryDir work;
    QStringList codes;
    for (int i = 0; i < students; ++i)
        codes << QStringLiteral("2024%1").arg(i + 1, 4, 10, QChar('0'));
    // The site's students: a name each, and every other one last year's photo.
    const QString lastYear = work.filePath("last-year.jpg");
    person.scaled(120, 180, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
        .copy(0, 0, 120, 180)
        .save(lastYear, "JPEG", 85);
    QHash<QString, StudentCard> site;
    for (int i = 0; i < students; ++i)
        site.insert(codes[i], {QStringLiteral("学生%1").arg(i + 1), i % 2 == 0 ? lastYear : QString()});
    QFile roster(work.filePath("roster.txt"));
    roster.open(QIODevice::WriteOnly);
    roster.write(codes.join("\r\n").toUtf8());
    roster.close();

    ScriptedDialogs dialogs;
    dialogs.file = roster.fileName();
    dialogs.folder = work.filePath("day");
    SyntheticCameraSource camera(FrameOf(portrait, 0));
    TFrmPhotoDay window(dialogs, camera, work.path() + '/');
    Ui::TFrmPhotoDay& controls = Controls(window);
    window.UseRosterReader(ReadRoster);
    window.UseStudentLookup([&site](const QStringList&) { return site; });
    window.UseThumbnails(MakeThumbnail);
    window.StartDay();
    if (!window.Day()) {
        std::fprintf(stderr, "the photo day did not start: %s\n", qPrintable(dialogs.messages.join('\n')));
        return 2;
    }
    // The keys are the window's shortcuts: they need it active, as it is
    // under the user's hands.
    window.activateWindow();
    if (!QTest::qWaitForWindowExposed(&window) || !QTest::qWaitForWindowActive(&window)) {
        std::fprintf(stderr, "the window did not become active\n");
        return 2;
    }

    const auto absent = [](int student) { return student % 7 == 6; };
    const int retaken = students / 2;
    std::vector<double> toPreview;
    std::vector<double> toNext;
    int asked = 0;
    QElapsedTimer timer;
    for (int student = 0; student < students; ++student) {
        if (absent(student)) {
            QTest::keyClick(&window, Qt::Key_S);
            continue;
        }
        const int takes = student == retaken ? 2 : 1;
        for (int take = 0; take < takes; ++take) {
            if (take == 1)
                QTest::keyClick(&window, Qt::Key_Backspace); // 重拍: back to this student
            camera.SetFrame(FrameOf(portrait, student));
            timer.start();
            QTest::keyClick(&window, Qt::Key_Space);
            toPreview.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            if (student == 2 && !screenshot.isEmpty()) {
                QTest::qWait(500); // the window laid out and painted, the checks shown, as the user sees it
                window.grab().save(screenshot);
            }
            const int questionsBefore = dialogs.questions;
            timer.start();
            QTest::keyClick(&window, Qt::Key_Return);
            toNext.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
            asked += dialogs.questions - questionsBefore;
        }
    }
    QTest::mouseClick(controls.handOverButton, Qt::LeftButton);

    // Every file must be its own student's, and an absent student has none.
    int misnamed = 0;
    int saved = 0;
    for (int student = 0; student < students; ++student) {
        const QString file = dialogs.folder + '/' + codes[student] + ".jpg";
        const QImage photo(file);
        if (absent(student)) {
            misnamed += QFile::exists(file);
            continue;
        }
        ++saved;
        // The tint read back as the mean blue of the 120 × 180 JPEG photo,
        // which its compression keeps where single pixels drift.
        const bool right =
            !photo.isNull() && photo.size() == QSize(120, 180) && std::abs(MeanBlue(photo) - BlueOf(student)) <= 2;
        if (!right) {
            ++misnamed;
            std::fprintf(stderr, "wrong or missing: %s\n", qPrintable(file));
        }
    }
    const int filesThere = static_cast<int>(QDir(dialogs.folder).entryList({"*.jpg"}, QDir::Files).size());
    misnamed += filesThere - saved > 0 ? filesThere - saved : 0;

    std::printf("students %d, photographed %d, absent %d, retakes 1, files %d, misnamed %d, shots with problems %d\n",
                students, saved, students - saved, filesThere, misnamed, asked);
    std::printf("grab to framed preview (1920 x 1080 frame), ms: median %.1f, slowest %.1f\n", Median(toPreview),
                *std::max_element(toPreview.begin(), toPreview.end()));
    std::printf("Enter to the next student (waiting for the checks, saving photo and frame), ms: median %.1f, slowest "
                "%.1f\n",
                Median(toNext), *std::max_element(toNext.begin(), toNext.end()));
    std::printf("last message: %s\n", qPrintable(dialogs.messages.value(dialogs.messages.size() - 1)));
    return misnamed == 0 ? 0 : 1;
}
