#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <optional>

// One student as a run's journal holds it.
struct JournalEntry {
    struct SavedFile {
        qint64 offset = 0;
        qint64 length = 0;
        QByteArray hash; // PhotoHash
    };
    qsizetype line = 0;
    QString code;
    std::optional<SavedFile> oldFile; // nothing: there was no photo file
    // Nothing: there was no student row; a null QVariant: the column was NULL.
    std::optional<QVariant> oldPhoto;
    QByteArray newFileHash; // PhotoHash of the photo the run copies
    QString newPhoto;
    bool done = false; // the run got past this student's change
    bool undone = false;
    // What is wrong with the student's records; empty when they are sound.
    // Undo touches no student whose records are damaged.
    QString damage;
};

// One run as its journal tells it (JournalReader.h reads it back).
struct JournaledRun {
    enum class State {
        Complete, // the run went through every student
        Failed,   // the run ended on an error and said so
        CutOff,   // the journal ends without a word of the run's end
    };
    QString id;
    QString folder; // the run's journal folder
    QString siteFolder;
    QString database;
    QDateTime started;
    qsizetype plannedStudents = 0;
    State state = State::CutOff;
    qsizetype studentsNotSet = 0; // by the run's own count at its end
    QList<JournalEntry> entries;
    bool undone = false; // an undo went through every entry
    // Why the journal cannot be used at all (not a regular file, too large,
    // its head damaged); empty when it can.
    QString unusable;
    // Damage that no student's records show (a record missing, an unknown
    // one), "撤销记录第 N 行…" each.
    QStringList problems;
    // For appending: the running hash of the last line, and whether the
    // last line was cut off by a crash.
    QByteArray lastChain;
    bool cutOffLine = false;
    qint64 completeBytes = 0; // journal.txt up to the end of its last whole line

    // Every damage: the journal's own and its students'.
    QStringList Damage() const;

    // The entries an undo still has to look at.
    QList<JournalEntry> EntriesToUndo() const;
    // "2024-01-15 10:30:12"
    QString StartedText() const;
    // "完整", "部分完成" (the run went through, not every student set),
    // "失败", "中断", "已撤销" or "记录已损坏".
    QString StateText() const;
};

// A run's time as the user is shown it: "2024-01-15 10:30:12".
QString RunTimeText(const QDateTime& time);
