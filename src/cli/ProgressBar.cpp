#include "cli/ProgressBar.h"

#include "cli/Console.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#define SP_ISATTY _isatty
#define SP_FILENO _fileno
#else
#include <unistd.h>
#define SP_ISATTY isatty
#define SP_FILENO fileno
#endif

ProgressBar::ProgressBar(const QString& label, qsizetype total)
    : ProgressBar(label, total, SP_ISATTY(SP_FILENO(stderr)) ? stderr : nullptr)
{
}

ProgressBar::ProgressBar(const QString& label, qsizetype total, std::FILE* out)
    : label_(label), total_(std::max<qsizetype>(total, 0)), out_(out)
{
}

ProgressBar::~ProgressBar()
{
    if (out_ && lastDone_ >= 0) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
}

void ProgressBar::Update(qsizetype done)
{
    if (!out_)
        return;
    done = std::clamp<qsizetype>(done, 0, total_);
    if (done == lastDone_)
        return;
    lastDone_ = done;
    WriteText(out_, u'\r' + Line(label_, done, total_));
}

QString ProgressBar::Line(const QString& label, qsizetype done, qsizetype total, int width)
{
    total = std::max<qsizetype>(total, 0);
    done = std::clamp<qsizetype>(done, 0, total);
    // An empty run counts as complete rather than dividing by zero.
    const qsizetype percent = total == 0 ? 100 : done * 100 / total;
    const qsizetype filled = total == 0 ? width : done * width / total;
    QString bar;
    bar.reserve(width);
    bar.fill(u'#', filled);
    bar += QString(width - filled, u'.');
    return QStringLiteral("%1 [%2] %3/%4 %5%").arg(label, bar).arg(done).arg(total).arg(percent, 3);
}
