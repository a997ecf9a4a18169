#pragma once

#include "DiffusionLine.h"
#include "ElectrodeCell.h"

namespace tervo::sim {

// O + n e- = R at a disk electrode, Butler-Volmer kinetics, both forms with the same diffusion
// coefficient. Stationary: semi-infinite linear diffusion; rotating: Levich convective diffusion.
// With equal diffusion coefficients O + R is uniform at all times, so only O is transported.
class RedoxCoupleCell : public ElectrodeCell {
public:
    explicit RedoxCoupleCell(const CellParameters &parameters,
                             const QString &name = kRedoxCoupleModel);

    // Surface concentrations after the last step, mol/cm^3.
    double surfaceOxidised() const { return m_line.surface(); }
    double surfaceReduced() const { return m_total - m_line.surface(); }
    const DiffusionLine &line() const { return m_line; }

protected:
    void resetSolution() override;
    void prepareStep(double dt, double omega) override;
    double faradaicAt(double v, double &slope) const override;
    void faradaicRange(double &lo, double &hi) const override;
    double completeStep(double v) override;

private:
    // Reduction rate (mol cm^-2 s^-1) over the prepared step at interface potential v.
    double reductionRate(double v, double *slope) const;

    double m_total;  // bulk O + R, mol/cm^3
    double m_nf;     // nF/RT
    double m_charge; // nFA, C/mol
    double m_flow;   // Levich flow coefficient per (rad/s)^1.5
    DiffusionLine m_line;
};

} // namespace tervo::sim
