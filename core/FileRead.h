#pragma once

#include <QByteArray>
#include <QString>

namespace tervo {

// No export, track file, macro or table a lab writes comes near this; anything larger is not
// one of them and would only fill the memory.
inline constexpr qint64 kMaxReadFileBytes = 256LL * 1024 * 1024;

struct FileReadResult {
    bool ok = true;
    QString error; // names the file and why it was not read, when not ok
};

// Reads the whole of path, which must be a regular file of at most limit bytes: a FIFO or a
// device would block or never end.
FileReadResult readWholeFile(const QString &path, QByteArray &bytes,
                             qint64 limit = kMaxReadFileBytes);

// At most the first count bytes of path, under the same rule.
FileReadResult readFileStart(const QString &path, qint64 count, QByteArray &bytes);

} // namespace tervo
