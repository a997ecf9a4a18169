#pragma once

#include <QString>
#include <QStringList>

namespace tervo::sim {

class SimRig;

// The simulated rig's front panel: the potentiostat's own sweep (used when no function generator
// is configured, started by hand as on the instrument), its monitor gains and the noise, and a
// read-out of what the rig is doing.
class SimPanelController {
public:
    explicit SimPanelController(SimRig &rig);

    QString v0 = QStringLiteral("0");
    QString v1 = QStringLiteral("0.5");
    QString v2 = QStringLiteral("-0.5");
    QString rate = QStringLiteral("100"); // mV/s
    QString potentialGain;                // V/V
    QString currentGain;                  // A/V
    QString ringGain;                     // A/V
    QString noise;                        // V

    // Takes the fields into the rig; a gain of 0 or less is refused and set back.
    void apply();
    void startSweep();
    void stopSweep();
    bool sweeping() const;

    // Potential, current, rotation and relays as one line.
    QString statusText() const;
    // The commands the rig could not take, newest last.
    QStringList faults() const;

    // The injected faults of kFaultSwitches, by index.
    bool faultInjected(int index) const;
    void injectFault(int index, bool on);

private:
    SimRig &m_rig;
};

} // namespace tervo::sim
