#pragma once

#include "plot/Graph.h"
#include "support/TestDoubles.h"
#include "workstation/Workstation.h"

#include <QGuiApplication>
#include <QTemporaryDir>

namespace tervo {

// The graphs print their labels, which needs a GUI application object.
inline bool ensureGuiApp()
{
    static int argc = 1;
    static char name[] = "tests";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
    return true;
}

// A workstation for tests and benchmarks in a folder of its own (unless the set-up names one):
// scripted prompts, a clipboard in
// memory, no sound and two graphs that nobody sees. Unless the set-up says otherwise, it runs on
// the simulated rig, which keeps its dummy cell until a test puts its own behind it.
template <typename Clock> struct TestStation {
    QTemporaryDir dir;
    Clock clock;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    Graph monitor{clipboard};
    Graph result{clipboard};
    SilentSoundPlayer sound;
    Workstation station;

    template <typename... ClockArgs>
    explicit TestStation(WorkstationSetup setup, ClockArgs... clockArgs)
        : clock(clockArgs...),
          station(Desk{clock, prompts, clipboard, sound, monitor, result}, inFolder(setup, dir))
    {
    }

    static WorkstationSetup simulated(std::uint64_t seed)
    {
        return WorkstationSetup{.seed = seed, .savedCell = false};
    }

private:
    static WorkstationSetup inFolder(WorkstationSetup setup, const QTemporaryDir &own)
    {
        if (setup.folder.isEmpty())
            setup.folder = own.path();
        return setup;
    }
};

} // namespace tervo
