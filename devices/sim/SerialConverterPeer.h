#pragma once

#include <QByteArray>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace tervo::sim {

// The far side of the serial-to-GPIB converter: takes the byte stream from the serial line,
// checks each "WRT #n,addr" frame (n counts the command and its CR LF) and hands the command to
// the listener at that address. Set-up commands end with CR; anything else is a recorded fault.
class SerialConverterPeer {
public:
    std::function<bool(std::int32_t address, const QByteArray &command)> deliver;

    void feed(const QByteArray &bytes);

    QStringList faults;
    QList<QByteArray> setupCommands;
    int framesDelivered = 0;

private:
    void headerLine(const QByteArray &line, char terminator);
    void payloadLine(const QByteArray &command);

    QByteArray m_pending;
    bool m_inPayload = false;
    int m_count = 0;
    std::int32_t m_address = 0;
};

} // namespace tervo::sim
