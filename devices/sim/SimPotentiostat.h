#pragma once

#include "devices/sim/Waveform.h"

namespace tervo::sim {

class SimFunctionGenerator;

// The potentiostat: it applies the function generator's potential (external input) or, with no
// generator, its own sweep programme started by hand, and shows potential and current on its
// monitor outputs.
class SimPotentiostat {
public:
    explicit SimPotentiostat(const SimFunctionGenerator &generator);

    // With the external input connected, the generator drives the cell once it holds a
    // programme; until then, and with the input off, the front-panel sweep does.
    bool externalInput = true;
    double potentialGain = 1.0; // V of potential per V of monitor output
    double currentGain = 0.001; // A of current per V of monitor output
    double ringGain = 1e-5;     // A/V of the ring current monitor (the ring window's default)

    // The front-panel sweep: hold v0, then ramp v0 -> v1 -> v2 (-> v0) at rate mV/s, repeated.
    void setSweep(double v0, double v1, double v2, double rateMVs);
    void startSweep();
    void stopSweep();
    bool sweeping() const { return m_player.running(); }

    void advance(double dt);
    double appliedPotential() const;

private:
    const SimFunctionGenerator &m_generator;
    WaveProgramme m_sweep;
    WavePlayer m_player;
};

} // namespace tervo::sim
