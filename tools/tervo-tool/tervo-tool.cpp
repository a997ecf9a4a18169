// Command-line companion for scripts: every window that a lab would script has a command here.
#include "ToolCommand.h"
#include "workstation/HeadlessDesk.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tervo::tool {

namespace {

std::vector<ToolCommand> &commands()
{
    static std::vector<ToolCommand> all;
    return all;
}

// The command being run, for the hint of a usage error.
QString g_command;
// Why writing to stdout failed; empty while it works.
QString g_outError;

QString usageText()
{
    std::vector<ToolCommand> sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const ToolCommand &a, const ToolCommand &b) { return a.name < b.name; });
    QString text = QStringLiteral("Usage: tervo-tool COMMAND [ARGUMENTS]\n\nCommands:\n");
    for (const ToolCommand &c : sorted)
        text += c.usage;
    text += QStringLiteral("  --help                 Show this text.\n");
    return text;
}

} // namespace

bool registerCommand(ToolCommand command)
{
    commands().push_back(std::move(command));
    return true;
}

void writeOut(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto size = static_cast<std::size_t>(utf8.size());
    if (std::fwrite(utf8.constData(), 1, size, stdout) != size && g_outError.isEmpty())
        g_outError = QString::fromLocal8Bit(std::strerror(errno));
}

void writeErr(const QString &text)
{
    printError(text);
}

int usageError(const QString &why)
{
    writeErr(why);
    writeErr(g_command.isEmpty() ? QStringLiteral("see tervo-tool --help")
                                 : QStringLiteral("see tervo-tool %1 --help").arg(g_command));
    return 2;
}

QString tabField(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace tervo::tool

int main(int argc, char *argv[])
{
    using namespace tervo::tool;
    // Some commands run the simulated rig or its timers; a core application serves them all.
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (args.isEmpty())
        return usageError(QStringLiteral("Which command?"));
    const QString name = args.takeFirst();
    const auto isHelp = [](const QString &a) {
        return a == QLatin1String("--help") || a == QLatin1String("-h");
    };
    int status = -1;
    if (isHelp(name)) {
        writeOut(usageText());
        status = 0;
    }
    for (const ToolCommand &c : commands()) {
        if (status >= 0 || c.name != name)
            continue;
        g_command = name;
        if (std::any_of(args.begin(), args.end(), isHelp)) {
            writeOut(QStringLiteral("Usage:\n") + c.usage);
            status = 0;
        } else {
            status = c.run(args);
        }
    }
    if (status < 0)
        return usageError(QStringLiteral("Unknown command \"%1\".").arg(name));
    // Output that did not reach its file is a failure, however the command went.
    if (std::fflush(stdout) != 0 && g_outError.isEmpty())
        g_outError = QString::fromLocal8Bit(std::strerror(errno));
    if (!g_outError.isEmpty()) {
        writeErr(QStringLiteral("tervo-tool: standard output: %1").arg(g_outError));
        return std::max(status, 1);
    }
    return status;
}
