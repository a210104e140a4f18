#pragma once

#include "export/ExportStudents.h"
#include "export/ExportSummary.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <stdexcept>

class TADOQuery;

// The student-register export: every student's photo framed, sized and
// written as the national student register takes it, named by ID number,
// by grade and class with one zip per class, and a list of what became of
// each student.

// The export was refused or could not be written; the message says why, for
// the user.
class EExportFailed : public std::runtime_error {
public:
    explicit EExportFailed(const QString& message) : std::runtime_error(message.toStdString()) { }
};

// The folder of the photo day's full-size originals in the day's folder.
inline const QString kOriginalsFolder = QStringLiteral("原图");

struct ExportRequest {
    QString installationFolder; // ending with its separator
    QString outFolder;          // made when missing; must be empty
    QStringList roster;         // the codes to export; empty: every student of the site
    // The photo day's folder: a student's original there (原图/CODE.jpg) is
    // the source before the site's photo. Empty: the site's photos only.
    QString photoDayFolder;
    QString schoolCode; // empty: the organization table's
    ExportColumns columns;
    std::filesystem::path faceModel;
};

// Called after each student: how many are done of how many.
using ExportProgress = std::function<void(qsizetype done, qsizetype total)>;

// Runs the export. The export folder must be empty or missing (it is never
// written over: EExportFailed before anything is read); files are written
// through the folder opened once, each to a new name and renamed into place
// (files/ReplaceFile.h). Throws EExportFailed, EWebConfigError, EDatabaseError,
// EFaceDetectorUnavailable.
ExportSummary RunRegisterExport(TADOQuery& query, const ExportRequest& request, const ExportProgress& progress = {});
