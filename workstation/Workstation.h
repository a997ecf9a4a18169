#pragma once

#include "core/Clock.h"
#include "core/Prompts.h"
#include "core/SecretStore.h"
#include "devices/VendorLibraries.h"
#include "macro/MacroRunner.h"
#include "measure/MeasureContext.h"
#include "state/AppState.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tervo {

class CVModel;
class InstrumentRoutes;
class MeasurementModel;
class MultipotentiostatModel;
class PSModel;
class RDEModel;
class RPMvsjModel;
class RunRecorder;
class SSVModel;
class SmtpMailSender;

namespace sim {
class SimCellController;
class SimRig;
} // namespace sim

// What the operator's desk lends the workstation: the clock, the questions, the clipboard, the
// loudspeaker and the two graph windows. The program hands in its windows, the tools a console.
struct Desk {
    MsClock &clock;
    Prompts &prompts;
    Clipboard &clipboard;
    SoundPlayer &sound;
    Graph &monitorGraph;
    Graph &resultGraph;
};

struct WorkstationSetup {
    QString folder; // of the settings and the recovery files
    // Shared with a program that holds the folder: the settings are read, never written.
    bool readOnly = false;
    SecretStore *secrets = nullptr; // the mail password's keeper; null: a file beside the settings
    // Writes the simulated workstation as the settings when the folder has none yet; the
    // rotator's calibration is the one beside the program in programFolder.
    bool demo = false;
    QString programFolder;
    bool hardware = false;  // the real routes instead of the simulated rig
    QString serialDevice;   // of the serial converter; empty: the default one
    std::uint64_t seed = 1; // the simulated rig's and cells' noise
    // The cell saved in the folder goes behind the simulated potentiostat, and runs carry its
    // facts. Off, the rig keeps the cells it is given.
    bool savedCell = true;
};

// The one set of objects behind the program and its headless runs: shared state, instrument
// routes, the simulated cell, the instruments, the measurement context, the models of the
// measurement windows, the recovery recorder and the mail sender; and how they end.
class Workstation {
public:
    Workstation(const Desk &desk, WorkstationSetup setup);
    ~Workstation();
    Workstation(const Workstation &) = delete;
    Workstation &operator=(const Workstation &) = delete;

    const Desk &desk() const { return m_desk; }
    AppState &state() { return *m_state; }
    Instruments &instruments() { return *m_instruments; }
    MeasureContext &context() { return *m_context; }
    // The simulated rig and its cell; null on the real routes (and the cell without savedCell).
    sim::SimRig *rig() const;
    sim::SimCellController *cells() const { return m_cells.get(); }
    MailSender &mail();

    // The header fields a run takes from the simulated cell: none on the real routes, for the
    // dummy cell and for the ten cells of the multipotentiostat.
    std::optional<CellFacts> cellFacts() const;

    // The instruments reach the boards through other libraries (a test's wrappers around the
    // rig's). Only before the models are made: they keep the instruments they were given.
    void routeThrough(const VendorLibraries &libraries);

    // The models take their fields from the settings, so they are made once those are read.
    void makeModels();
    bool hasModels() const { return m_models != nullptr; }
    CVModel &cv();
    CVModel &cvf(); // the second, independent CV window that the macros' CVF commands drive
    RDEModel &rde();
    PSModel &ps();
    RPMvsjModel &rpmvsj();
    MultipotentiostatModel &multi();
    SSVModel &ssv();
    const std::vector<MeasurementModel *> &models() const { return m_modelList; }

    // What the macro runner drives: the models, the instruments and the mail. Without windows
    // the power control is opened without one; the caller adds the steady-state target.
    MacroEnvironment macroEnvironment();

    // Unsaved runs survive a crash: the recovery files in the settings folder, kept for every
    // model.
    RunRecorder &keepRecovery();
    RunRecorder *recorder() const { return m_recorder.get(); }

    // Stop as the operator's Stop does, keeping what was recorded.
    void stopRuns();
    // The end of a session: runs in progress stopped and stored, the generator stopped and the
    // rotator at 0 rpm when a window had the boards open, the boards closed.
    void shutdown();

private:
    struct Models;

    void makeContext(const MeasureContext *previous);

    Desk m_desk;
    WorkstationSetup m_setup;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<InstrumentRoutes> m_routes;
    std::unique_ptr<sim::SimCellController> m_cells;
    std::unique_ptr<Instruments> m_instruments;
    std::unique_ptr<MeasureContext> m_context;
    std::unique_ptr<SmtpMailSender> m_mail;
    std::unique_ptr<Models> m_models;
    std::vector<MeasurementModel *> m_modelList;
    std::unique_ptr<RunRecorder> m_recorder;
};

// The simulated workstation's boards: the generator on the GPIB board at the rig's address, the
// rotator on the PCI card with the calibration file, power control.
void setUpSimulatedRig(Settings &settings, const QString &calibrationFile);

// The complete simulated workstation of a demo or a headless macro run, written as the settings
// file when there is none yet, with the calibration beside the program (in programFolder).
void prepareDemoSettings(AppState &state, const QString &programFolder);

} // namespace tervo
