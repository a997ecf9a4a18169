#pragma once

#include "core/Prompts.h"
#include "devices/Instruments.h"
#include "plot/Graph.h"
#include "state/SharedState.h"

#include <QDateTime>
#include <functional>
#include <optional>

namespace tervo {

// The header fields a simulated cell knows: concentration (mol cm-3), disk area (cm2), electrons.
struct CellFacts {
    double Conc = 0;
    double Area = 0;
    double ne = 0;
};

// What every measurement window is handed: the shared state (track store, settings, clock,
// prompts, the running flag and the acquisition buffer), the instruments, the two graph windows,
// the finishing sound, the calendar and a way to make the main window show a track again.
struct MeasureContext {
    SharedState &app;
    Instruments &instruments;
    Graph &monitorGraph; // the first graph window
    Graph &resultGraph;  // the second graph window
    SoundPlayer &sound;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<void(int)> showTrack = [](int) {};
    // Set when the rig is simulated: a run fills the header fields it left empty from the cell.
    std::function<std::optional<CellFacts>()> cellFacts;
};

} // namespace tervo
