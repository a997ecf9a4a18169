#pragma once

#include "core/Prompts.h"
#include "state/Settings.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace tervo {

inline constexpr char kRestartMessage[] =
    QT_TRANSLATE_NOOP("Settings", "TERVOを再起動後有効になります");

// The logic of the settings dialog: every choice is written to its settings variable at once.
class SettingsController {
public:
    static constexpr int kMaxGPIBAddress = 7;

    SettingsController(Settings &settings, Prompts &prompts);

    static const QStringList &adDeviceCaptions();
    static const QStringList &fgControlCaptions();
    static const QStringList &motorCaptions();
    static const QStringList &powerControlCaptions();
    static const QStringList &drawMethodCaptions();
    // The "Language" choices: the system's language, Japanese, English.
    static const QStringList &languageCaptions();

    const Settings &settings() const { return m_settings; }

    // A different AD device takes effect only after a restart, which the operator is told.
    void chooseADDevice(int index);
    void setDeviceName(const QString &text);
    void setCardNumber(const QString &text);
    void setDynamicRange(bool on);
    void chooseFGControl(int index);
    void addressUp();
    void addressDown();
    QString addressText() const;
    void chooseMotor(int index);
    // Asks for the calibration file; true when one was chosen.
    bool chooseRpmFile();
    void choosePowerControl(int index);
    void chooseDrawMethod(int index);
    void setSoundFile(const QString &path);
    // The texts are chosen at start-up: a different language takes effect after a restart.
    void chooseLanguage(int index);
    int languageIndex() const;
    // The SMTP server of the macros' Mail.Send. A port outside 1..65535 is the SMTP port 25.
    void setMailServer(const QString &host) { m_settings.MailServer = host.trimmed(); }
    void setMailPort(const QString &text);
    void setMailFrom(const QString &address) { m_settings.MailFrom = address.trimmed(); }
    void setMailStartTLS(bool on) { m_settings.MailStartTLS = on ? 1 : 0; }
    void setMailUser(const QString &user) { m_settings.MailUser = user; }
    void setMailPassword(const QString &password) { m_settings.MailPassword = password; }
    // "allow unencrypted": the password may go without STARTTLS, to the present server only.
    void setMailAllowUnencrypted(bool on)
    {
        m_settings.MailAllowUnencrypted = on ? m_settings.MailServer : QString();
    }
    bool mailAllowUnencrypted() const { return mailUnencryptedAllowed(m_settings); }

private:
    Settings &m_settings;
    Prompts &m_prompts;
};

} // namespace tervo
