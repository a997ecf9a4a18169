#include "SettingsFolderLock.h"

#include <QDir>
#include <QLockFile>

namespace tervo {

SettingsFolderLock::SettingsFolderLock(QString folder)
    : m_folder(std::move(folder)), m_lock(std::make_unique<QLockFile>(QDir(m_folder).filePath(
                                       QString::fromLatin1(kSettingsLockFileName))))
{
    // A program may run for weeks: only a holder that has ended makes the lock stale.
    m_lock->setStaleLockTime(0);
}

SettingsFolderLock::~SettingsFolderLock() = default;

bool SettingsFolderLock::tryLock()
{
    return m_lock->isLocked() || m_lock->tryLock(0);
}

bool SettingsFolderLock::isLocked() const
{
    return m_lock->isLocked();
}

QString SettingsFolderLock::holder() const
{
    qint64 pid = 0;
    QString host, app;
    if (!m_lock->getLockInfo(&pid, &host, &app))
        return QStringLiteral("another program");
    return QStringLiteral("%1 (process %2 on %3)")
        .arg(app.isEmpty() ? QStringLiteral("a program") : app)
        .arg(pid)
        .arg(host.isEmpty() ? QStringLiteral("an unknown computer") : host);
}

} // namespace tervo
