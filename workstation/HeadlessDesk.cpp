#include "HeadlessDesk.h"

#include <cstdio>

namespace tervo {

void printError(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stderr);
    std::fputc('\n', stderr);
}

void ConsolePrompts::message(const QString &text, const QString &)
{
    ++messages;
    last = text;
    printError(text);
}

bool ConsolePrompts::askYesNo(const QString &text, const QString &)
{
    if (echoQuestions)
        printError(text);
    return false;
}

std::optional<QString> ConsolePrompts::input(const QString &, const QString &, const QString &)
{
    return std::nullopt;
}

QString ConsolePrompts::openFileName(const QString &, const QString &)
{
    return {};
}

QString ConsolePrompts::saveFileName(const QString &, const QString &)
{
    return {};
}

} // namespace tervo
