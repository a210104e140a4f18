#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>

struct AssignmentPlan;

// The proof sheet file could not be written.
class EProofSheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The plan as one self-contained HTML page (UTF-8) for a class teacher to
// check and sign: the site, the counts and warnings, then one table row per
// student, rows with warnings first, with the new photo and the student's
// present photo embedded as data: URIs, laid out to print on A4.
QByteArray ProofSheetHtml(const AssignmentPlan& plan);

// Writes ProofSheetHtml to `path`, replacing the file in one step. Throws EProofSheetError.
void WriteProofSheet(const AssignmentPlan& plan, const QString& path);
