#pragma once

namespace tervo::sim {

// The electrode rotator: its speed follows the control voltage through the motor's own curve
// with a first-order lag, and only while its power is on.
class SimRotator {
public:
    // The settled speed at a control voltage: nothing below the dead band, then rising faster
    // than linearly, about 2330 rpm at 5 V.
    static double settledRpm(double volts);
    // The control voltage that settles at rpm (the inverse of settledRpm).
    static double voltsFor(double rpm);

    void setVoltage(double v) { m_volts = v; }
    void setPowered(bool on) { m_powered = on; }
    void advance(double dt);
    double rpm() const { return m_rpm; }
    double voltage() const { return m_volts; }
    bool powered() const { return m_powered; }

    double timeConstant = 0.5; // s
    bool stalled = false;      // a jammed rotor stays still

private:
    double m_volts = 0;
    bool m_powered = false;
    double m_rpm = 0;
};

} // namespace tervo::sim
