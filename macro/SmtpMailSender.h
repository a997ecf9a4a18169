#pragma once

#include "MacroTargets.h"

#include <QByteArray>
#include <QDateTime>

namespace tervo {

struct Settings;

// Mail.Send over SMTP with libcurl, to the server of the settings (host, port, sender, STARTTLS,
// user and password). The password goes to the server only, never into a message, and never
// over an unencrypted link unless the settings allow it for that very server.
class SmtpMailSender : public MailSender {
public:
    explicit SmtpMailSender(const Settings &settings);
    Delivery delivery(const MailMessage &message) override;

    // The message as it goes over the wire: headers, a blank line and the note.
    static QByteArray messageText(const MailMessage &message, const QString &from,
                                  const QDateTime &date);

    // A server that does not answer is given up after this long.
    int timeoutMs = 30000;

private:
    const Settings &m_settings;
};

} // namespace tervo
