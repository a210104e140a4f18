#pragma once

#include "export/ExportPlan.h"
#include "export/ExportStudents.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What an export did, student by student.

// What became of one student.
struct ExportLine {
    ExportStudent student;
    ExportOutcome outcome = ExportOutcome::Exported;
    QString detail;        // why, where the outcome alone does not say
    QString file;          // the photo's path under the export folder, when written
    QString source;        // the photo it was made from
    bool original = false; // the source is the photo day's original
    int quality = 0;
    bool lightBlueBackground = true;
};

struct ExportSummary {
    QList<ExportLine> lines;
    QStringList zips; // paths under the export folder
    QString schoolCode;

    qsizetype Count(ExportOutcome outcome) const;
    qsizetype BackgroundWarnings() const;
    // The summary as the user reads it: one line per count, then each
    // student not exported (and each background warning) on a line.
    QString Text() const;
};

// The list's file in the export folder.
inline const QString kExportListName = QStringLiteral("导出清单.csv");

// The list as a CSV file for Excel: UTF-8 with a byte-order mark, CRLF line
// ends, every field quoted; long numbers (ID numbers, codes) written so that
// Excel keeps every digit.
QByteArray ExportListCsv(const ExportSummary& summary);
