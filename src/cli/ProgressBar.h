#pragma once

#include <QString>

#include <cstdio>

// A one-line progress bar for the command-line tool, drawn on standard error
// and only when standard error is a terminal, so that redirected output and
// logs stay clean. Each Update redraws the line in place; the destructor ends
// the line.
//
//     ProgressBar bar(QStringLiteral("设置学生图片"), codes.size());
//     for (...) { ...; bar.Update(done); }
class ProgressBar {
public:
    ProgressBar(const QString& label, qsizetype total);
    // For tests: draw on `out` whether or not it is a terminal.
    ProgressBar(const QString& label, qsizetype total, std::FILE* out);
    ~ProgressBar();

    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // `done` is clamped into [0, total].
    void Update(qsizetype done);

    bool Visible() const { return out_ != nullptr; }

    // The text of the line for `done` of `total`, without the leading "\r":
    // label, a bar of `width` cells, "done/total" and the percentage.
    static QString Line(const QString& label, qsizetype done, qsizetype total, int width = 30);

private:
    QString label_;
    qsizetype total_;
    std::FILE* out_; // nullptr: not drawn
    qsizetype lastDone_ = -1;
};
