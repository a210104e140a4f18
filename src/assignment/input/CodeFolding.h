#pragma once

#include <QString>

// Student codes as the database compares them. The usual collations of
// Chinese SQL Server databases ignore letter case and width: "２０２３" (full
// width) and "2023" name one student, and so do codes that differ only in
// the blanks Chinese input methods type (U+3000, the no-break space) or in
// Unicode's two forms of one accented letter.

// The code folded: Unicode compatibility normalisation (NFKC: full-width
// digits and letters become ASCII, U+3000 a blank), every other Unicode
// blank an ASCII blank, letter case folded.
QString FoldedCode(const QString& code);

// Two codes of one roster name one student when these keys are equal: the
// folded code without blanks at either end.
QString DuplicateCodeKey(const QString& code);

// True when a code matches its student only after folding beyond letter
// case: full-width characters, unusual blanks, a decomposed letter.
bool CodeNeedsFolding(const QString& code);

// Two codes name the same student when their keys are equal: SQL Server's
// usual collations compare without regard to letter case, width or trailing
// blanks (CodeFolding.h), and Windows file names without regard to letter case.
QString StudentCodeKey(const QString& code);
