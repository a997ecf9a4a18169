#include "LinuxRoutes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define TERVO_HAVE_PORT_IO 1
#endif

namespace tervo {

QtSerialPortLibrary::QtSerialPortLibrary(QString port1Device)
    : m_port1Device(std::move(port1Device))
{
    m_port.setPortName(m_port1Device);
}

bool QtSerialPortLibrary::setCommPort(int port)
{
    if (port < 1 || m_port.isOpen())
        return false;
    m_port.setPortName(port == 1 ? m_port1Device : QStringLiteral("/dev/ttyS%1").arg(port - 1));
    return true;
}

bool parseSerialSettings(const QString &text, SerialLineSettings &out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const qint32 baud = parts[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    SerialLineSettings s;
    s.baud = baud;
    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("M"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("S"))
        s.parity = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);
    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return false;
    out = s;
    return true;
}

bool QtSerialPortLibrary::setSettings(const QString &settings)
{
    SerialLineSettings s;
    if (!parseSerialSettings(settings, s))
        return false;
    return m_port.setBaudRate(s.baud) && m_port.setParity(s.parity) &&
           m_port.setDataBits(s.dataBits) && m_port.setStopBits(s.stopBits) &&
           m_port.setFlowControl(QSerialPort::NoFlowControl);
}

bool QtSerialPortLibrary::open()
{
    if (m_port.isOpen())
        return true;
    return m_port.open(QIODevice::ReadWrite);
}

bool QtSerialPortLibrary::setInputLen(int length)
{
    // Nothing is read back from the converter; any length is accepted.
    return length >= 0;
}

bool QtSerialPortLibrary::output(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) != bytes.size())
        return false;
    // The converter takes one command at a time, in order: wait until this one has left.
    while (m_port.bytesToWrite() > 0)
        if (!m_port.waitForBytesWritten(1000))
            return false;
    return true;
}

bool LinuxPortIo::PortAccess(std::uint16_t first, std::uint16_t count)
{
    if (count == 0 || std::size_t(first) + count > kPorts)
        return false;
    bool all = true;
    for (std::size_t p = first; p < std::size_t(first) + count; ++p)
        all = all && m_granted.test(p);
    if (all)
        return true;
#ifdef TERVO_HAVE_PORT_IO
    if (ioperm(first, count, 1) != 0)
        return false;
    for (std::size_t p = first; p < std::size_t(first) + count; ++p)
        m_granted.set(p);
    return true;
#else
    return false;
#endif
}

std::uint8_t LinuxPortIo::PortInputByte(std::uint16_t port)
{
#ifdef TERVO_HAVE_PORT_IO
    if (port < kPorts && m_granted.test(port))
        return inb(port);
#else
    (void)port;
#endif
    return 0;
}

void LinuxPortIo::PortOutputByte(std::uint16_t port, std::uint8_t value)
{
#ifdef TERVO_HAVE_PORT_IO
    if (port < kPorts && m_granted.test(port))
        outb(value, port);
#else
    (void)port;
    (void)value;
#endif
}

HardwareLibraries::HardwareLibraries(QString serialDevice) : m_serial(std::move(serialDevice)) {}

VendorLibraries HardwareLibraries::libraries()
{
    return {&m_aio, &m_dask, &m_port, &m_gpib, &m_serial};
}

} // namespace tervo
