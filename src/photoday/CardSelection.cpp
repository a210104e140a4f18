#include "photoday/CardSelection.h"

#include <QSet>

CardSelection::CardSelection(const QStringList& roster)
{
    for (qsizetype i = 0; i < roster.size(); ++i)
        positions_.insert(roster[i].toCaseFolded(), i);
}

CardSelection::Seen CardSelection::Look(const QStringList& codes)
{
    Seen seen;
    QSet<QString> looked;
    for (const QString& code : codes) {
        const QString key = code.trimmed().toCaseFolded();
        if (key.isEmpty() || looked.contains(key))
            continue;
        looked.insert(key);
        const bool cameBack = !inView_.contains(key);
        inView_.insert(key, 0);
        if (!cameBack)
            continue; // still held up
        if (const auto found = positions_.constFind(key); found == positions_.cend())
            seen.strangers << code.trimmed();
        else if (!seen.student)
            seen.student = *found;
    }
    for (auto card = inView_.begin(); card != inView_.end();) {
        if (!looked.contains(card.key()) && ++card.value() >= kLooksToLeave)
            card = inView_.erase(card);
        else
            ++card;
    }
    return seen;
}
