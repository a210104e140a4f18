#pragma once

#include <QString>
#include <QStringList>

class JournalStore;

// Removes the oldest runs beyond the store's limits (per site, then all
// sites together), never `keepId`, and never a run of a site whose lock
// another run or undo holds (the caller holds its own site's lock:
// `ownSiteName`). Each site keeps a note of its runs removed, for its next
// "runs". Returns the removed runs as "time（site）".
QStringList PruneJournals(const JournalStore& store, const QString& keepId, const QString& ownSiteName);
