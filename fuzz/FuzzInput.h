#pragma once

// Helpers for the harnesses: readers that take a path get the input through a file of this
// process's own.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace tervo::fuzz {

inline QString inputFile(const std::uint8_t *data, std::size_t size, const char *suffix = "")
{
    static const QString path =
        QStringLiteral("/tmp/tervo-fuzz-%1%2").arg(::getpid()).arg(QString::fromLatin1(suffix));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}

inline QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace tervo::fuzz
