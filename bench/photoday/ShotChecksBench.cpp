// The photo day's checks of a grab, on one core (OpenCV's own threads off,
// as the programs run it):
//
//   shot_checks_bench [RUNS] [PORTRAIT]
//     the time to check a 1920 x 1080 camera frame of PORTRAIT (by default
//     tests/data/jpeg/photos/obama.jpg) against the student's site photo
//     (obama2.jpg as a 120 x 180 JPEG), the median and the slowest of RUNS
//     (20), once the site photo is described; a frame without a face; and
//     what loading the models and describing the site photo take once; and
//     the time to look for a student's card in such a frame (the card held
//     at arm's length, 4 pixels a module) and in one without a card.
//
//   shot_checks_bench --sharpness
//     the blur check's limit held against real photos: the labelled faces
//     (tests/data/faces) and the repository's portraits, each shown in a
//     1920 x 1080 frame at three sizes, as taken and out of focus by a
//     Gaussian of 1, 1.5 and 2 pixels of the saved photo: how many measure
//     under kBlurredSharpness, and the lowest and highest measures.
#include "LabelledFaces.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/OpenCvThreads.h"
#include "faces/PortraitExamination.h"
#include "faces/PortraitLimits.h"
#include "photoday/QrCodes.h"
#include "photoday/ShotExaminer.h"
#include "support/CameraFrames.h"
#include "support/CardImages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kPhotos = QStringLiteral(SP_TESTDATA_DIR "/jpeg/photos/");

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

int Timing(int runs, const QString& portrait)
{
    const QImage person(portrait);
    if (person.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(portrait));
        return 2;
    }
    QTemporaryDir folder;
    const QString sitePhoto = folder.filePath("site.jpg");
    QImage(kPhotos + "obama2.jpg")
        .scaled(120, 180, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)
        .copy(0, 0, 120, 180)
        .save(sitePhoto, "JPEG", 90);
    const auto frame = BitmapOf(CameraFrameShowing(person, 900));
    QImage wallImage(kCameraFrameSize, QImage::Format_RGB32);
    wallImage.fill(qRgb(128, 128, 128));
    const auto wall = BitmapOf(wallImage);

    QElapsedTimer timer;
    timer.start();
    ShotExaminer examiner(FaceDetector::DefaultCascadeFile(), FaceDescriber::DefaultModelFile());
    const double loading = Milliseconds(timer);
    timer.start();
    examiner.FaceOfSitePhoto(sitePhoto);
    const double describing = Milliseconds(timer);
    std::vector<double> withFace;
    std::vector<double> withoutFace;
    ShotVerdict verdict;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        verdict = examiner.Check(*frame, sitePhoto);
        withFace.push_back(Milliseconds(timer));
        timer.start();
        examiner.Check(*wall, sitePhoto);
        withoutFace.push_back(Milliseconds(timer));
    }
    std::printf("frame 1920 x 1080 of %s; verdict: %s\n", qPrintable(portrait),
                verdict.Passed() ? "passed" : qPrintable(verdict.problems.join(u'，')));
    std::printf("check per grab, ms: median %.1f, slowest %.1f (%d runs)\n", Median(withFace),
                *std::max_element(withFace.begin(), withFace.end()), runs);
    std::printf("check of a frame without a face, ms: median %.1f, slowest %.1f\n", Median(withoutFace),
                *std::max_element(withoutFace.begin(), withoutFace.end()));
    std::printf("once: loading the models %.1f ms, describing the site photo %.1f ms\n", loading, describing);

    QrCodeReader cards;
    const QImage shown = CameraFrameShowing(person, 900);
    const QImage holding = HoldingUp(shown, QrCardImage("2023010101", 4), {1500, 700});
    std::vector<double> withCard;
    std::vector<double> withoutCard;
    int read = 0;
    for (int run = 0; run < runs; ++run) {
        timer.start();
        read += cards.Read(holding) == QStringList{"2023010101"};
        withCard.push_back(Milliseconds(timer));
        timer.start();
        cards.Read(shown);
        withoutCard.push_back(Milliseconds(timer));
    }
    std::printf("a look for a card (at %d pixels across), ms: with a card median %.1f, slowest %.1f (read %d of %d); "
                "without median %.1f\n",
                QrCodeReader::kReadingLongSide, Median(withCard), *std::max_element(withCard.begin(), withCard.end()),
                read, runs, Median(withoutCard));
    return 0;
}

int Sharpness()
{
    FaceDetector detector;
    struct Photo {
        QImage image;
        QRgb wall;
    };
    std::vector<Photo> photos;
    for (std::size_t person = 0; person < kLabelledPeople; ++person) {
        for (std::size_t photo = 0; photo < kPhotosPerPerson; ++photo)
            photos.push_back(
                {QImage(QString::fromStdString(LabelledPhotoFile(person, photo).string())), qRgb(0, 0, 0)});
    }
    for (const char* name : {"obama.jpg", "obama2.jpg", "biden.jpg", "hopper.jpg", "derived_biden_gray.jpg"})
        photos.push_back({QImage(kPhotos + name), qRgb(128, 128, 128)});

    // Blur in pixels of the saved photo, where the framing makes the face 90 high.
    const double blurs[] = {0, 1, 1.5, 2};
    std::map<double, std::vector<double>> measures;
    for (const int height : {300, 500, 700}) {
        for (const Photo& photo : photos) {
            const QImage scaled =
                photo.image.convertToFormat(QImage::Format_RGB32).scaledToHeight(height, Qt::SmoothTransformation);
            const QImage asTaken = CameraFrameShowing(scaled, height, photo.wall);
            const QRect place((kCameraFrameSize.width() - scaled.width()) / 2,
                              (kCameraFrameSize.height() - scaled.height()) / 2, scaled.width(), scaled.height());
            double faceHeight = 0;
            for (const double blur : blurs) {
                const QImage frame = blur == 0 ? asTaken : BlurredAround(asTaken, place, blur * faceHeight / 90);
                const auto bitmap = BitmapOf(frame);
                const PortraitExamination look =
                    ExaminePortrait(detector, *bitmap, {bitmap->Width(), bitmap->Height()});
                if (look.faces == 0 || look.turn != FaceTurn::None)
                    break; // not found: the checks say so before any blur
                if (blur == 0)
                    faceHeight = look.faceHeight;
                measures[blur].push_back(look.sharpness);
            }
        }
    }
    std::printf("sharpness of faces in 1920 x 1080 frames (limit %.0f)\n", kBlurredSharpness);
    for (const auto& [blur, values] : measures) {
        const auto under = std::count_if(values.begin(), values.end(), [](double v) { return v < kBlurredSharpness; });
        std::printf(
            "  blur %.1f px: %zu faces, %td under the limit (%.1f %%), lowest %.0f, median %.0f, highest %.0f\n", blur,
            values.size(), under, 100.0 * static_cast<double>(under) / static_cast<double>(values.size()),
            *std::min_element(values.begin(), values.end()), Median(values),
            *std::max_element(values.begin(), values.end()));
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    KeepOpenCvOnCallingThreads(); // one core
    if (argc > 1 && std::string(argv[1]) == "--sharpness")
        return Sharpness();
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    return Timing(runs, argc > 2 ? QString::fromLocal8Bit(argv[2]) : kPhotos + "obama.jpg");
}
