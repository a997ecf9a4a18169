#include "SimPanelController.h"

#include "SimRig.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

namespace tervo::sim {

SimPanelController::SimPanelController(SimRig &rig) : m_rig(rig)
{
    potentialGain = formatShort(rig.potentiostat().potentialGain);
    currentGain = formatShort(rig.potentiostat().currentGain);
    ringGain = formatShort(rig.potentiostat().ringGain);
    noise = formatShort(rig.noiseVolts);
}

void SimPanelController::apply()
{
    SimPotentiostat &p = m_rig.potentiostat();
    const double pg = parseDecimal(potentialGain);
    const double cg = parseDecimal(currentGain);
    const double rg = parseDecimal(ringGain);
    const double n = parseDecimal(noise);
    if (pg > 0)
        p.potentialGain = pg;
    if (cg > 0)
        p.currentGain = cg;
    if (rg > 0)
        p.ringGain = rg;
    if (n >= 0)
        m_rig.noiseVolts = n;
    potentialGain = formatShort(p.potentialGain);
    currentGain = formatShort(p.currentGain);
    ringGain = formatShort(p.ringGain);
    noise = formatShort(m_rig.noiseVolts);
    m_rig.sync();
    p.setSweep(parseDecimal(v0), parseDecimal(v1), parseDecimal(v2), parseDecimal(rate));
    rate = formatShort(parseDecimal(rate) > 0 ? parseDecimal(rate) : 100);
}

void SimPanelController::startSweep()
{
    apply();
    m_rig.potentiostat().startSweep();
}

void SimPanelController::stopSweep()
{
    m_rig.sync();
    m_rig.potentiostat().stopSweep();
}

bool SimPanelController::sweeping() const
{
    return m_rig.potentiostat().sweeping();
}

QString SimPanelController::statusText() const
{
    m_rig.sync();
    const CellCurrents i = m_rig.cellCurrents(0);
    return QStringLiteral("E %1 V   I %2 A   ring %3 A   %4 rpm   relays %5")
        .arg(formatPattern(m_rig.potentiostat().appliedPotential(), "0.000"),
             formatPattern(i.disk, "0.000E+0"), formatPattern(i.ring, "0.000E+0"),
             formatPattern(m_rig.rotator().rpm(), "0"),
             QString::number(m_rig.relays(), 2).rightJustified(5, QLatin1Char('0')));
}

QStringList SimPanelController::faults() const
{
    return m_rig.faults();
}

bool SimPanelController::faultInjected(int index) const
{
    return m_rig.injected.*(kFaultSwitches[index].flag);
}

void SimPanelController::injectFault(int index, bool on)
{
    m_rig.injected.*(kFaultSwitches[index].flag) = on;
}

} // namespace tervo::sim
