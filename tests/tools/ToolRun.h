#pragma once

// Runs the built tervo-tool as a script would and keeps what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int code = -1;
    QByteArray out, err;
};

// Standard output goes to stdoutFile when one is named. A tool that did not exit normally reads
// as code -1.
inline ToolRun tool(const QStringList &args, const QString &stdoutFile = {})
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}
