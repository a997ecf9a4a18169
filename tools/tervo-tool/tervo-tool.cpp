// Command-line companion for scripts: every window that a lab would script has a command here.
#include "ToolCommand.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace tervo::tool {

namespace {

std::vector<ToolCommand> &commands()
{
    static std::vector<ToolCommand> all;
    return all;
}

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
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
}

void writeErr(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stderr);
    std::fputc('\n', stderr);
}

int usageError(const QString &why)
{
    if (!why.isEmpty())
        writeErr(why);
    std::fputs(usageText().toUtf8().constData(), stderr);
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
        return usageError();
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
        std::fputs(usageText().toUtf8().constData(), stdout);
        return 0;
    }
    for (const ToolCommand &c : commands()) {
        if (c.name == name)
            return c.run(args);
    }
    return usageError(QStringLiteral("Unknown command \"%1\".").arg(name));
}
