#pragma once

#include <QString>
#include <QStringList>

#ifdef _WIN32
#include <QProcess>
#else
#include <QFile>

#include <cerrno>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;
#endif

// Runs `program` (looked up on PATH) with `arguments` and waits for it; its
// exit code, or -1 when it could not be started or did not exit normally.
// On Unix through posix_spawn rather than QProcess: QProcess starts a
// program by a raw clone(CLONE_VM | CLONE_VFORK) that ThreadSanitizer does
// not see, so the child runs the sanitizer's code on the parent's memory and
// leaves its record of the parent's thread spoilt, after which it reports
// races that are none (the thread sanitizer build, SP_SANITIZE=thread).
// posix_spawn's child runs inside the C library alone until it executes the
// program.
inline int RunProgram(const QString& program, const QStringList& arguments)
{
#ifdef _WIN32
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
#else
    std::vector<std::string> texts{QFile::encodeName(program).toStdString()};
    for (const QString& argument : arguments)
        texts.push_back(QFile::encodeName(argument).toStdString());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}
