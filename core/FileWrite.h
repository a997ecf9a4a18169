#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

namespace tervo {

struct FileWriteResult {
    bool ok = true;
    QString error; // which file and why, when not ok
};

// Writes bytes to path through a temporary file in the same folder, so a failed write leaves the
// previous file as it was.
FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);
// The same for text made in pieces, written one after the other.
FileWriteResult writeFileAtomically(const QString &path, const std::vector<std::string> &pieces);

} // namespace tervo
