// The face survey on real portraits (tests/data/jpeg/photos): each face
// described once, and the site's current photos' descriptors kept in the
// data folder, so that a second survey of a class describes only its new
// photos; a damaged cache is ignored, and a replaced photo's entry goes.
#include "assignment/checks/FaceSurvey.h"

#include "assignment/checks/DescriptorCache.h"
#include "assignment/plan/AssignmentPlan.h"
#include "faces/FaceDetector.h"
#include "files/PhotoHash.h"
#include "support/QtPrinters.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const QString kSiteName = QStringLiteral("0123456789abcdef");

class FaceSurveyCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temporary.isValid());
        ASSERT_TRUE(QDir().mkpath(SitePhotos()) && QDir().mkpath(Path("new")));
        plan.sitePhotoFolder = SitePhotos();
        plan.site.journalName = kSiteName;
        // Each student's current photo, and a new photo of the same person
        // (another photo of Obama; Biden and Hopper again, in grey).
        const std::pair<const char*, const char*> students[] = {
            {"obama.jpg", "obama2.jpg"}, {"biden.jpg", "derived_biden_gray.jpg"}, {"hopper.jpg", "hopper_gray.jpg"}};
        for (const auto& [current, fresh] : students) {
            PlanRow row;
            row.line = plan.rows.size() + 1;
            row.code = QStringLiteral("S%1").arg(row.line);
            row.source = Path("new/") + fresh;
            row.photo.kind = PhotoFacts::Kind::Jpeg;
            row.destination = SitePhotos() + row.code + ".jpg";
            row.destinationExists = true;
            WriteFile(row.source, ReadFile(TestDataPath(QStringLiteral("jpeg/photos/") + fresh)));
            WriteFile(row.destination, ReadFile(TestDataPath(QStringLiteral("jpeg/photos/") + current)));
            plan.rows << row;
        }
    }

    QString Path(const QString& name) const { return temporary.filePath(name); }
    QString SitePhotos() const { return Path("site/upload/StudentPhoto/"); }
    QString DataFolder() const { return Path("data"); }
    QString CacheFile() const { return DataFolder() + "/faces/" + kSiteName + "/descriptors.bin"; }

    FaceSurvey Survey() const
    {
        return SurveyFaces(plan, {.cascadeFile = FaceDetector::DefaultCascadeFile(),
                                  .descriptorModel = {},
                                  .threads = 2,
                                  .dataFolder = DataFolder()});
    }

    // The hashes the cache holds, and those of the site's photo files.
    QSet<QByteArray> CachedHashes() const
    {
        const std::optional<DescriptorsByHash> cache = DecodeDescriptors(ReadFile(CacheFile()));
        EXPECT_TRUE(cache);
        const QList<QByteArray> keys = cache ? cache->keys() : QList<QByteArray>();
        return {keys.cbegin(), keys.cend()};
    }
    QSet<QByteArray> SiteHashes() const
    {
        QSet<QByteArray> hashes;
        for (const QString& name : QDir(SitePhotos()).entryList(QDir::Files))
            hashes << PhotoHash(ReadFile(SitePhotos() + name));
        return hashes;
    }

    static void ExpectSameFaces(const FaceSurvey& a, const FaceSurvey& b)
    {
        ASSERT_EQ(a.currentPhotos.size(), b.currentPhotos.size());
        for (std::size_t i = 0; i < a.currentPhotos.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(a.currentPhotos[i].read && b.currentPhotos[i].read);
            EXPECT_EQ(a.currentPhotos[i].portrait.descriptor, b.currentPhotos[i].portrait.descriptor);
            EXPECT_EQ(a.newPhotos[i].portrait.descriptor, b.newPhotos[i].portrait.descriptor);
        }
    }

    QTemporaryDir temporary;
    AssignmentPlan plan;
};

TEST_F(FaceSurveyCache, ASecondSurveyDescribesOnlyTheNewPhotos)
{
    const FaceSurvey first = Survey();
    EXPECT_EQ(first.described, 6U); // three new photos and three current ones
    for (const SurveyedPhoto& photo : first.currentPhotos)
        EXPECT_TRUE(photo.portrait.descriptor);
    EXPECT_EQ(CachedHashes(), SiteHashes());

    const FaceSurvey second = Survey();
    EXPECT_EQ(second.described, 3U);
    ExpectSameFaces(second, first);

    // Without a data folder nothing is kept or taken.
    const FaceSurvey uncached = SurveyFaces(
        plan,
        {.cascadeFile = FaceDetector::DefaultCascadeFile(), .descriptorModel = {}, .threads = 1, .dataFolder = {}});
    EXPECT_EQ(uncached.described, 6U);
    ExpectSameFaces(uncached, first);
}

TEST_F(FaceSurveyCache, ADamagedCacheIsIgnoredAndWrittenAfresh)
{
    const FaceSurvey first = Survey();
    const QByteArray good = ReadFile(CacheFile());
    ASSERT_FALSE(good.isEmpty());
    QByteArray flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x10);
    const struct {
        const char* what;
        QByteArray bytes;
    } damages[] = {
        {"a number changed", flipped},
        {"cut short", good.first(good.size() - 100)},
        {"empty", QByteArray()},
        {"something else", QByteArray("SPFACES1 but not really")},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.what);
        WriteFile(CacheFile(), damage.bytes);
        EXPECT_FALSE(DecodeDescriptors(damage.bytes));
        const FaceSurvey again = Survey();
        EXPECT_EQ(again.described, 6U);
        ExpectSameFaces(again, first);
        EXPECT_EQ(CachedHashes(), SiteHashes());
    }
}

TEST_F(FaceSurveyCache, AReplacedPhotosEntryIsRemovedAndTheNewOneDescribed)
{
    Survey();
    const QByteArray before = PhotoHash(ReadFile(plan.rows[1].destination));
    ASSERT_TRUE(CachedHashes().contains(before));

    // A run replaced student 2's photo; and a photo without a face was put
    // in the site beside the students' (a child seen from behind).
    WriteFile(plan.rows[1].destination, ReadFile(TestDataPath("jpeg/photos/obama_and_biden.jpg")));
    WriteFile(SitePhotos() + "S4.jpg", ReadFile(TestDataPath("jpeg/photos/Portrait_6.jpg")));
    PlanRow noFace = plan.rows[2];
    noFace.line = 4;
    noFace.destination = SitePhotos() + "S4.jpg";
    plan.rows << noFace;

    const FaceSurvey after = Survey();
    EXPECT_EQ(after.described, 5U); // the four new photos and the replaced current one
    EXPECT_FALSE(after.currentPhotos[3].portrait.descriptor);
    EXPECT_EQ(CachedHashes(), SiteHashes());
    EXPECT_FALSE(CachedHashes().contains(before));

    // The photo without a face is kept as such: only the new photos are
    // described.
    const FaceSurvey last = Survey();
    EXPECT_EQ(last.described, 4U);
    EXPECT_TRUE(last.currentPhotos[3].read);
    EXPECT_FALSE(last.currentPhotos[3].portrait.descriptor);
}

#ifndef _WIN32
TEST_F(FaceSurveyCache, ALinkInPlaceOfTheCacheIsReplacedNeverFollowed)
{
    const QString outside = Path("outside.bin");
    WriteFile(outside, "not the cache's");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(CacheFile()).path()));
    std::filesystem::create_symlink(outside.toStdString(), CacheFile().toStdString());

    Survey();

    EXPECT_EQ(ReadFile(outside), QByteArray("not the cache's"));
    EXPECT_FALSE(QFileInfo(CacheFile()).isSymLink());
    EXPECT_EQ(CachedHashes(), SiteHashes());
}
#endif

} // namespace
