#pragma once

#include <QString>
#include <functional>
#include <stop_token>

namespace tervo {

// One message of Mail.Send.
struct MailMessage {
    QString displayName;
    QString address;
    QString subject;
    QString note;
};

// Sends a message; false with a reason when it could not be sent.
class MailSender {
public:
    // The sending itself, run off the interface thread: it uses nothing the interface thread
    // may change meanwhile, and gives up soon once stop is requested.
    using Delivery = std::function<bool(QString &error, std::stop_token stop)>;

    virtual ~MailSender() = default;
    // Made on the interface thread, with what the message needs taken along.
    virtual Delivery delivery(const MailMessage &message) = 0;

    // Sends on the calling thread.
    bool send(const MailMessage &message, QString &error)
    {
        return delivery(message)(error, std::stop_token());
    }
};

} // namespace tervo
