#pragma once

#include <QString>

namespace tervo::sim {

// Currents of the working (disk) and ring electrodes in amperes, anodic positive.
struct CellCurrents {
    double disk = 0;
    double ring = 0;
};

// An electrochemical cell behind the simulated potentiostat. The potentiostat applies a potential
// (V against the reference) and the rotator turns at some rate; the model is advanced in time
// incrementally, never recomputed from the start.
class CellModel {
public:
    virtual ~CellModel() = default;
    virtual QString name() const = 0;
    // Back to the resting state (bulk concentrations, uncharged double layer).
    virtual void reset() = 0;
    // Advances by dtSeconds (>= 0) with the given electrode potential and rotation rate and
    // returns the currents at the end of the interval.
    virtual CellCurrents advance(double dtSeconds, double potentialV, double rpm) = 0;
};

} // namespace tervo::sim
