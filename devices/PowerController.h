#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace tervo {

class Instruments;

inline constexpr int kPowerOutputs = 5;

// The power outputs on the digital output board. Its state byte is the only owner of the port:
// every change goes through it, so switching one output leaves the others as they are.
class PowerController {
public:
    explicit PowerController(Instruments &instruments);

    // Opens the digital output once; a failure leaves the controller unopened so that the next
    // use tries again. 0 = ready.
    std::int32_t ensureOpen();
    bool isOpen() const { return m_open; }

    void Power(std::int16_t index, std::uint8_t &on);
    void PowerOff();
    void Powerb(std::int32_t unused, std::uint8_t value);

    std::uint8_t state() const { return m_state; }
    bool isOn(int index) const { return index >= 0 && index < 8 && (m_state >> index) & 1; }

    std::array<QString, kPowerOutputs> labels{QStringLiteral("RPM Control"),
                                              QStringLiteral("Liquid phase"), QString(), QString(),
                                              QString()};
    // Told after every change of the state byte, so a shown window can follow it.
    std::function<void()> changed;

private:
    Instruments &m_instruments;
    std::uint8_t m_state = 0;
    bool m_open = false;
};

} // namespace tervo
