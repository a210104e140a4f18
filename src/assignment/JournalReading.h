#pragma once

#include "assignment/JournalFormat.h"
#include "assignment/JournalRun.h"

#include <QByteArray>
#include <QList>
#include <QString>

class JournalStore;

// The site's runs as their journals (JournalFormat.h) tell them, oldest
// first. A journal that cannot be read is left out.
QList<JournalRun> JournalRuns(const JournalStore& store, const QString& installationFolder);

// Reads an old photo file of `run` back and checks it against its hash. Throws EJournalError.
QByteArray ReadOldPhoto(const JournalRun& run, const JournalEntry::SavedFile& saved);
