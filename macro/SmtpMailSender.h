#pragma once

#include "MacroTargets.h"

#include <QByteArray>
#include <QDateTime>

namespace tervo {

struct Settings;

// Mail.Send over SMTP with libcurl, to the server of the settings (host, port, sender, optional
// STARTTLS, user and password). The password goes to the server only, never into a message.
class SmtpMailSender : public MailSender {
public:
    explicit SmtpMailSender(const Settings &settings);
    bool send(const MailMessage &message, QString &error) override;

    // The message as it goes over the wire: headers, a blank line and the note.
    static QByteArray messageText(const MailMessage &message, const QString &from,
                                  const QDateTime &date);

    int timeoutSeconds = 30;

private:
    const Settings &m_settings;
};

} // namespace tervo
