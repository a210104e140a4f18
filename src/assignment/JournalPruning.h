#pragma once

#include <QString>
#include <QStringList>

class JournalStore;

// Removes the oldest runs beyond the store's limits (per site, then all
// sites together), never `keepId`. Returns the removed runs as "time（site）".
QStringList PruneJournals(const JournalStore& store, const QString& keepId);
