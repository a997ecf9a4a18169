#pragma once

#include "core/Prompts.h"
#include "devices/Instruments.h"
#include "plot/Graph.h"
#include "state/SharedState.h"

#include <QDateTime>
#include <functional>

namespace tervo {

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
};

} // namespace tervo
