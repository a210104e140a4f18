#pragma once

#include "assignment/journal/JournalFormat.h"
#include "files/FolderHandle.h"

#include <QString>

#include <stdexcept>

class JournalStore;
struct SiteIdentity;

// Another run or undo of the same site holds the lock; what() names its
// start and its computer, for the user.
class ESiteBusy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The site's lock entry is there but is no plain file (a link, a folder, a
// named pipe): the lock cannot be taken, and whether another run holds it
// cannot be told. what() names the entry and what to do, for the user.
class ESiteLockUnusable : public EJournalError {
public:
    using EJournalError::EJournalError;
};

// One run or undo at a time per site: an exclusive lock on the file "lock"
// in the site's journal folder, held as long as the object lives. The
// system lifts it when the process ends, however it ends, so a crashed run
// never blocks the next. The holder writes its start and computer into the
// file for whoever has to wait.
class SiteLock {
public:
    // Waits up to the store's lock wait for the lock. Throws ESiteBusy when
    // another holds it still, ESiteLockUnusable when the entry is no plain
    // file, EJournalError when the file cannot be made.
    static SiteLock Take(const JournalStore& store, const SiteIdentity& site);
    // The lock of the site whose journal folder is `siteName`, without
    // waiting; an empty object (Held() false) when another holds it.
    static SiteLock TryTake(const JournalStore& store, const QString& siteName);

    bool Held() const { return file_.IsOpen(); }

private:
    FileHandle file_;
};
