#include "FileWrite.h"

#include <QSaveFile>

namespace tervo {

FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("%1 could not be written: %2").arg(path, f.errorString())};
    if (f.write(bytes) != bytes.size()) {
        QString why = f.errorString();
        f.cancelWriting();
        return {false, QStringLiteral("%1 could not be written: %2").arg(path, why)};
    }
    if (!f.commit())
        return {false, QStringLiteral("%1 could not be written: %2").arg(path, f.errorString())};
    return {};
}

} // namespace tervo
