#pragma once

#include "assignment/site/StudentCards.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

// How the day finds the roster's students on the site: their cards by code,
// or an exception whose message the user is shown.
using StudentLookup = std::function<QHash<QString, StudentCard>(const QStringList& codes)>;

// The roster's students as the site knows them, read once when the day
// starts, so that the photographer sees who should stand before the camera.
// The day does not need them: without them it goes on with the codes alone.
class SiteStudents {
public:
    // Nothing read.
    SiteStudents() = default;

    // The cards of `codes`, read with one call of `lookUp`. A lookup that
    // fails leaves them unread and keeps its message; without a lookup
    // nothing is read and nothing said.
    static SiteStudents Read(const StudentLookup& lookUp, const QStringList& codes);

    bool WereRead() const { return read_; }
    // The card of `code`; nullptr when the site has no row for it or nothing
    // was read.
    const StudentCard* Find(const QString& code) const;
    // The name the site gives `code`; empty when none.
    QString NameOf(const QString& code) const;
    // What the day tells the user when the lookup failed, its reason
    // included; empty otherwise.
    QString FailureMessage() const;

private:
    QHash<QString, StudentCard> cards_;
    bool read_ = false;
    QString failure_;
};
