#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace tervo {

inline constexpr char kSettingsLockFileName[] = "TERVO.lock";

// One program at a time keeps its settings and its recovery files in a settings folder; a second
// one would write over the first's settings and delete its recovery files.
class SettingsFolderLock {
public:
    explicit SettingsFolderLock(QString folder);
    ~SettingsFolderLock();

    // True when this program holds the folder now. A lock left by a program that has ended is
    // taken over.
    bool tryLock();
    bool isLocked() const;
    QString folder() const { return m_folder; }
    // Which program holds the folder: "TERVOVer1 (process 1234 on lab-pc)", or a plain "another
    // program" when the lock file cannot be read.
    QString holder() const;

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace tervo
