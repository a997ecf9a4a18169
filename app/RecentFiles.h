#pragma once

#include <QSettings>
#include <QStringList>

namespace tervo {

// The few track files opened or saved last, newest first, kept in the user's own settings
// rather than in "Parameters.txt".
class RecentFiles {
public:
    static constexpr int kMaxEntries = 5;

    // Without a store the list lives only as long as the object.
    explicit RecentFiles(QSettings *store = nullptr);

    QStringList entries() const { return m_entries; }
    void add(const QString &path);
    void remove(const QString &path);

private:
    void save();

    QSettings *m_store;
    QStringList m_entries;
};

} // namespace tervo
