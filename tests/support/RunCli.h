#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs the command-line program as a user would and collects what it said.
struct CliResult {
    int exitCode = -1; // -1: it did not finish normally within a minute
    QString out;
    QString err;
};

inline CliResult RunCli(const QString& program, const QStringList& arguments,
                        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    // On Windows the program's lines end as Windows text files' do, in CR LF.
    const auto text = [](const QByteArray& bytes) {
        QString lines = QString::fromUtf8(bytes);
#ifdef _WIN32
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
        return lines;
    };
    return {process.exitCode(), text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}
