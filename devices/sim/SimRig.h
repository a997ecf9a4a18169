#pragma once

#include "core/Clock.h"
#include "devices/VendorLibraries.h"
#include "devices/sim/CellModel.h"
#include "devices/sim/SerialConverterPeer.h"
#include "devices/sim/SimBoards.h"
#include "devices/sim/SimFunctionGenerator.h"
#include "devices/sim/SimPotentiostat.h"
#include "devices/sim/SimRotator.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tervo::sim {

inline constexpr int kMaxCells = 10;
inline constexpr int kRigInputs = 64;

// Failures that can be switched on at any time, to rehearse how the program copes with them.
struct SimFaults {
    bool analogOpenFails = false;      // the analog input board refuses to open
    bool analogStopsAnswering = false; // its reads fail from now on
    bool analogNonFinite = false;      // the PCI card hands over NaN and infinity
    bool serialVanished = false;       // the line to the GPIB converter is gone: writes fail
    bool gpibTimesOut = false;         // every command to the bus times out
    bool rotatorStalls = false;        // the rotor does not turn, whatever its voltage
};

// One switch of SimFaults: its name on the command line and its caption in the window.
struct FaultSwitch {
    const char *key;
    const char *caption;
    bool SimFaults::*flag;
};
inline constexpr FaultSwitch kFaultSwitches[] = {
    {"analog-open", "Analog board fails to open", &SimFaults::analogOpenFails},
    {"analog-stops", "Analog board stops answering", &SimFaults::analogStopsAnswering},
    {"analog-nan", "PCI card reads NaN and infinity", &SimFaults::analogNonFinite},
    {"serial-gone", "Serial converter vanished", &SimFaults::serialVanished},
    {"gpib-timeout", "GPIB board times out", &SimFaults::gpibTimesOut},
    {"rotator-stalls", "Rotator stalls", &SimFaults::rotatorStalls},
};

// What an analog input of the rig is wired to.
enum class Signal { None, Potential, Current, RingCurrent, RotatorSpeed };
struct InputWire {
    Signal signal = Signal::None;
    int cell = 0;
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

    // Switches a fault on once the rig has run for afterMs, so that a failure part-way through
    // a series can be rehearsed.
    void scheduleFault(bool SimFaults::*flag, std::uint32_t afterMs);
    // The faults in force now: those injected, and the scheduled ones that are due.
    const SimFaults &faultsNow();

    SimFaults injected;
    double noiseVolts = 0.0002; // standard deviation added to every input
    double rpmPerVolt = 1000;   // speed monitor of the rotator
    static constexpr std::int32_t kGeneratorAddress = 7;
    std::int32_t generatorAddress = kGeneratorAddress;

private:
    void step(double dt);
    double noise();

    MsClock &m_clock;
    std::uint32_t m_startTick;
    std::uint32_t m_lastTick;
    std::vector<std::pair<bool SimFaults::*, std::uint32_t>> m_scheduled;
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

} // namespace tervo::sim
