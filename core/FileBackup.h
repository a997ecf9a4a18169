#pragma once

#include "FileWrite.h"

#include <QString>

namespace tervo {

// Keeps the file at path as backup (replacing an older backup the same way) before path is
// written again; nothing to keep when path does not exist yet.
FileWriteResult keepBackup(const QString &path, const QString &backup);

} // namespace tervo
