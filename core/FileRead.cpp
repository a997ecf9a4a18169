#include "FileRead.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace tervo {

namespace {

FileReadResult refuse(const QString &text)
{
    return {false, text};
}

// Opens path when it is a regular file; the refusal otherwise.
FileReadResult openRegular(const QString &path, QFile &f)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(QStringLiteral("%1 does not exist.").arg(path));
    if (!info.isFile())
        return refuse(QStringLiteral("%1 is not a regular file.").arg(path));
    f.setFileName(path);
    if (!f.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("%1 cannot be read: %2").arg(path, f.errorString()));
    return {};
}

} // namespace

FileReadResult readWholeFile(const QString &path, QByteArray &bytes, qint64 limit)
{
    QFile f;
    FileReadResult r = openRegular(path, f);
    if (!r.ok)
        return r;
    const auto tooLarge = [&] {
        return refuse(QStringLiteral("%1 is larger than %2 MB, more than any export holds.")
                          .arg(path)
                          .arg(static_cast<double>(limit) / (1024.0 * 1024.0)));
    };
    if (f.size() > limit)
        return tooLarge();
    // One byte beyond what the file holds catches a file that grows while it is read; asking
    // for the whole limit would make some builds set aside that much memory for every file.
    QByteArray all = f.read(std::min(limit, f.size()) + 1);
    if (f.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("%1 cannot be read: %2").arg(path, f.errorString()));
    if (all.size() > limit)
        return tooLarge();
    bytes = std::move(all);
    return {};
}

FileReadResult readFileStart(const QString &path, qint64 count, QByteArray &bytes)
{
    QFile f;
    FileReadResult r = openRegular(path, f);
    if (!r.ok)
        return r;
    bytes = f.read(count);
    if (f.error() != QFileDevice::NoError)
        return refuse(QStringLiteral("%1 cannot be read: %2").arg(path, f.errorString()));
    return {};
}

} // namespace tervo
