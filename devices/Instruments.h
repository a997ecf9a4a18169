#pragma once

#include "devices/PowerController.h"
#include "devices/VendorLibraries.h"
#include "state/BoardSettings.h"
#include "state/RpmTable.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tervo {

inline constexpr std::uint16_t kPortBoardBase = 0x1D0; // 464: data / control, 465: status
inline constexpr std::uint16_t kPortDigitalOut = 0x40; // 64
inline constexpr std::uint16_t kCardTypePci9112 = 22;
inline constexpr int kAnalogInputs = 64;
inline constexpr int kRangeCodeFirst = 3;
inline constexpr int kRangeCodeLast = 5;
// Polls of the port board's ready bit before a conversion is given up: a few milliseconds of
// bus reads on a real board, and no hang when the board is missing.
inline constexpr int kPortReadyPolls = 5000;
inline constexpr std::int32_t kGpibTimeout = 10000;

// The instruments of one run of the program: analog input, analog output, digital output, the
// GPIB route with the function generator, the rotator and the power outputs. It holds every piece
// of device state the windows share and reads the board choices from the settings at each call,
// so a changed setting takes effect at the next open.
class Instruments {
public:
    Instruments(BoardSettings &settings, std::vector<RpmRow> &rpmTable,
                const VendorLibraries &libs);
    Instruments(const Instruments &) = delete;
    Instruments &operator=(const Instruments &) = delete;

    // ADDevice
    std::int32_t ADOpen();
    double ADRead(std::uint8_t channel);
    void ADClose();
    // True once the board failed a read (a port-board conversion never signalled ready, a
    // library call failed, a value that is no number); reads then return 0 V until the next
    // ADOpen. The measurement windows show their board message when they see it.
    bool adBoardFaulty() const { return m_adFaulty; }

    // DADevice
    std::int16_t DAOpen();
    void DAWrite(std::int16_t channel, double &volts);
    void DAClose();

    // DODevice
    void DOWrite(std::uint8_t value);
    // Opening the digital output: registers the card for the ADLINK port, asks for the I/O port
    // otherwise. 0 = ready.
    std::int32_t DOOpen();

    // GPIB
    std::int32_t GPIBInit();
    void GPIBSend(std::int32_t address, const QByteArray &command);
    // The first command the generator's route did not deliver since the last take, as a
    // sentence for the operator: the generator may then not be doing what a run expects.
    bool routeFaulty() const { return !m_routeFault.isEmpty(); }
    QString takeRouteFault();
    // SubFunc
    std::int32_t GPIBBoardInit(QString &message);

    // FunctionGenerator
    void FGProgramSweep(std::int32_t channel, const std::array<double, 3> &v, double rate,
                        std::int32_t hold);
    void FGProgramStep(std::int32_t channel, const std::array<double, 2> &v, std::int32_t hold1,
                       std::int32_t hold2);
    void FGStart();
    void FGStop();

    // RpmControl
    void RpmSet(std::int32_t &rpm);
    void RpmNudge(double step);
    // The rate the rotator turns at after RpmSet handed back rpm: rpm, or 0 where the motor was
    // switched off. None when rotation is not controlled, as RpmSet then does nothing.
    std::optional<double> rpmAfterSet(std::int32_t rpm) const;

    // The power window's state, opened at its first use (a failed open is tried again at the
    // next use).
    PowerController &power();
    // The same without opening it, for handing to the window.
    PowerController &powerController() { return m_power; }

    BoardSettings &settings() { return m_settings; }
    const BoardSettings &settings() const { return m_settings; }
    std::vector<RpmRow> &rpmTable() { return m_rpmTable; }
    const VendorLibraries &libraries() const { return m_libs; }

    std::int32_t CardHandle = -1;
    double RotatorVoltage = 0;
    QString GPIBLastMessage;
    std::array<std::int32_t, kAnalogInputs> RangeCode{};
    std::array<double, kRangeCodeLast + 1> FullScale{};
    std::int32_t adOpenStatus() const { return m_adStatus; }

private:
    bool registerCard();
    double readPortBoard(std::uint8_t channel);

    BoardSettings &m_settings;
    std::vector<RpmRow> &m_rpmTable;
    VendorLibraries m_libs;

    std::int32_t m_adStatus = 0;
    QString m_routeFault;
    bool m_adFaulty = false;
    bool m_portBoardGranted = false;
    bool m_portOutGranted = false;

    std::int16_t m_aioId = 0;
    std::uint16_t m_aioData = 0;
    std::uint16_t m_aioChannel = 0;
    AioTransfer m_aioTransfer;

    std::array<std::int32_t, 3> m_gpibAddresses{2, 0, 0};
    std::int32_t m_gpibTimeout = 0;
    std::array<std::int32_t, 4> m_boardStatus{};

    PowerController m_power;
};

} // namespace tervo
