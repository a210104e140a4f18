#include "assignment/checks/FaceSurvey.h"

#include "assignment/plan/AssignmentPlan.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/ReducedPhoto.h"
#include "faces/TfjsWeights.h"
#include "picture/TBitmap.h"

#include <QThread>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <thread>

namespace {

// Large enough to find a face of a twenty-fourth of the shorter side and to
// measure a portrait's face at about its size in a 120 x 180 photo.
constexpr std::int32_t kReducedShortSide = 480;

SurveyedPhoto Look(FaceDetector& detector, FaceDescriber* describer, const QString& path)
{
    SurveyedPhoto look;
    try {
        const ReducedPhoto photo = ReadReducedPhoto(std::filesystem::path(path.toStdU16String()), kReducedShortSide);
        look.portrait = describer != nullptr ? ExaminePortrait(detector, *describer, *photo.pixels, photo.upright)
                                             : ExaminePortrait(detector, *photo.pixels, photo.upright);
        if (photo.captureTime)
            look.captured = QDateTime::fromString(QString::fromStdString(*photo.captureTime).left(19),
                                                  QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        look.read = true;
    } catch (const std::exception&) {
        // Not a picture: the plan warns of it already.
    }
    return look;
}

// The descriptor network's weights, read once for every worker; nothing
// (and why, in `problem`) when the model cannot be used.
std::optional<NetworkWeights> DescriptorWeights(const SurveySetup& setup, QString& problem)
{
    try {
        return ReadTfjsWeights(setup.descriptorModel.empty() ? FaceDescriber::DefaultModelFile()
                                                             : setup.descriptorModel);
    } catch (const EFaceDescriberUnavailable& error) {
        problem = QString::fromStdString(error.what());
        return std::nullopt;
    }
}

} // namespace

FaceSurvey SurveyFaces(const AssignmentPlan& plan, const SurveySetup& setup, const SurveyProgress& progress,
                       const std::atomic<bool>* stop)
{
    FaceSurvey survey;
    const std::size_t rows = static_cast<std::size_t>(plan.rows.size());
    survey.newPhotos.resize(rows);
    survey.currentPhotos.resize(rows);
    // The jobs: (row, whether its current photo).
    std::vector<std::pair<std::size_t, bool>> jobs;
    for (std::size_t i = 0; i < rows; ++i) {
        const PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
        if (row.photo.kind != PhotoFacts::Kind::Unreadable)
            jobs.emplace_back(i, false);
        if (row.destinationExists)
            jobs.emplace_back(i, true);
    }
    const std::optional<NetworkWeights> weights = DescriptorWeights(setup, survey.notCompared);
    int threads = setup.threads > 0 ? setup.threads : std::max(1, QThread::idealThreadCount());
    threads = std::max(1, std::min<int>(threads, static_cast<int>(jobs.size())));

    std::atomic<std::size_t> next{0};
    std::atomic<qsizetype> done{0};
    std::atomic<std::size_t> described{0};
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads));
    auto work = [&](std::size_t worker) {
        try {
            FaceDetector detector(setup.cascadeFile);
            std::unique_ptr<FaceDescriber> describer;
            if (weights)
                describer = std::make_unique<FaceDescriber>(*weights);
            for (std::size_t j = next++; j < jobs.size(); j = next++) {
                if (stop != nullptr && stop->load())
                    return;
                const auto [i, current] = jobs[j];
                const PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
                SurveyedPhoto& look = (current ? survey.currentPhotos : survey.newPhotos)[i];
                look = Look(detector, describer.get(), current ? row.destination : row.source);
                if (look.portrait.descriptor)
                    ++described;
                const qsizetype count = ++done;
                if (progress)
                    progress(count, static_cast<qsizetype>(jobs.size()));
            }
        } catch (...) {
            failures[worker] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work, static_cast<std::size_t>(t));
    work(0);
    for (std::thread& worker : workers)
        worker.join();
    survey.described = described;
    for (const std::exception_ptr& failure : failures) {
        if (!failure)
            continue;
        try {
            std::rethrow_exception(failure);
        } catch (const EFaceDetectorUnavailable& error) {
            survey = FaceSurvey{};
            survey.unavailable = QString::fromStdString(error.what());
            return survey;
        }
    }
    return survey;
}
