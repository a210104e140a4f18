#include "assignment/checks/FaceSurvey.h"

#include "assignment/checks/DescriptorCache.h"
#include "assignment/plan/AssignmentPlan.h"
#include "faces/FaceDescriber.h"
#include "faces/FaceDetector.h"
#include "faces/ReducedPhoto.h"
#include "faces/TfjsWeights.h"
#include "picture/TBitmap.h"

#include <QFileInfo>
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

// A current photo as the cache knows it: read, its face or none.
SurveyedPhoto Cached(const RowFace& face)
{
    SurveyedPhoto look;
    look.read = true;
    look.portrait.faces = face ? 1 : 0;
    look.portrait.descriptor = face;
    return look;
}

// The site's descriptor cache for one survey: the site's photo files by
// hash, and the descriptors kept of them.
struct SiteDescriptors {
    bool kept = false; // whether the plan's site keeps a cache
    QHash<QString, QByteArray> fileHashes;
    DescriptorsByHash cache;

    SiteDescriptors(const AssignmentPlan& plan, const SurveySetup& setup)
        : kept(!setup.dataFolder.isEmpty() && !plan.site.journalName.isEmpty())
    {
        if (!kept)
            return;
        fileHashes = HashFolderFiles(plan.sitePhotoFolder);
        cache = ReadDescriptorCache(setup.dataFolder, plan.site.journalName);
    }
    // The hash of a file of the site's photo folder; empty when unknown.
    QByteArray HashOf(const QString& path) const
    {
        return kept ? fileHashes.value(QFileInfo(path).fileName()) : QByteArray();
    }
};

// Adds the current photos described to the cache, drops what the site's
// photo folder no longer holds, and writes it when that changed anything.
void KeepDescriptors(const AssignmentPlan& plan, const FaceSurvey& survey, SiteDescriptors& site,
                     const QString& dataFolder)
{
    bool changed = false;
    for (std::size_t i = 0; i < survey.currentPhotos.size(); ++i) {
        const PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
        const SurveyedPhoto& look = survey.currentPhotos[i];
        const QByteArray hash = site.HashOf(row.destination);
        if (row.destinationExists && look.read && !hash.isEmpty() && !site.cache.contains(hash)) {
            site.cache.insert(hash, look.portrait.descriptor);
            changed = true;
        }
    }
    const QList<QByteArray> inFolder = site.fileHashes.values();
    const QSet<QByteArray> present(inFolder.cbegin(), inFolder.cend());
    for (auto entry = site.cache.begin(); entry != site.cache.end();) {
        if (present.contains(entry.key())) {
            ++entry;
        } else {
            entry = site.cache.erase(entry);
            changed = true;
        }
    }
    if (changed)
        WriteDescriptorCache(dataFolder, plan.site.journalName, site.cache);
}

} // namespace

FaceSurvey SurveyFaces(const AssignmentPlan& plan, const SurveySetup& setup, const SurveyProgress& progress,
                       const std::atomic<bool>* stop)
{
    FaceSurvey survey;
    const std::size_t rows = static_cast<std::size_t>(plan.rows.size());
    survey.newPhotos.resize(rows);
    survey.currentPhotos.resize(rows);
    SiteDescriptors site(plan, setup);
    // The jobs: (row, whether its current photo).
    std::vector<std::pair<std::size_t, bool>> jobs;
    for (std::size_t i = 0; i < rows; ++i) {
        const PlanRow& row = plan.rows[static_cast<qsizetype>(i)];
        if (row.photo.kind != PhotoFacts::Kind::Unreadable)
            jobs.emplace_back(i, false);
        if (!row.destinationExists)
            continue;
        const QByteArray hash = site.HashOf(row.destination);
        if (!hash.isEmpty() && site.cache.contains(hash))
            survey.currentPhotos[i] = Cached(site.cache.value(hash));
        else
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
    if (site.kept && weights && (stop == nullptr || !stop->load()))
        KeepDescriptors(plan, survey, site, setup.dataFolder);
    return survey;
}
