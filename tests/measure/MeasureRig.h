#pragma once

// A complete simulated workstation for measurement tests: fake clock, scripted prompts, the
// simulated rig behind the device operations, two graph windows and a silent sound player.
#include "app/AppState.h"
#include "devices/Instruments.h"
#include "devices/sim/SimRig.h"
#include "measure/MeasureContext.h"
#include "plot/Graph.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <memory>

namespace tervo {

// The graphs print their labels, which needs a GUI application object.
inline bool ensureGuiApp()
{
    static int argc = 1;
    static char name[] = "measure_tests";
    static char *argv[] = {name, nullptr};
    static QGuiApplication *app =
        QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
    return true;
}

struct MeasureRig {
    bool guiReady = ensureGuiApp();
    QTemporaryDir dir;
    FakeMsClock clock{5000};
    ScriptedPrompts prompts;
    std::unique_ptr<AppState> app;
    std::unique_ptr<sim::SimRig> rig;
    std::unique_ptr<Instruments> instruments;
    MemoryClipboard clipboard;
    Graph monitor{clipboard};
    Graph result{clipboard};
    SilentSoundPlayer sound;
    std::unique_ptr<MeasureContext> context;
    QStringList shownTracks;

    explicit MeasureRig(int gpibControl = 2)
    {
        app = std::make_unique<AppState>(clock, prompts, dir.path());
        app->loadMainWindowState();
        app->settings.GPIBControl = gpibControl;
        app->settings.GPIBAddress = 7;
        app->settings.SoundFileName = QStringLiteral("done.wav");
        rig = std::make_unique<sim::SimRig>(clock, 11);
        rig->wireStandard();
        instruments = std::make_unique<Instruments>(app->settings, app->RpmTable, rig->libraries());
        context = std::make_unique<MeasureContext>(
            MeasureContext{*app, *instruments, monitor, result, sound});
        context->now = [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 30, 0)); };
        context->showTrack = [this](int t) { shownTracks << QString::number(t); };
    }

    // Ticks the model at its timer interval until it is back in the monitor state.
    template <typename Model> int runToEnd(Model &m, int maxTicks = 200000)
    {
        int ticks = 0;
        while (m.state() == Model::Measuring && ticks < maxTicks) {
            clock.advance(static_cast<std::uint32_t>(m.timerIntervalMs()));
            m.tick();
            ++ticks;
        }
        return ticks;
    }

    template <typename Model> void ticks(Model &m, int count)
    {
        for (int i = 0; i < count; ++i) {
            clock.advance(static_cast<std::uint32_t>(m.timerIntervalMs()));
            m.tick();
        }
    }
};

} // namespace tervo
