#pragma once

#include "devices/VendorLibraries.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <vector>

namespace tervo::test {

// Vendor libraries that record every call and answer from scripts, for checking exactly what
// the device operations pass.

struct DaskCall {
    QString name;
    int a = 0, b = 0, c = 0;
    double v = 0;
};

class FakeDask final : public PciDaskLibrary {
public:
    std::vector<DaskCall> calls;
    std::deque<double> readings; // answers of AI_VReadChannel, in order
    std::int16_t handle = 0;
    std::int16_t configResult = 0;

    int count(const QString &name) const
    {
        int n = 0;
        for (const DaskCall &c : calls)
            n += c.name == name;
        return n;
    }
    std::int16_t Register_Card(std::uint16_t type, std::uint16_t number) override
    {
        calls.push_back({QStringLiteral("Register_Card"), type, number});
        return handle;
    }
    std::int16_t Release_Card(std::uint16_t h) override
    {
        calls.push_back({QStringLiteral("Release_Card"), h});
        return 0;
    }
    std::int16_t AI_VReadChannel(std::uint16_t card, std::uint16_t channel, std::uint16_t range,
                                 double &volts) override
    {
        calls.push_back({QStringLiteral("AI_VReadChannel"), card, channel, range});
        if (!readings.empty()) {
            volts = readings.front();
            readings.pop_front();
        }
        return 0;
    }
    std::int16_t AO_9112_Config(std::uint16_t h, std::uint16_t channel, double ref) override
    {
        calls.push_back({QStringLiteral("AO_9112_Config"), h, channel, 0, ref});
        return configResult;
    }
    std::int16_t AO_VWriteChannel(std::uint16_t h, std::uint16_t channel, double volts) override
    {
        calls.push_back({QStringLiteral("AO_VWriteChannel"), h, channel, 0, volts});
        return 0;
    }
    std::int16_t DO_WritePort(std::uint16_t card, std::uint16_t port, std::uint32_t value) override
    {
        calls.push_back({QStringLiteral("DO_WritePort"), card, port, int(value)});
        return 0;
    }
};

// A port board whose next conversion yields a scripted 12-bit value.
class FakePorts final : public PortIoLibrary {
public:
    bool grant = true;
    int raw = 0;
    bool ready = true;
    int statusReads = 0;
    QList<QPair<int, int>> writes; // port, value
    QList<int> accessRequests;

    bool PortAccess(std::uint16_t first, std::uint16_t) override
    {
        accessRequests << first;
        return grant;
    }
    std::uint8_t PortInputByte(std::uint16_t port) override
    {
        if (port == 0x1D0)
            return static_cast<std::uint8_t>(raw & 0xFF);
        if (port == 0x1D1) {
            ++statusReads;
            // The high bits above the nibble are noise the read must mask off.
            return static_cast<std::uint8_t>(((raw >> 8) & 0x0F) | 0xA0 | (ready ? 0x40 : 0));
        }
        return 0;
    }
    void PortOutputByte(std::uint16_t port, std::uint8_t value) override
    {
        writes << qMakePair(int(port), int(value));
    }
};

class FakeAio final : public AioLibrary {
public:
    std::int32_t openResult = 0;
    std::int32_t rangeResult = 0;
    std::uint16_t raw = 2048;
    QStringList calls;
    QList<int> channels;

    std::int32_t AioOpenEx(const QString &name, std::int16_t &id) override
    {
        calls << QStringLiteral("AioOpenEx ") + name;
        id = 5;
        return openResult;
    }
    std::int32_t AioSetRange(std::int16_t id, std::int16_t a, std::int16_t b, std::int16_t c,
                             std::int16_t d) override
    {
        calls << QStringLiteral("AioSetRange %1 %2 %3 %4 %5").arg(id).arg(a).arg(b).arg(c).arg(d);
        return rangeResult;
    }
    std::int32_t AioInp(std::int16_t id, const AioTransfer &t) override
    {
        calls << QStringLiteral("AioInp %1 %2").arg(id).arg(t.count);
        channels << *reinterpret_cast<const std::uint16_t *>(t.channelAddress);
        *reinterpret_cast<std::uint16_t *>(t.dataAddress) = raw;
        return 0;
    }
    std::int32_t AioClose(std::int16_t id) override
    {
        calls << QStringLiteral("AioClose %1").arg(id);
        return 0;
    }
};

class FakeSerial final : public SerialPortLibrary {
public:
    bool opened = false;
    bool refuseOpen = false;
    int commPort = 0;
    QString settings;
    QList<QByteArray> outputs;

    bool isOpen() const override { return opened; }
    bool setCommPort(int p) override
    {
        commPort = p;
        return true;
    }
    bool setSettings(const QString &s) override
    {
        settings = s;
        return true;
    }
    bool open() override
    {
        opened = !refuseOpen;
        return opened;
    }
    bool setInputLen(int) override { return true; }
    bool output(const QByteArray &b) override
    {
        if (!opened)
            return false;
        outputs << b;
        return true;
    }
};

} // namespace tervo::test
