#pragma once

#include "files/FolderHandle.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// The session cannot start or its progress cannot be kept; the message
// (Chinese, for the user) says why.
class EPhotoDayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A photo day: the students of a roster photographed in roster order, each
// student's framed photo saved as CODE.jpg in an output folder and the
// camera's whole frame beside it as 原图/CODE.jpg. The session knows who is
// next, who is done and who was absent, and keeps that, with both files of
// every student photographed, in a small file in the output folder after
// every step, so that a closed window or a crash resumes where it stopped.
//
// Every file is written through the folder opened once, by name within it,
// never through a link: a link planted at the progress file, a photo or the
// originals' folder can lead nothing of the day elsewhere.
class PhotoDaySession {
public:
    enum class State { Waiting, Done, Absent };

    // What was saved for a photographed student.
    struct SavedPhoto {
        QString photo;    // the framed photo, relative to the output folder: CODE.jpg
        QString original; // the camera's frame: 原图/CODE.jpg
        QDateTime taken;  // when the frame was grabbed
        // The checks' problems the photographer chose to save it with.
        QStringList problems;
    };

    // The file in the output folder that keeps the progress.
    static const QString kSessionFileName;
    // The folder in the output folder that keeps the camera's frames.
    static const QString kOriginalsFolderName;

    // Starts the session of `codes` in `outputFolder` (created when missing),
    // or resumes the one its progress file holds for the same roster; a
    // student recorded as done whose photo is no longer there waits again.
    // Throws EPhotoDayError for an empty roster, a code that cannot be a
    // file name or that is there twice (letter case aside, as file names
    // are), a folder that cannot be made or opened, a progress file that is
    // a link, a folder or anything but a file, one that cannot be read, or
    // one that belongs to another roster (nothing is overwritten).
    PhotoDaySession(const QStringList& codes, const QString& outputFolder);

    qsizetype Count() const { return codes_.size(); }
    // The student being photographed, from 0; Count() when the end was reached.
    qsizetype Position() const { return position_; }
    bool AtEnd() const { return position_ >= codes_.size(); }
    // Whether the progress file held progress when the session started.
    bool Resumed() const { return resumed_; }

    const QStringList& Codes() const { return codes_; }
    QString Code(qsizetype student) const { return codes_.at(student); }
    State StateOf(qsizetype student) const { return states_.at(student); }
    // What was saved for the student; nothing unless they are done.
    std::optional<SavedPhoto> SavedPhotoOf(qsizetype student) const;
    // Where the student's photo is saved: CODE.jpg in the output folder.
    QString PhotoPath(qsizetype student) const;
    // Where the camera's frame is saved: 原图/CODE.jpg in the output folder.
    QString OriginalPath(qsizetype student) const;
    QString OutputFolder() const { return folderPath_; }

    // Saves the current student's photo and the camera's frame it was
    // framed from (the files' bytes), replacing what an earlier take left,
    // the frame first, and records them: done, and on to the next. Throws
    // EPhotoDayError, and the day stays with the student, when a file cannot
    // be written. Nothing at the end of the roster.
    void SavePhotos(const QByteArray& photo, const QByteArray& original, const QDateTime& taken,
                    const QStringList& problems);
    // Writes a file of the day beside its photos (the students' cards),
    // replacing one of that name, through the day's folder; gives its path.
    // Throws EPhotoDayError when it cannot.
    QString SaveBesidePhotos(const QString& fileName, const QByteArray& bytes) const;
    // The current student is absent: recorded, and on to the next. A student
    // photographed already keeps the photo: EPhotoDayError says so.
    void Absent();
    // Back to the student before, to take the photo again.
    void Retake();
    // To any student of the roster, to photograph (or photograph again).
    void JumpTo(qsizetype student);

    qsizetype CountOf(State state) const;
    // The photographed students whose photo was saved despite the checks.
    qsizetype CountSavedWithProblems() const;
    // The codes of the students in `state`, in roster order.
    QStringList CodesOf(State state) const;

private:
    void Resume(const QByteArray& bytes);
    // Writes the progress file; throws EPhotoDayError when it cannot.
    void Keep() const;

    QStringList codes_;
    QString folderPath_; // ends with "/"
    FolderHandle folder_;
    QList<State> states_;
    QList<std::optional<SavedPhoto>> saved_;
    qsizetype position_ = 0;
    bool resumed_ = false;
};
