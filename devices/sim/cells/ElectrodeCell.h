#pragma once

#include "CellParameters.h"
#include "NoiseSource.h"
#include "devices/sim/CellModel.h"

namespace tervo::sim {

// Keeps every exponential of the rate law finite.
inline constexpr double kMaxExponent = 650;

// Axial velocity near a rotating disk, v = -0.51023 omega^1.5 nu^-0.5 x^2 (Levich).
inline constexpr double kLevichFlow = 0.51023;

inline constexpr double kFaraday = 96485.33212;     // C/mol
inline constexpr double kGasConstant = 8.314462618; // J/(mol K)

// What every simulated electrode shares: the potentiostat drives the interface through the
// uncompensated resistance Ru, the double layer Cdl sits in parallel with the faradaic reaction,
// and the measured currents carry white noise and mains pick-up.
//
// The applied potential moves linearly from the previous call's value to the new one over the
// interval, which is exact for a sweep and, for a step somewhere inside the interval, lies
// between holding either end. Long intervals or large potential changes are split into
// sub-steps. The double layer is integrated exactly over each sub-step (a true exponential with
// Ru Cdl); the faradaic current is implicit, so large currents through Ru stay stable.
//
// A porous film (a catalyst layer of high surface area) adds a capacitance that charges through
// its own ionic resistance, in parallel with the double layer; after a potential step it relaxes
// with Rf Cf, seconds rather than the Ru Cdl microseconds of a bare disk. It is integrated
// exactly for an interface potential linear over the sub-step, its current implicit as well.
class ElectrodeCell : public CellModel {
public:
    ElectrodeCell(QString name, const CellParameters &parameters);

    QString name() const override { return m_name; }
    void reset() override;
    CellCurrents advance(double dtSeconds, double potentialV, double rpm) override;

    const CellParameters &parameters() const { return m_p; }
    // Potential across the double layer (applied potential less the ohmic drop), V.
    double interfacialPotential() const { return m_v; }
    // Noise-free faradaic disk current and total currents of the last call, A.
    double faradaicCurrent() const { return m_faradaic; }
    CellCurrents cleanCurrents() const { return m_clean; }
    // Time since reset, s.
    double time() const { return m_time; }
    // F/RT, 1/V.
    double fOverRT() const { return m_f; }
    // Total double-layer capacitance, F.
    double capacitance() const { return m_cdl; }
    // The porous film: its capacitance (F, 0 without a film) and the potential it is charged to.
    double filmCapacitance() const { return m_cfilm; }
    double filmPotential() const { return m_vFilm; }

    // Longest sub-step (s) and largest potential change per sub-step (V).
    static constexpr double kMaxSubstep = 0.02;
    static constexpr double kMaxPotentialSubstep = 0.002;
    static constexpr int kMaxSubsteps = 64;

protected:
    // Bulk state of the solution.
    virtual void resetSolution() = 0;
    // Eliminates the transport problem for one sub-step of length dt at rotation omega (rad/s).
    virtual void prepareStep(double dt, double omega) = 0;
    // Faradaic disk current (A) over the prepared step if the interface sits at potential v, and
    // its derivative with respect to v.
    virtual double faradaicAt(double v, double &slope) const = 0;
    // Bounds of faradaicAt over all potentials for the prepared step.
    virtual void faradaicRange(double &lo, double &hi) const = 0;
    // Finishes the step at interface potential v; returns the ring current (A).
    virtual double completeStep(double v) = 0;

    double area() const { return m_p.area; }

private:
    void substep(double dt, double applied0, double applied1, double omega);
    double solveInterface(double target, double gain) const;
    // The film current at the end of a sub-step of length dt over which the interface moves
    // linearly from m_v to v is slope * v + offset.
    void filmCurrentLine(double dt, double &slope, double &offset) const;

    QString m_name;
    CellParameters m_p;
    double m_f;
    double m_cdl;
    double m_cfilm = 0;
    double m_vFilm = 0;
    NoiseSource m_noise;
    double m_mainsPhase = 0;
    bool m_started = false;
    double m_applied = 0;
    double m_v = 0;
    double m_omega = 0;
    double m_time = 0;
    double m_faradaic = 0;
    CellCurrents m_clean;
    CellCurrents m_output;
};

} // namespace tervo::sim
