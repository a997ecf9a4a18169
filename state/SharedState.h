#pragma once

#include "Settings.h"
#include "TrackStore.h"
#include "core/Clock.h"
#include "core/Prompts.h"

#include <array>
#include <vector>

namespace tervo {

// The points of the run in progress; only one measurement runs at a time.
using AcquisitionPoints = std::vector<std::array<double, 3>>;

// The state the windows share while the program runs: the track store, the settings, the
// one-measurement flag with its acquisition buffer, the clock and the prompts. This is all the
// measurement machinery sees; AppState adds what only the application needs.
struct SharedState {
    SharedState(MsClock &c, Prompts &p) : clock(c), prompts(p) {}
    SharedState(const SharedState &) = delete;
    SharedState &operator=(const SharedState &) = delete;

    TrackStore store;
    Settings settings;
    bool MeasurementRunning = false;
    AcquisitionPoints AcquisitionBuffer = AcquisitionPoints(kMaxPoints, std::array<double, 3>{});

    MsClock &clock;
    Prompts &prompts;
};

} // namespace tervo
