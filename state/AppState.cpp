#include "AppState.h"

#include "core/FileRead.h"
#include "core/FileWrite.h"
#include "core/NumberParse.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tervo {

AppState::AppState(MsClock &c, Prompts &p, QString folder)
    : SharedState(c, p), m_folder(std::move(folder)),
      m_ownSecrets(std::make_unique<SecretFileStore>(
          QDir(m_folder).filePath(QString::fromLatin1(kSecretFileName)))),
      m_secrets(m_ownSecrets.get())
{
}

QString AppState::settingsPath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(kSettingsFileName));
}

bool AppState::ReadSettings()
{
    SettingsLoaded = false;
    settings.RPMvsVoltageFile.clear();
    QByteArray text;
    if (!readWholeFile(settingsPath(), text).ok)
        return false;
    const SettingsReadReport report = parseSettingsText(text, settings);
    if (!report.refused.isEmpty())
        prompts.message(beyondRangeMessage(QStringLiteral("The value of %1 in %2")
                                               .arg(report.refused.join(QStringLiteral(", ")),
                                                    QString::fromLatin1(kSettingsFileName))));
    if (!report.complete()) {
        const QString bad = settingsPath() + QStringLiteral(".bad");
        if (m_readOnly) {
            // Never written back from here: the holder of the folder keeps what was not read.
            prompts.message(QStringLiteral("%1 could not be read completely (line %2).")
                                .arg(settingsPath())
                                .arg(report.firstUnreadLine));
        } else if (writeFileAtomically(bad, settingsTextWithoutPassword(text)).ok) {
            // Written back at close, the file would lose what was not understood: it is kept
            // aside, but without a password in clear.
            prompts.message(
                QStringLiteral("%1 could not be read completely (line %2). It was kept as %3; "
                               "the settings will be written anew when the program closes.")
                    .arg(settingsPath())
                    .arg(report.firstUnreadLine)
                    .arg(bad));
        } else {
            prompts.message(QStringLiteral("%1 could not be read completely (line %2), and no "
                                           "copy of it could be kept.")
                                .arg(settingsPath())
                                .arg(report.firstUnreadLine));
        }
        // Nothing understood at all: the defaults serve better than zeros.
        if (report.keysRead == 0)
            return false;
    }
    if (settings.DABoard > 0) {
        QString path = settings.RPMvsVoltageFile;
        // A relative calibration path is taken beside the settings file.
        if (!path.isEmpty() && QFileInfo(path).isRelative())
            path = QDir(m_folder).filePath(path);
        if (!ReadRpmTable(path, RpmTable)) {
            prompts.message(QString::fromLatin1(kRpmFileMessage));
            settings.DABoard = 0;
        }
    }
    loadMailPassword();
    SettingsLoaded = true;
    return true;
}

void AppState::loadMailPassword()
{
    const QString key = QString::fromLatin1(kMailPasswordKey);
    QString error;
    if (settings.MailPassword.isEmpty()) {
        m_storedPassword.clear();
        // Without a user name no password is needed: the secret service is left alone.
        if (!settings.MailUser.isEmpty() && m_secrets->readSecret(key, m_storedPassword, error))
            settings.MailPassword = m_storedPassword;
        else if (!error.isEmpty())
            prompts.message(QStringLiteral("The mail password could not be read: %1").arg(error));
        return;
    }
    // An old settings file held it in clear: it moves to the secret store, and out of the file
    // at once (by the program that holds the folder, not by one that only reads it).
    if (m_readOnly)
        return;
    if (!m_secrets->writeSecret(key, settings.MailPassword, error)) {
        prompts.message(QStringLiteral("The mail password could not be moved out of %1: %2")
                            .arg(QString::fromLatin1(kSettingsFileName), error));
        return;
    }
    m_storedPassword = settings.MailPassword;
    const FileWriteResult r = writeFileAtomically(settingsPath(), settingsText(settings));
    if (!r.ok)
        prompts.message(r.error);
}

void AppState::storeMailPassword()
{
    if (settings.MailPassword == m_storedPassword)
        return;
    QString error;
    if (m_secrets->writeSecret(QString::fromLatin1(kMailPasswordKey), settings.MailPassword, error))
        m_storedPassword = settings.MailPassword;
    else
        prompts.message(QStringLiteral("The mail password could not be kept: %1").arg(error));
}

FileWriteResult AppState::WriteSettings()
{
    if (m_readOnly)
        return {};
    QDir().mkpath(m_folder);
    settings.O2CE = store.CollectionEfficiency;
    storeMailPassword();
    FileWriteResult r = writeFileAtomically(settingsPath(), settingsText(settings));
    if (!r.ok)
        prompts.message(r.error);
    return r;
}

void AppState::loadMainWindowState()
{
    for (int t = 0; t < kUserTracks; ++t)
        store.ClearTrack(t);
    store.CurrentTrack = 0;
    store.markSaved();
    if (!ReadSettings()) {
        ApplyDefaultSettings(settings);
        store.kl.zero();
    }
    store.CollectionEfficiency = settings.O2CE;
}

QString settingsFolderFor(const QString &programFolder)
{
    const QFileInfo info(programFolder);
    if (!programFolder.isEmpty() && info.isDir() && info.isWritable())
        return programFolder;
    // One "TERVO" level, not the organisation and the application name both.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("TERVO"));
}

QString defaultSettingsFolder()
{
    return settingsFolderFor(QCoreApplication::applicationDirPath());
}

} // namespace tervo
