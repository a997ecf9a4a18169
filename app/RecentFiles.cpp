#include "RecentFiles.h"

#include <QFileInfo>

namespace tervo {

namespace {
const QString kKey = QStringLiteral("RecentFiles");

QString normalised(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}
} // namespace

RecentFiles::RecentFiles(QSettings *store) : m_store(store)
{
    if (m_store)
        m_entries = m_store->value(kKey).toStringList().mid(0, kMaxEntries);
}

void RecentFiles::add(const QString &path)
{
    const QString p = normalised(path);
    m_entries.removeAll(p);
    m_entries.prepend(p);
    while (m_entries.size() > kMaxEntries)
        m_entries.removeLast();
    save();
}

void RecentFiles::remove(const QString &path)
{
    if (m_entries.removeAll(normalised(path)) > 0)
        save();
}

void RecentFiles::save()
{
    if (!m_store)
        return;
    m_store->setValue(kKey, m_entries);
    m_store->sync();
}

} // namespace tervo
