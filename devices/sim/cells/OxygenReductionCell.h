#pragma once

#include "DiffusionLine.h"
#include "ElectrodeCell.h"

namespace tervo::sim {

// Oxygen reduction at the disk of a ring-disk electrode by two parallel, irreversible paths:
//   O2 + 4 H+ + 4 e- -> 2 H2O     k4 = k4' exp(-a4 F (E - E0) / RT)
//   O2 + 2 H+ + 2 e- -> H2O2      k2 = k2' exp(-a2 F (E - E0) / RT)
// Both consume O2 from the same diffusion layer; the share of the peroxide path,
// k2 / (k2 + k4), depends on the potential only, through the difference of the two transfer
// coefficients: equal ones give a constant share k2' / (k2' + k4'), a larger a2 a share that
// grows towards negative potentials. The cell's effective electron count is 4 - 2 share. The
// ring oxidises the fraction N of the peroxide made at the disk (anodic current).
class OxygenReductionCell : public ElectrodeCell {
public:
    explicit OxygenReductionCell(const CellParameters &parameters);

    // Share of the O2 reduced at the disk that leaves as H2O2, at interface potential v.
    double peroxideShareAt(double v) const;
    // The percentage of O2 reduced to water at interface potential v: what the ring-disk
    // analysis recovers from 100 (D - R/N) / (R/N + D).
    double waterPercentAt(double v) const { return 100 * (1 - peroxideShareAt(v)); }
    // Peroxide part of the last disk current (cathodic, negative), A.
    double peroxideCurrent() const { return m_peroxideCurrent; }
    double surfaceOxygen() const { return m_line.surface(); }

protected:
    void resetSolution() override;
    void prepareStep(double dt, double omega) override;
    double faradaicAt(double v, double &slope) const override;
    void faradaicRange(double &lo, double &hi) const override;
    double completeStep(double v) override;

private:
    struct Rates {
        double rate;  // O2 consumed, mol cm^-2 s^-1
        double share; // peroxide share
        double rateSlope;
        double shareSlope;
    };
    Rates ratesAt(double v) const;

    double m_fa; // F A
    double m_flow;
    double m_peroxideCurrent = 0;
    DiffusionLine m_line;
};

} // namespace tervo::sim
