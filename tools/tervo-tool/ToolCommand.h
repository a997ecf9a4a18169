#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tervo::tool {

// One sub-command of tervo-tool. Each command lives in its own source file and registers itself,
// so a new command never touches another's file.
struct ToolCommand {
    QString name;
    // One or more lines for the usage text, already indented and wrapped.
    QString usage;
    // Receives the arguments after the command name; returns the exit status.
    std::function<int(const QStringList &args)> run;
};

bool registerCommand(ToolCommand command);

// Prints to stdout as UTF-8, without adding a line end. A failed write is remembered: the tool
// then says so and exits 1.
void writeOut(const QString &text);
// Prints to stderr as UTF-8 and ends the line.
void writeErr(const QString &text);
// Prints why the call is malformed and where the usage is, and returns 2.
int usageError(const QString &why);
// A TAB or line break inside a field would shift the columns of a listing.
QString tabField(QString text);

} // namespace tervo::tool

// Registers a command at start-up: TERVO_TOOL_COMMAND(info, "  info FILE  ...\n", runInfo)
#define TERVO_TOOL_COMMAND(id, usageText, function)                                                \
    static const bool tervoToolRegistered_##id =                                                   \
        ::tervo::tool::registerCommand({QStringLiteral(#id), QStringLiteral(usageText), function})
