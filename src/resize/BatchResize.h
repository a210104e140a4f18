#pragma once

#include "picture/DisplayColorDepth.h"
#include "resize/PhotoFit.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <stop_token>

// The batch resize: every picture of a list is loaded by its extension, drawn
// (by its fit mode and sampling) onto one width-by-height surface and saved
// from there, in list order, as 001.jpg, 002.jpg … in the target folder: as
// JPEG at quality 90, or as BMP data under those names for a site that
// relies on it. The resize window and the command line both run it.

// What the user is told, by the window in a message box and by the command line.
inline const QString kResizeNoFolderMessage = QStringLiteral("没有选择图片路径");
inline const QString kResizeSucceededMessage = QStringLiteral("图片大小调整成功！");
inline const QString kResizeFailedMessage = QStringLiteral("片大小调整失败，请确认文件是否正确！");

// The fit modes as the window lists them and the command line names them.
struct FitModeChoice {
    FitMode mode;
    const char* option;
    QString caption;
};
inline const FitModeChoice kFitModes[] = {
    {FitMode::Stretch, "stretch", QStringLiteral("拉伸")},
    {FitMode::Crop, "crop", QStringLiteral("裁剪")},
    {FitMode::Face, "face", QStringLiteral("人脸")},
};
std::optional<FitMode> FitModeFromOption(const QString& option);

// The samplings as the command line names them.
struct SamplingChoice {
    Sampling sampling;
    const char* option;
};
inline const SamplingChoice kSamplings[] = {{Sampling::Exact, "exact"}, {Sampling::Smooth, "smooth"}};
std::optional<Sampling> SamplingFromOption(const QString& option);

// What the outputs hold. Their names end in .jpg either way.
enum class ResizeOutputFormat {
    Jpeg, // JPEG at quality 90 (picture/JpegWriter.h): about 8 KB a 120 x 180 photo
    Bmp,  // BMP data at the display's depth, 86 KB a 120 x 180 photo at 32 bits, for a site that relies on it
};

// The formats as the window lists them and the command line names them.
struct OutputFormatChoice {
    ResizeOutputFormat format;
    const char* option;
    QString caption;
};
inline const OutputFormatChoice kOutputFormats[] = {
    {ResizeOutputFormat::Jpeg, "jpeg", QStringLiteral("JPEG")},
    {ResizeOutputFormat::Bmp, "bmp", QStringLiteral("BMP")},
};
std::optional<ResizeOutputFormat> OutputFormatFromOption(const QString& option);

struct BatchResizeJob {
    QString sourceFolder; // folder string (FolderString.h) the names are appended to
    QStringList names;    // bare file names, in the order they are numbered
    QString targetFolder; // folder string the outputs are written into
    std::int32_t width = 120;
    std::int32_t height = 180;
    FitMode fit = FitMode::Stretch;
    // Threads decoding and drawing; 0 for one per processor core.
    int workers = 0;
    // The outputs' depth: the depth of the surfaces they are drawn on.
    DisplayColorDepth displayDepth = {};
    // Whether outputs may replace pictures already in the target folder.
    bool overwrite = false;
    // Face mode: the face detector's model file; empty for the running
    // program's own (FaceDetector::DefaultCascadeFile).
    std::filesystem::path faceModel = {};
    // How the outputs' pixels are taken; unset, the fit mode's default
    // (DefaultSampling: exact for stretch, smooth for crop and face).
    std::optional<Sampling> sampling = std::nullopt;
    ResizeOutputFormat format = ResizeOutputFormat::Jpeg;
};

// What a run that ended without failing has to tell.
struct BatchResizeReport {
    // Face mode: the pictures in which no face was found, which were cropped
    // as crop mode crops them.
    QStringList withoutFace;
    // Face mode whose face detector could not be loaded: why (naming the
    // model file). Every picture was then cropped as crop mode crops it.
    QString faceModelProblem;
    int written = 0;                // outputs written, 001.jpg on
    std::uint64_t bytesWritten = 0; // their sizes added up
    bool stopped = false;           // a stop request ended the run before the end of the list
    int peakInFlight = 0;           // the most pictures ever in hand or waiting to be written
};

// The success message, then how many outputs were written and their size
// ("共 3 张，25.9 KB"), then in face mode a line naming the pictures without
// a face, or saying that all were cropped for want of the model.
QString ResizeSucceededText(const BatchResizeReport& report);

// A size in bytes as the messages give it: "8.6 KB" below 10 KB, "258 KB"
// below a megabyte, "24.3 MB" from there on (1 KB = 1024 bytes).
QString ByteSizeText(std::uint64_t bytes);

// The source or the target folder was not chosen; nothing was done.
class EResizeFoldersNotChosen : public std::runtime_error {
public:
    EResizeFoldersNotChosen();
};

// The run stopped at its first failure, or was refused before it began.
// what() is the message the user sees first; Cause() says what went wrong
// and with which picture, in Chinese, to follow it (ResizeFailureText).
// Outputs written before the failure stay in place.
class EResizeFailed : public std::runtime_error {
public:
    EResizeFailed(QString cause, int sequenceNumber);
    const QString& Cause() const { return cause_; }
    // The picture the run stopped at (1 for the first); 0 when it stopped
    // before the first picture.
    int SequenceNumber() const { return sequenceNumber_; }

private:
    QString cause_;
    int sequenceNumber_;
};

// The target folder holds pictures that the run would replace, and the job
// does not allow it; nothing was done.
class EResizeWouldOverwrite : public std::runtime_error {
public:
    explicit EResizeWouldOverwrite(QStringList existing);
    const QStringList& Existing() const { return existing_; }

private:
    QStringList existing_;
};

// The message box text of a failure: the fixed first line, then the cause.
QString ResizeFailureText(const QString& cause);

// Told once with 0 before the first picture, then with n (1, 2 …) before the
// n-th output is saved; `total` is the length of the list. Always on the
// thread that runs the job.
using ResizeProgress = std::function<void(int sequenceNumber, int total)>;

// The output name of the n-th picture of a run (n from 1): three digits with
// leading zeros up to 999 (001.jpg … 999.jpg), then the plain number
// (1000.jpg, 1001.jpg …), so that no name of a run is used twice.
QString ResizeOutputName(int sequenceNumber);

// The names of the first `count` outputs of a run, in order.
QStringList ResizeOutputNames(int count);

// The largest width or height a run makes.
inline constexpr std::int32_t kMaxSideLength = 10000;

// The whole number a size field holds (blanks around it allowed), or nothing
// when the text is not a whole number from 1 to kMaxSideLength.
std::optional<std::int32_t> ParseSideLength(const QString& text);

// What is wrong with a size field's text, for the user: "图片宽度“abc”不是 1
// 到 10000 之间的整数". `side` is "宽度" or "高度".
QString SideLengthProblem(const QString& side, const QString& text);

// The outputs of `job` that would replace files already in the target folder.
QStringList OutputsThatExist(const BatchResizeJob& job);

// The checks RunBatchResize makes up front, but for what the target already
// holds: folders chosen, the size, the target outside the source. Throws as
// RunBatchResize does.
void CheckResizeJob(const BatchResizeJob& job);

// Runs the job. Worker threads each read a file into a buffer they reuse,
// decode and draw it onto their own white width-by-height surface at the
// display colour depth and make the output's bytes (JPEG or BMP); the calling
// thread writes the outputs in list order, with exactly the names and bytes
// of a one-thread run. Each output is written beside its name and renamed
// over it, through the target folder opened once (files/ReplaceFile.h), so
// a link at an output's name is replaced by the picture, never written
// through. At most two pictures per worker are in hand or waiting, and nothing of
// a picture is kept once it is drawn, so memory stays flat however long the
// list. A stop request ends the run after the output being written; the
// outputs before it stay.
//
// Throws EResizeFoldersNotChosen when a folder string is empty;
// EResizeWouldOverwrite when outputs would replace files already in the
// target and the job does not allow it; and EResizeFailed when a side is not
// from 1 to kMaxSideLength, the target folder is the source folder or lies
// inside it (the outputs would replace the originals or mix with them), the
// surface would exceed the picture component's grid limit, or any picture
// cannot be loaded, decoded, drawn or saved (an empty file, or one without
// pixels, among them: it would give a white picture): the first such picture in list
// order ends the run, the outputs before it stay and none after it is
// written. Every check that can be made up front is made before any file is
// written. Face mode whose detector cannot be loaded (its model missing or
// damaged) is no failure: the run crops every picture and reports why.
BatchResizeReport RunBatchResize(const BatchResizeJob& job, const ResizeProgress& progress = {},
                                 std::stop_token stop = {});
