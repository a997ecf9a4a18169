#pragma once

#include "core/Clock.h"
#include "devices/VendorLibraries.h"
#include "devices/sim/CellModel.h"
#include "devices/sim/SerialConverterPeer.h"
#include "devices/sim/SimFunctionGenerator.h"
#include "devices/sim/SimPotentiostat.h"
#include "devices/sim/SimRotator.h"

#include <QHash>
#include <array>
#include <cstdint>
#include <memory>

namespace tervo::sim {

inline constexpr int kMaxCells = 10;
inline constexpr int kRigInputs = 64;

// What an analog input of the rig is wired to.
enum class Signal { None, Potential, Current, RingCurrent, RotatorSpeed };
struct InputWire {
    Signal signal = Signal::None;
    int cell = 0;
};

class SimRig;

// The analog I/O device on the rig: 12-bit, +-2.5 V.
class SimAio final : public AioLibrary {
public:
    explicit SimAio(SimRig &rig) : m_rig(rig) {}
    std::int32_t AioOpenEx(const QString &deviceName, std::int16_t &id) override;
    std::int32_t AioSetRange(std::int16_t id, std::int16_t, std::int16_t, std::int16_t,
                             std::int16_t) override;
    std::int32_t AioInp(std::int16_t id, const AioTransfer &transfer) override;
    std::int32_t AioClose(std::int16_t id) override;

    QString deviceName = QStringLiteral("AIO00");
    static constexpr std::int32_t kNoDevice = 10001;

private:
    SimRig &m_rig;
    bool m_open = false;
};

// The PCI-9112 card: 12-bit inputs on three bipolar ranges, two 0..5 V outputs, a digital port.
class SimPciDask final : public PciDaskLibrary {
public:
    explicit SimPciDask(SimRig &rig) : m_rig(rig) {}
    std::int16_t Register_Card(std::uint16_t cardType, std::uint16_t cardNumber) override;
    std::int16_t Release_Card(std::uint16_t handle) override;
    std::int16_t AI_VReadChannel(std::uint16_t cardNumber, std::uint16_t channel,
                                 std::uint16_t range, double &volts) override;
    std::int16_t AO_9112_Config(std::uint16_t handle, std::uint16_t channel,
                                double reference) override;
    std::int16_t AO_VWriteChannel(std::uint16_t handle, std::uint16_t channel,
                                  double volts) override;
    std::int16_t DO_WritePort(std::uint16_t cardNumber, std::uint16_t port,
                              std::uint32_t value) override;

    std::uint16_t cardNumber = 0;
    bool refuseRegistration = false;
    int registrations = 0;
    int releases = 0;
    static constexpr std::int16_t kInvalidCard = -3;

private:
    bool validHandle(std::uint16_t handle) const { return m_registered && handle == 0; }
    SimRig &m_rig;
    bool m_registered = false;
};

// The I/O-port analog board at 0x1D0 and the relay port at 0x40.
class SimPortIo final : public PortIoLibrary {
public:
    explicit SimPortIo(SimRig &rig) : m_rig(rig) {}
    bool PortAccess(std::uint16_t first, std::uint16_t count) override;
    std::uint8_t PortInputByte(std::uint16_t port) override;
    void PortOutputByte(std::uint16_t port, std::uint8_t value) override;

    bool allowAccess = true;
    int pollsUntilReady = 2;
    bool neverReady = false;

private:
    SimRig &m_rig;
    int m_raw = 0;
    int m_pollsLeft = 0;
    bool m_converting = false;
};

// The GPIB board; a call named in failCodes answers with that completion code.
class SimGpibBoard final : public GpibLibrary {
public:
    explicit SimGpibBoard(SimRig &rig) : m_rig(rig) {}
    std::int32_t GpIni() override { return code("GpIni"); }
    std::int32_t GpIfc(std::int32_t) override { return code("GpIfc"); }
    std::int32_t GpRen() override { return code("GpRen"); }
    std::int32_t GpTimeout(std::int32_t) override { return code("GpTimeout"); }
    std::int32_t GpTalk(const std::int32_t *addresses, std::int32_t length,
                        const QByteArray &data) override;
    std::int32_t GpBoardsts(std::int32_t item, std::int32_t &value) override;
    std::int32_t GpExit() override { return code("GpExit"); }

    QHash<QString, std::int32_t> failCodes;
    // Status item 10: 0 when the board is the system controller (then IFC and REN are sent).
    std::int32_t systemControllerStatus = 0;
    QStringList calls;

private:
    std::int32_t code(const char *name);
    SimRig &m_rig;
};

// The serial line to the converter, ending in its peer.
class SimSerialPort final : public SerialPortLibrary {
public:
    explicit SimSerialPort(SimRig &rig) : m_rig(rig) {}
    bool isOpen() const override { return m_open; }
    bool setCommPort(int port) override { return port == 1; }
    bool setSettings(const QString &settings) override;
    bool open() override;
    bool setInputLen(int length) override { return length >= 0; }
    bool output(const QByteArray &bytes) override;

    bool refuseOpen = false;

private:
    SimRig &m_rig;
    bool m_open = false;
};

// The simulated instruments: function generator, potentiostat with up to ten cells, rotator,
// relays and the boards that reach them. Its time follows the program's millisecond clock, so a
// fake clock runs a long programme in no time; its noise comes from a seeded generator.
class SimRig {
public:
    explicit SimRig(MsClock &clock, std::uint64_t seed = 1);
    SimRig(const SimRig &) = delete;
    SimRig &operator=(const SimRig &) = delete;

    VendorLibraries libraries();

    SimFunctionGenerator &generator() { return m_generator; }
    SimPotentiostat &potentiostat() { return m_potentiostat; }
    SimRotator &rotator() { return m_rotator; }
    SerialConverterPeer &converter() { return m_converter; }
    SimAio &aio() { return m_aio; }
    SimPciDask &dask() { return m_dask; }
    SimPortIo &port() { return m_port; }
    SimGpibBoard &gpib() { return m_gpib; }
    SimSerialPort &serial() { return m_serial; }

    // Cell 0 is the dummy cell until replaced; the rig does not own cells set here.
    void setCell(int index, CellModel *cell);
    CellModel *cell(int index) const;
    CellCurrents cellCurrents(int index) const;

    void wireInput(int channel, InputWire wire);
    InputWire wire(int channel) const;
    // 0 potential, 1 disk current, 3 ring current, 4 rotator speed (cell 0).
    void wireStandard();
    // Inputs 2k and 2k+1: potential and current of cell k, k = 0..9.
    void wireMultipotentiostat();

    // The signal at an analog input in volts, noise included, after bringing the rig up to the
    // clock's present time.
    double inputVolts(int channel);
    // Brings the rig up to the clock's present time.
    void sync();
    double seconds() const { return m_seconds; }

    void writeRelays(std::uint8_t value);
    std::uint8_t relays() const { return m_relays; }
    void writeAnalogOut(int channel, double volts);
    double analogOut(int channel) const;
    // Hands a GPIB command to the listener at address; false when nobody listens there.
    bool talk(std::int32_t address, const QByteArray &command);

    QStringList faults() const;

    double noiseVolts = 0.0002; // standard deviation added to every input
    double rpmPerVolt = 1000;   // speed monitor of the rotator
    std::int32_t generatorAddress = 7;

private:
    void step(double dt);
    double noise();

    MsClock &m_clock;
    std::uint32_t m_lastTick;
    double m_seconds = 0;
    std::uint64_t m_rng;

    SimFunctionGenerator m_generator;
    SimPotentiostat m_potentiostat;
    SimRotator m_rotator;
    SerialConverterPeer m_converter;
    std::unique_ptr<CellModel> m_dummy;
    std::array<CellModel *, kMaxCells> m_cells{};
    std::array<CellCurrents, kMaxCells> m_currents{};
    std::array<InputWire, kRigInputs> m_wires{};
    std::uint8_t m_relays = 0;
    std::array<double, 2> m_analogOut{};

    SimAio m_aio;
    SimPciDask m_dask;
    SimPortIo m_port;
    SimGpibBoard m_gpib;
    SimSerialPort m_serial;
};

// A 12-bit offset-binary sample of volts over +-fullScale, saturating at the ends.
int toRaw12(double volts, double fullScale);

} // namespace tervo::sim
