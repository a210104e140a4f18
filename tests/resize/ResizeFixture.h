#pragma once
// The batch resize's tests: a source and a target folder in a temporary
// folder, photos copied from the shared test data, jobs into the target.

#include "faces/OpenCvThreads.h"
#include "resize/BatchResize.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

class BatchResizeTest : public ::testing::Test {
protected:
    // As the programs run the resize: its workers alone do the face searches.
    static void SetUpTestSuite() { KeepOpenCvOnCallingThreads(); }

    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(temp.path()).mkpath("source"));
        ASSERT_TRUE(QDir(temp.path()).mkpath("目标"));
    }

    QString Source() const { return temp.filePath("source") + '/'; }
    QString Target() const { return temp.filePath("目标") + '/'; }

    // Copies a shared test photo into the source folder under `name`.
    void AddPhoto(const QString& testDataName, const QString& name)
    {
        ASSERT_TRUE(QFile::copy(TestDataPath(testDataName), Source() + name)) << name.toStdString();
    }

    // Several cases run one job after another into the target: the later
    // runs replace the earlier outputs.
    BatchResizeJob Job(QStringList names, int width = 120, int height = 180) const
    {
        BatchResizeJob job{Source(), std::move(names), Target(), width, height};
        job.overwrite = true;
        return job;
    }

    // The same writing BMP data, which holds the drawn pixels exactly: for
    // holding them against djpeg's decoding.
    BatchResizeJob BmpJob(QStringList names, int width = 120, int height = 180) const
    {
        BatchResizeJob job = Job(std::move(names), width, height);
        job.format = ResizeOutputFormat::Bmp;
        return job;
    }

    // The sizes of the target's files added up, as the success message gives them.
    std::uint64_t TargetBytes() const
    {
        std::uint64_t bytes = 0;
        for (const QFileInfo& file : QDir(Target()).entryInfoList(QDir::Files))
            bytes += static_cast<std::uint64_t>(file.size());
        return bytes;
    }

    QStringList TargetFiles() const
    {
        return QDir(Target()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Runs `job` expecting it to fail and returns the failure.
    EResizeFailed RunExpectingFailure(const BatchResizeJob& job)
    {
        try {
            RunBatchResize(job);
        } catch (const EResizeFailed& failure) {
            return failure;
        }
        ADD_FAILURE() << "the run did not fail";
        return EResizeFailed({}, -1);
    }

    QTemporaryDir temp;
};
