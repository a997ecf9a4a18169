#include "Instruments.h"

#include "SubFunc.h"

#include <utility>

namespace tervo {

std::int32_t Instruments::GPIBInit()
{
    switch (m_settings.GPIBControl) {
    case 1: {
        SerialPortLibrary *port = m_libs.serial;
        if (!port)
            return 1;
        if (port->isOpen())
            return 0;
        port->setCommPort(1);
        port->setSettings(QStringLiteral("9600,N,8,1"));
        // Every step is tried even after one failed; any failure fails the route.
        bool ok = port->open();
        ok = port->setInputLen(0) && ok;
        ok = port->output(QByteArrayLiteral("SIC .01\r")) && ok;
        ok = port->output(QByteArrayLiteral("sre 1\r")) && ok;
        ok = port->output(QByteArrayLiteral("tmo 0\r")) && ok;
        return ok ? 0 : 1;
    }
    case 2: {
        QString message;
        return GPIBBoardInit(message);
    }
    default:
        return 0;
    }
}

// The converter's framing: "WRT #n,addr" LF, then the command with CR LF, n counting the CR LF.
QByteArray serialConverterFrame(std::int32_t address, const QByteArray &command)
{
    QByteArray frame = QByteArrayLiteral("WRT #");
    frame += QByteArray::number(command.size() + 2);
    frame += ',';
    frame += QByteArray::number(address);
    frame += '\n';
    frame += command;
    frame += "\r\n";
    return frame;
}

void Instruments::GPIBSend(std::int32_t address, const QByteArray &command)
{
    switch (m_settings.GPIBControl) {
    case 1:
        if ((!m_libs.serial || !m_libs.serial->output(serialConverterFrame(address, command))) &&
            m_routeFault.isEmpty())
            m_routeFault = QStringLiteral("The function generator cannot be reached: the serial "
                                          "line to the GPIB converter is closed.");
        break;
    case 2: {
        if (command.isEmpty() || !m_libs.gpib)
            break;
        m_gpibAddresses = {2, 0, address};
        const std::int32_t code = m_libs.gpib->GpTalk(
            m_gpibAddresses.data(), static_cast<std::int32_t>(command.size()), command);
        if (GPIBCheckStatus(QStringLiteral("GpTalk"), code, GPIBLastMessage) != 0 &&
            m_routeFault.isEmpty())
            m_routeFault = QStringLiteral("The function generator cannot be reached (%1).")
                               .arg(GPIBLastMessage);
        break;
    }
    default:
        break;
    }
}

QString Instruments::takeRouteFault()
{
    return std::exchange(m_routeFault, QString());
}

} // namespace tervo
