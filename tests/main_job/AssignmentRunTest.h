#pragma once

#include "TestSite.h"

#include "main_window/AssignmentRun.h"
#include "platform/TADOQuery.h"

#include <gtest/gtest.h>

#include <memory>

// One test site and one query object per case, as the main window keeps one
// query object for all its runs.
class AssignmentRunTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;

    // Copies a shared test file into the photo folder; returns its name.
    QString AddPhoto(const QString& name, const QString& testDataFile);
    AssignmentInput Input(const QStringList& codes, const QStringList& photoNames) const;
    AssignmentOutcome Run(const AssignmentInput& input);
    QStringList SitePhotos() const;
    static QMap<QString, QString> Untouched(const QStringList& codes);

    std::unique_ptr<TestSite> site;
    std::unique_ptr<TADOQuery> query;
    QString photoFolder;
    QList<qsizetype> progress;
};
