#pragma once

#include "assignment/journal/JournalFormat.h"
#include "assignment/journal/JournaledRun.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class JournalStore;
struct SiteIdentity;

// The site's runs as their journals (JournalFormat.h) tell them, oldest
// first. Only regular files of a sane size are read, through folders that
// are no links out of the data folder; a journal that cannot be read, or is
// damaged, is listed with what is wrong (JournaledRun::unusable, problems and
// each student's damage).
QList<JournaledRun> JournalRuns(const JournalStore& store, const SiteIdentity& site);

// Reads every old photo file `run` keeps and marks the students whose saved
// file does not match its record as damaged.
void CheckOldPhotos(JournaledRun& run);

// Reads an old photo file of `run` back and checks it against its hash. Throws EJournalError.
QByteArray ReadOldPhoto(const JournaledRun& run, const JournalEntry::SavedFile& saved);

// The site's runs removed to make room, as "2024-01-15 10:30:12 的设置（删除于 …）".
QStringList PrunedRuns(const JournalStore& store, const SiteIdentity& site);
