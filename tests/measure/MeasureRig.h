#pragma once

// A complete simulated workstation for measurement tests: fake clock, scripted prompts, the
// simulated rig behind the device operations, two graph windows and a silent sound player.
#include "devices/Instruments.h"
#include "devices/sim/SimRig.h"
#include "measure/MeasureContext.h"
#include "plot/Graph.h"
#include "state/AppState.h"
#include "support/TestDoubles.h"
#include "support/TestStation.h"
#include "support/VendorFakes.h"

#include <array>
#include <memory>

namespace tervo {

// The PCI-9112 card of the rig, counting the analog input reads per input.
class CountingDask final : public PciDaskLibrary {
public:
    explicit CountingDask(PciDaskLibrary &inner) : m_inner(inner) {}
    std::int16_t Register_Card(std::uint16_t type, std::uint16_t number) override
    {
        return m_inner.Register_Card(type, number);
    }
    std::int16_t Release_Card(std::uint16_t handle) override
    {
        return m_inner.Release_Card(handle);
    }
    std::int16_t AI_VReadChannel(std::uint16_t card, std::uint16_t channel, std::uint16_t range,
                                 double &volts) override
    {
        if (channel < reads.size())
            ++reads[channel];
        return m_inner.AI_VReadChannel(card, channel, range, volts);
    }
    std::int16_t AO_9112_Config(std::uint16_t handle, std::uint16_t channel,
                                double reference) override
    {
        return m_inner.AO_9112_Config(handle, channel, reference);
    }
    std::int16_t AO_VWriteChannel(std::uint16_t handle, std::uint16_t channel,
                                  double volts) override
    {
        return m_inner.AO_VWriteChannel(handle, channel, volts);
    }
    std::int16_t DO_WritePort(std::uint16_t card, std::uint16_t port, std::uint32_t value) override
    {
        return m_inner.DO_WritePort(card, port, value);
    }

    std::array<int, 64> reads{};

private:
    PciDaskLibrary &m_inner;
};

struct MeasureRig : TestStation<FakeMsClock> {
    bool guiReady = ensureGuiApp();
    std::unique_ptr<CountingDask> dask;
    std::unique_ptr<test::FaultyLibraries> faults;
    AppState *app = &station.state();
    sim::SimRig *rig = station.rig();
    VendorLibraries libraries = rig->libraries();
    Instruments *instruments = &station.instruments();
    MeasureContext *context = &station.context();
    QStringList shownTracks;

    explicit MeasureRig(int gpibControl = 2) : TestStation(simulated(11), 5000u)
    {
        app->loadMainWindowState();
        app->settings.GPIBControl = gpibControl;
        app->settings.GPIBAddress = sim::SimRig::kGeneratorAddress;
        app->settings.SoundFileName = QStringLiteral("done.wav");
        context->now = [] { return QDateTime(QDate(2026, 12, 7), QTime(10, 30, 0)); };
        context->showTrack = [this](int t) { shownTracks << QString::number(t); };
    }

    // Ticks the model at its timer interval until it is back in the monitor state.
    // Inputs, rotator output and power outputs on the PCI-9112 card, with the rotator's
    // calibration: RpmSet turns the simulated rotator. Call before the model is made.
    void useCard(bool rotator = true)
    {
        Settings &s = app->settings;
        s.ADBoard = 2;
        s.DABoard = rotator ? 1 : 0;
        s.PowerControl = rotator ? 2 : 0;
        s.CardNumber = 0;
        if (rotator)
            ReadRpmTable(QStringLiteral(TERVO_BIN_DIR "/rotator-calibration.txt"), app->RpmTable);
        dask = std::make_unique<CountingDask>(rig->dask());
        VendorLibraries libs = rig->libraries();
        libs.dask = dask.get();
        rebuild(libs);
    }

    // The rig's boards behind switches that make them fail (faults->port.neverReady, ...).
    // Call before the model is made.
    void useFaults()
    {
        faults = std::make_unique<test::FaultyLibraries>(libraries);
        rebuild(faults->libraries());
    }

    void rebuild(const VendorLibraries &libs)
    {
        libraries = libs;
        station.routeThrough(libs);
        instruments = &station.instruments();
        context = &station.context();
    }

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
