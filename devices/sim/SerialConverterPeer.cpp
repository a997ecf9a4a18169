#include "SerialConverterPeer.h"

namespace tervo::sim {

namespace {

bool readNumber(const QByteArray &text, int &value)
{
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    value = text.toInt();
    return true;
}

} // namespace

void SerialConverterPeer::feed(const QByteArray &bytes)
{
    m_pending += bytes;
    for (;;) {
        if (m_inPayload) {
            const qsizetype end = m_pending.indexOf("\r\n");
            if (end < 0)
                return;
            const QByteArray command = m_pending.left(end);
            m_pending.remove(0, end + 2);
            m_inPayload = false;
            payloadLine(command);
            continue;
        }
        qsizetype end = -1;
        for (qsizetype i = 0; i < m_pending.size(); ++i)
            if (m_pending[i] == '\r' || m_pending[i] == '\n') {
                end = i;
                break;
            }
        if (end < 0)
            return;
        const char terminator = m_pending[end];
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        headerLine(line, terminator);
    }
}

void SerialConverterPeer::headerLine(const QByteArray &line, char terminator)
{
    if (line.isEmpty())
        return; // the LF of a set-up command's CR LF, or a blank line
    if (line.startsWith("WRT #")) {
        const QByteArray rest = line.mid(5);
        const qsizetype comma = rest.indexOf(',');
        int count = 0;
        int address = 0;
        if (terminator != '\n' || comma < 0 || !readNumber(rest.left(comma), count) ||
            !readNumber(rest.mid(comma + 1), address)) {
            faults
                << QStringLiteral("malformed frame header \"%1\"").arg(QString::fromLatin1(line));
            return;
        }
        m_inPayload = true;
        m_count = count;
        m_address = address;
        return;
    }
    if (terminator == '\r' &&
        (line == "SIC .01" || line == "sre 1" || line == "tmo 0" || line.startsWith("SIC"))) {
        setupCommands << line;
        return;
    }
    faults << QStringLiteral("unknown converter command \"%1\"").arg(QString::fromLatin1(line));
}

void SerialConverterPeer::payloadLine(const QByteArray &command)
{
    if (command.size() + 2 != m_count) {
        faults << QStringLiteral("frame announces %1 bytes but carries %2 (\"%3\")")
                      .arg(m_count)
                      .arg(command.size() + 2)
                      .arg(QString::fromLatin1(command));
        return;
    }
    if (!deliver || !deliver(m_address, command)) {
        faults << QStringLiteral("no listener at GPIB address %1").arg(m_address);
        return;
    }
    ++framesDelivered;
}

} // namespace tervo::sim
