#pragma once

#include <QString>

// Blanks before or after a student code (spaces, tabs, the ideographic and
// the no-break space) that a spreadsheet or an editor left there: no one sees
// them in a list, yet the code names another file and may match no student.

bool HasBlankAround(const QString& code);

// The code with each ASCII blank (space, tab) before or after it shown as
// "␣"; the other blanks are left to ShownCode, which spells them out.
QString BlanksMarked(const QString& code);
