#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class TADOQuery;

// Who a code is on the site, for the photographer who checks that the right
// student stands in front of the camera.
struct StudentCard {
    QString name;           // empty where the table has no name column or the row no name
    QString currentPhoto;   // the file of the student's photo on the site; empty: none
    QString className = {}; // empty where the table has no class column or the row no class
};

// The cards of the students with these codes on the site installed in
// `installationFolder` (ending with its separator): its Web.config, its
// database (the name and class columns as FindColumn finds them for the
// settings `nameColumn` and `classColumn`) and its photo folder. Codes
// without a row in the table are absent from the result. Only reads. Throws
// EWebConfigError or EDatabaseError.
QHash<QString, StudentCard> ReadStudentCards(TADOQuery& query, const QString& installationFolder,
                                             const QStringList& codes, const QString& nameColumn = {},
                                             const QString& classColumn = {});
