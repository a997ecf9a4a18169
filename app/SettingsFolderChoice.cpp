#include "SettingsFolderChoice.h"

#include <QDir>

namespace tervo {

std::optional<SettingsFolderChoice> chooseSettingsFolder(const QString &folder, Prompts &prompts)
{
    QString f = folder;
    for (;;) {
        QDir().mkpath(f);
        auto lock = std::make_unique<SettingsFolderLock>(f);
        if (lock->tryLock())
            return SettingsFolderChoice{f, false, std::move(lock)};
        const int choice = prompts.choose(
            QStringLiteral("The settings folder %1 is in use by %2. Two programs on one folder "
                           "overwrite each other's settings and recovery files.")
                .arg(QDir::toNativeSeparators(f), lock->holder()),
            {QStringLiteral("Open read-only"), QStringLiteral("Choose another folder"),
             QStringLiteral("Quit")});
        if (choice == 0)
            return SettingsFolderChoice{f, true, nullptr};
        if (choice != 1)
            return std::nullopt;
        const QString other = prompts.folderName(QStringLiteral("Choose a settings folder"));
        if (!other.isEmpty())
            f = other;
    }
}

} // namespace tervo
