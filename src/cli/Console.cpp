#include "cli/Console.h"

#include "cli/Commands.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
// The console a stream writes to, or nothing for a file or a pipe.
HANDLE ConsoleOf(std::FILE* out)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return nullptr;
    return handle;
}
#endif

} // namespace

void WriteText(std::FILE* out, const QString& text)
{
    std::fflush(out);
#ifdef _WIN32
    if (HANDLE console = ConsoleOf(out)) {
        DWORD written = 0;
        WriteConsoleW(console, text.utf16(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const QByteArray bytes = text.toUtf8();
#else
    const QByteArray bytes = text.toLocal8Bit();
#endif
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fflush(out);
}

void PrintLine(std::FILE* out, const QString& text)
{
    WriteText(out, text + u'\n');
}

int PrintUsage(const char* usage)
{
    std::fputs(usage, stdout);
    return kExitSuccess;
}

int UsageError(const char* command, const char* usage, const QString& problem)
{
    PrintLine(stderr, QStringLiteral("student-photo-cli %1: %2").arg(QLatin1String(command), problem));
    std::fputs(usage, stderr);
    return kExitUsage;
}
