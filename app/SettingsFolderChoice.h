#pragma once

#include "core/Prompts.h"
#include "state/SettingsFolderLock.h"

#include <QString>
#include <memory>
#include <optional>

namespace tervo {

struct SettingsFolderChoice {
    QString folder;
    // The folder is held by another program: settings are read, nothing is written there.
    bool readOnly = false;
    // Held for the whole run of the program; none when read-only.
    std::unique_ptr<SettingsFolderLock> lock;
};

// The settings folder of this run: folder when no other program holds it, otherwise what the
// operator chooses: to use it read-only, another folder (asked for again when that is held too),
// or to quit (nothing).
std::optional<SettingsFolderChoice> chooseSettingsFolder(const QString &folder, Prompts &prompts);

} // namespace tervo
