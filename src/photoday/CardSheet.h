#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class SiteStudents;

// What a student's card shows: a QR code of the student's code, the code,
// the name and the class (either may be empty where the site has none).
struct CardFace {
    QString code;
    QString name;
    QString className;
};

// The cards of a roster's students in roster order, named as the site knows
// them.
QList<CardFace> CardFacesOf(const QStringList& roster, const SiteStudents& students);

// The cards as one self-contained HTML page (UTF-8) to print on A4, three
// across and six down, cut along the dashed lines: each with its QR code
// drawn as vector modules (crisp at any printer's resolution), the code, the
// name and the class. `title` heads the page.
QByteArray CardSheetHtml(const QList<CardFace>& cards, const QString& title);
