#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

// The session cannot start or its progress cannot be kept; the message
// (Chinese, for the user) says why.
class EPhotoDayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A photo day: the students of a roster photographed in roster order, each
// photo saved as CODE.jpg in an output folder. The session knows who is
// next, who is done and who was absent, and keeps that in a small file in
// the output folder after every step, so that a closed window or a crash
// resumes where it stopped.
class PhotoDaySession {
public:
    enum class State { Waiting, Done, Absent };

    // The file in the output folder that keeps the progress.
    static const QString kSessionFileName;

    // Starts the session of `codes` in `outputFolder` (created when missing),
    // or resumes the one its session file holds for the same roster; a
    // student recorded as done whose photo is no longer there waits again.
    // Throws EPhotoDayError for an empty roster, a code that cannot be a
    // file name or that is there twice (letter case aside, as file names
    // are), a folder that cannot be made, a session file that cannot be
    // read, or one that belongs to another roster (nothing is overwritten).
    PhotoDaySession(const QStringList& codes, const QString& outputFolder);

    qsizetype Count() const { return codes_.size(); }
    // The student being photographed, from 0; Count() when the end was reached.
    qsizetype Position() const { return position_; }
    bool AtEnd() const { return position_ >= codes_.size(); }
    // Whether the session file held progress when the session started.
    bool Resumed() const { return resumed_; }

    const QStringList& Codes() const { return codes_; }
    QString Code(qsizetype student) const { return codes_.at(student); }
    State StateOf(qsizetype student) const { return states_.at(student); }
    // Where the student's photo is saved: CODE.jpg in the output folder.
    QString PhotoPath(qsizetype student) const;
    QString OutputFolder() const { return folder_; }

    // The current student's photo was saved: done, and on to the next.
    void PhotoSaved();
    // The current student is absent: recorded, and on to the next.
    void Absent();
    // Back to the student before, to take the photo again.
    void Retake();
    // To any student of the roster, to photograph (or photograph again).
    void JumpTo(qsizetype student);

    qsizetype CountOf(State state) const;
    // The absent students' codes, in roster order.
    QStringList AbsentCodes() const;

private:
    void Resume(const QByteArray& bytes);
    // Writes the progress file; throws EPhotoDayError when it cannot.
    void Keep() const;

    QStringList codes_;
    QString folder_; // ends with "/"
    QList<State> states_;
    qsizetype position_ = 0;
    bool resumed_ = false;
};
