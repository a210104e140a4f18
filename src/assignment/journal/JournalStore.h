#pragma once

#include "files/FolderHandle.h"

#include <QString>

struct SiteIdentity;

// How much of the past the journals keep (JournalPruning.h).
struct JournalLimits {
    int runsPerSite = 20;
    qint64 totalBytes = qint64(2) << 30; // all sites together
    // How long a run or undo waits for another of the same site to end (SiteLock.h).
    int lockWaitMs = 5000;
};

// Whether opening a site's journal folder makes it, and the folders above
// it, when they are missing.
enum class JournalsFolder { Create, MustExist };

// Where the journals of every site lie: one data folder (JournalFormat.h
// draws what is under it), and how much of it pruning keeps.
class JournalStore {
public:
    explicit JournalStore(QString dataFolder, JournalLimits limits = {});

    // "student-photo" in the user's local data folder, shared by the window
    // and the command line (the programs take another from
    // STUDENT_PHOTO_DATA, ProgramSettings.h).
    static QString DefaultDataFolder();
    const QString& DataFolder() const { return dataFolder_; }
    const JournalLimits& Limits() const { return limits_; }

    // journal/ in the data folder: a folder per site.
    QString JournalsPath() const;
    // The folder of one site's runs, by its name there (SiteIdentity::journalName).
    QString SiteFolder(const QString& siteName) const;
    QString SiteFolder(const SiteIdentity& site) const;

    // The folder of one site's journals, opened without following a link
    // out of the data folder. Throws EJournalError.
    FolderHandle OpenSiteJournals(const QString& siteName, JournalsFolder folder) const;
    FolderHandle OpenSiteJournals(const SiteIdentity& site, JournalsFolder folder) const;

private:
    QString dataFolder_;
    JournalLimits limits_;
};
