#include "cli/Console.h"

#include "cli/Commands.h"

void PrintLine(std::FILE* out, const QString& text)
{
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fflush(out);
}

int UsageError(const char* command, const char* usage, const QString& problem)
{
    PrintLine(stderr, QStringLiteral("student-photo-cli %1: %2").arg(QLatin1String(command), problem));
    std::fputs(usage, stderr);
    return kExitUsage;
}
