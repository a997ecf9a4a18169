#pragma once

#include <QByteArray>
#include <QString>

namespace tervo {

struct FileWriteResult {
    bool ok = true;
    QString error; // which file and why, when not ok
};

// Writes bytes to path through a temporary file in the same folder, so a failed write leaves the
// previous file as it was.
FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace tervo
