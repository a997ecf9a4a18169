#pragma once

#include "devices/Instruments.h"
#include "devices/VendorLibraries.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

namespace tervo::test {

// The vendor libraries as the tests see them. The Fake* classes record every call and answer
// from scripts, for checking exactly what the device operations pass; the Faulty* classes stand
// between the instruments and working libraries (the simulated rig's), pass every call on and
// fail the ones a test names.

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

// The PCI card's registration refused, and registrations counted.
class FaultyDask final : public PciDaskLibrary {
public:
    explicit FaultyDask(PciDaskLibrary &inner) : m_inner(inner) {}
    bool refuseRegistration = false;
    int registrations = 0;
    static constexpr std::int16_t kInvalidCard = -3;

    std::int16_t Register_Card(std::uint16_t type, std::uint16_t number) override
    {
        if (refuseRegistration)
            return kInvalidCard;
        const std::int16_t r = m_inner.Register_Card(type, number);
        registrations += r >= 0;
        return r;
    }
    std::int16_t Release_Card(std::uint16_t h) override { return m_inner.Release_Card(h); }
    std::int16_t AI_VReadChannel(std::uint16_t card, std::uint16_t channel, std::uint16_t range,
                                 double &volts) override
    {
        return m_inner.AI_VReadChannel(card, channel, range, volts);
    }
    std::int16_t AO_9112_Config(std::uint16_t h, std::uint16_t channel, double ref) override
    {
        return m_inner.AO_9112_Config(h, channel, ref);
    }
    std::int16_t AO_VWriteChannel(std::uint16_t h, std::uint16_t channel, double volts) override
    {
        return m_inner.AO_VWriteChannel(h, channel, volts);
    }
    std::int16_t DO_WritePort(std::uint16_t card, std::uint16_t port, std::uint32_t value) override
    {
        return m_inner.DO_WritePort(card, port, value);
    }

private:
    PciDaskLibrary &m_inner;
};

// Port access refused, or a port board whose conversions never signal ready.
class FaultyPorts final : public PortIoLibrary {
public:
    explicit FaultyPorts(PortIoLibrary &inner) : m_inner(inner) {}
    bool allowAccess = true;
    bool neverReady = false;

    bool PortAccess(std::uint16_t first, std::uint16_t count) override
    {
        return allowAccess && m_inner.PortAccess(first, count);
    }
    std::uint8_t PortInputByte(std::uint16_t port) override
    {
        const std::uint8_t v = m_inner.PortInputByte(port);
        return neverReady && port == kPortBoardBase + 1 ? v & ~0x40 : v;
    }
    void PortOutputByte(std::uint16_t port, std::uint8_t value) override
    {
        m_inner.PortOutputByte(port, value);
    }

private:
    PortIoLibrary &m_inner;
};

// The GPIB calls recorded by name; a call named in failCodes answers with that completion code
// without reaching the board.
class FaultyGpib final : public GpibLibrary {
public:
    explicit FaultyGpib(GpibLibrary &inner) : m_inner(inner) {}
    QHash<QString, std::int32_t> failCodes;
    QStringList calls;
    // Status item 10 in place of the board's: 0 when it is the system controller.
    std::optional<std::int32_t> systemControllerStatus;

    std::int32_t GpIni() override
    {
        return pass("GpIni", [&] { return m_inner.GpIni(); });
    }
    std::int32_t GpIfc(std::int32_t t) override
    {
        return pass("GpIfc", [&] { return m_inner.GpIfc(t); });
    }
    std::int32_t GpRen() override
    {
        return pass("GpRen", [&] { return m_inner.GpRen(); });
    }
    std::int32_t GpTimeout(std::int32_t t) override
    {
        return pass("GpTimeout", [&] { return m_inner.GpTimeout(t); });
    }
    std::int32_t GpTalk(const std::int32_t *addresses, std::int32_t length,
                        const QByteArray &data) override
    {
        return pass("GpTalk", [&] { return m_inner.GpTalk(addresses, length, data); });
    }
    std::int32_t GpBoardsts(std::int32_t item, std::int32_t &value) override
    {
        // The value is read even when the call is made to fail, as a board fills it in.
        const std::int32_t r = m_inner.GpBoardsts(item, value);
        if (item == 10 && systemControllerStatus)
            value = *systemControllerStatus;
        return pass("GpBoardsts", [&] { return r; });
    }
    std::int32_t GpExit() override
    {
        return pass("GpExit", [&] { return m_inner.GpExit(); });
    }

private:
    template <typename Call> std::int32_t pass(const char *name, Call call)
    {
        const QString n = QString::fromLatin1(name);
        calls << n;
        return failCodes.contains(n) ? failCodes.value(n) : call();
    }
    GpibLibrary &m_inner;
};

// Faults around a whole set of libraries whose card, port and GPIB routes are all present.
struct FaultyLibraries {
    explicit FaultyLibraries(const VendorLibraries &inner)
        : dask(*inner.dask), port(*inner.port), gpib(*inner.gpib), m_inner(inner)
    {
    }
    FaultyDask dask;
    FaultyPorts port;
    FaultyGpib gpib;

    VendorLibraries libraries() { return {m_inner.aio, &dask, &port, &gpib, m_inner.serial}; }

private:
    VendorLibraries m_inner;
};

} // namespace tervo::test
