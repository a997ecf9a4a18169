#pragma once

#include "RpmTable.h"
#include "SharedState.h"
#include "core/FileWrite.h"

#include "core/SecretStore.h"

#include <QString>
#include <memory>
#include <vector>

namespace tervo {

// The process-wide state of one run of the program: what the windows share, the rotator
// calibration and where the settings file lives. The windows are handed this object.
class AppState : public SharedState {
public:
    AppState(MsClock &clock, Prompts &prompts, QString settingsFolder);

    bool SettingsLoaded = false;
    std::vector<RpmRow> RpmTable;

    QString settingsFolder() const { return m_folder; }
    // A program that shares its settings folder with the one holding it reads the settings but
    // never writes into the folder.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool readOnly() const { return m_readOnly; }
    QString settingsPath() const;

    // Reads "Parameters.txt"; true when it was read. Loads the rotator calibration when an output
    // board is selected and reports a broken one.
    bool ReadSettings();
    // Writes "Parameters.txt" (nothing when read-only); a failure is reported to the operator.
    FileWriteResult WriteSettings();
    // What the main window does when it loads: clear the tracks, read the settings or apply the
    // defaults.
    void loadMainWindowState();

    // Where the mail password is kept; by default a file of its own beside the settings.
    void setSecretStore(SecretStore *store) { m_secrets = store; }
    SecretStore &secretStore() { return *m_secrets; }

private:
    // The password comes from the secret store, or moves into it out of an old settings file.
    void loadMailPassword();
    void storeMailPassword();

    QString m_folder;
    bool m_readOnly = false;
    std::unique_ptr<SecretFileStore> m_ownSecrets;
    SecretStore *m_secrets = nullptr;
    // The password as the secret store holds it, so that an unchanged one is not written again.
    QString m_storedPassword;
};

inline constexpr char kMailPasswordKey[] = "MailPassword";

// Where "Parameters.txt" lives: the program's own folder when it is writable, otherwise
// ~/.config/TERVO/.
QString settingsFolderFor(const QString &programFolder);
QString defaultSettingsFolder();

inline constexpr char kSettingsFileName[] = "Parameters.txt";
inline constexpr char kRpmFileMessage[] =
    "RPM vs. Voltage file cannot be found or invalid. You cannot use RPM control.";

} // namespace tervo
