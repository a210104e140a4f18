#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TADOQuery;

// A student as the export needs one, read from the site.
struct ExportStudent {
    QString code;     // studentcode, as the table holds it
    QString name;     // empty where the table has no name column
    QString idNumber; // the ID card number, trimmed; empty: none
    QString grade;    // trimmed; empty: none
    QString klass;    // the class, trimmed; empty: none
    QString photo;    // the student's photo file on the site; empty: none
};

// The settings that name the site's columns (InstallationFolderStore): each
// empty to look for the usual names (ColumnCandidates, StudentRows.h).
struct ExportColumns {
    QString name;
    QString idNumber;
    QString grade;
    QString klass;
};

// What the site holds for the export.
struct ExportSite {
    QList<ExportStudent> students; // in the order of the roster, or of the codes
    QStringList notOnSite;         // roster codes the table has no row for
    QString schoolCode;            // from the organization table; empty: none
};

// Reads the students of the site installed in `installationFolder` (ending
// with its separator): every row of studentbaseinfo, or with `roster` only
// the rows of its codes (matched as the database matches codes), with the
// photo each has on the site. The school's identification code comes from
// the organization table's column xxbsm, schoolcode, 学校标识码 or code,
// where it has one. Only reads. Throws EWebConfigError or EDatabaseError.
ExportSite ReadExportSite(TADOQuery& query, const QString& installationFolder, const ExportColumns& columns,
                          const QStringList& roster = {});
