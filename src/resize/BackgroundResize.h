#pragma once

#include "resize/BatchResize.h"

#include <QObject>

#include <thread>

// How a batch resize run off the window's thread ended.
struct ResizeOutcome {
    enum class Ending { Succeeded, Failed, FoldersNotChosen, Stopped };
    Ending ending = Ending::Succeeded;
    BatchResizeReport report; // what was written; the rest of it for Succeeded and Stopped
    QString cause = {};       // Failed: what went wrong, and with which picture
    // Failed before its first picture, by a check made up front: the run
    // did not take place.
    bool refused = false;
};

// Runs one batch resize at a time on a thread of its own, so that the window
// stays responsive: its gauge moves and it repaints. Progress and Finished
// are emitted on the thread this object lives on.
class BackgroundResize : public QObject {
    Q_OBJECT
public:
    explicit BackgroundResize(QObject* parent = nullptr);
    // Stops a run still going and waits for it.
    ~BackgroundResize() override;

    bool Running() const { return thread_.joinable(); }
    // Starts `job`; only when no run is going.
    void Start(BatchResizeJob job);
    // Asks the run to stop after the output being written, waits for it and
    // gives its outcome; Finished is then not emitted. Without a run:
    // Stopped, nothing written.
    ResizeOutcome StopAndWait();

signals:
    void Progress(int sequenceNumber, int total);
    void Finished(const ResizeOutcome& outcome);

private:
    void Conclude(int run);

    std::jthread thread_;
    int run_ = 0;           // counts the runs started, so that a late word of an earlier one is ignored
    ResizeOutcome outcome_; // written by the run's thread before it ends
};
