#pragma once

#include "devices/sim/CellModel.h"

namespace tervo::sim {

// The potentiostat's test cell: a series resistor to a resistor and capacitor in parallel. It has
// no ring electrode and ignores the rotation rate.
class DummyCell final : public CellModel {
public:
    explicit DummyCell(double seriesOhm = 100, double parallelOhm = 1000, double farad = 1e-4);
    QString name() const override;
    void reset() override { m_capacitorV = 0; }
    CellCurrents advance(double dtSeconds, double potentialV, double rpm) override;

    double capacitorVoltage() const { return m_capacitorV; }

private:
    double m_rs;
    double m_rp;
    double m_c;
    double m_capacitorV = 0;
};

} // namespace tervo::sim
