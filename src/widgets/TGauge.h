#pragma once

#include <QWidget>

// A horizontal progress bar with its whole-number percentage written in its
// middle: navy bar on silver, single-line border. A long run blocks the event
// loop, so the gauge repaints itself at once whenever its percentage changes.
class TGauge : public QWidget {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);

    int MaxValue() const { return maxValue_; }
    int Progress() const { return progress_; }

    // A progress above the new maximum drops to it. The minimum is 0, or a
    // maximum below 0.
    void SetMaxValue(int value);
    // Clamped into [minimum, MaxValue].
    void SetProgress(int value);

    // (Progress - minimum) * 100 / (MaxValue - minimum), truncated; 0 for an empty range.
    int PercentDone() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Update(int minValue, int maxValue, int progress);

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
};
