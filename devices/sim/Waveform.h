#pragma once

#include <vector>

namespace tervo::sim {

// One step of a potential programme: move to target (a jump, or a ramp at rate V/s), then hold.
struct WaveSegment {
    double target = 0;
    double rate = 0; // V/s; a ramp at rate 0 never arrives
    bool jump = false;
    double hold = 0; // s
    bool trigger = false;
};

// A start segment run once, then the cycle segments repeated until stopped.
struct WaveProgramme {
    WaveSegment start;
    std::vector<WaveSegment> cycle;
};

// Plays a programme forward in time from wherever the potential is.
class WavePlayer {
public:
    void start(const WaveProgramme *programme, double fromPotential);
    void stop() { m_running = false; }
    bool running() const { return m_running; }
    double potential() const { return m_potential; }
    void setPotential(double v) { m_potential = v; }
    // Advances by dt seconds.
    void advance(double dt);
    // -1 while in the start segment, else the index in the cycle.
    int segmentIndex() const { return m_segment; }
    int cyclesCompleted() const { return m_cycles; }

private:
    const WaveSegment &segment() const;
    void nextSegment();

    const WaveProgramme *m_programme = nullptr;
    bool m_running = false;
    int m_segment = -1;
    bool m_holding = false;
    double m_holdLeft = 0;
    double m_potential = 0;
    int m_cycles = 0;
};

} // namespace tervo::sim
