#include "FileBackup.h"

#include "FileRead.h"

#include <QFile>

namespace tervo {

FileWriteResult keepBackup(const QString &path, const QString &backup)
{
    if (!QFile::exists(path))
        return {};
    // A copy rather than a hard link: the backup must not change with anything written into
    // the file in place later.
    QByteArray bytes;
    if (const FileReadResult read = readWholeFile(path, bytes); !read.ok)
        return {false, read.error};
    return writeFileAtomically(backup, bytes);
}

} // namespace tervo
