#include "Workstation.h"

#include "devices/Instruments.h"
#include "devices/sim/InstrumentRoutes.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimRig.h"
#include "macro/SmtpMailSender.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/RunRecorder.h"
#include "measure/SSVModel.h"

#include <QDir>
#include <QFileInfo>
#include <cassert>

namespace tervo {

struct Workstation::Models {
    explicit Models(MeasureContext &context, Clipboard &clipboard)
        : cv(context), cvf(context), rde(context), ps(context), rpmvsj(context), multi(context),
          ssv(context, clipboard)
    {
    }
    CVModel cv;
    CVModel cvf;
    RDEModel rde;
    PSModel ps;
    RPMvsjModel rpmvsj;
    MultipotentiostatModel multi;
    SSVModel ssv;
};

Workstation::Workstation(const Desk &desk, WorkstationSetup setup)
    : m_desk(desk), m_setup(std::move(setup))
{
    m_state = std::make_unique<AppState>(m_desk.clock, m_desk.prompts, m_setup.folder);
    m_state->setReadOnly(m_setup.readOnly);
    if (m_setup.secrets)
        m_state->setSecretStore(m_setup.secrets);
    if (m_setup.demo)
        prepareDemoSettings(*m_state, m_setup.programFolder);

    m_routes = m_setup.hardware ? InstrumentRoutes::hardware(m_setup.serialDevice)
                                : InstrumentRoutes::simulated(m_desk.clock, m_setup.seed);
    if (sim::SimRig *r = m_routes->rig(); r && m_setup.savedCell) {
        m_cells = std::make_unique<sim::SimCellController>(*r, m_setup.folder, m_setup.seed);
        m_cells->setReadOnly(m_setup.readOnly);
        m_cells->load();
    }
    m_instruments =
        std::make_unique<Instruments>(m_state->settings, m_state->RpmTable, m_routes->libraries());
    makeContext(nullptr);
    m_mail = std::make_unique<SmtpMailSender>(m_state->settings);
}

// The recorder and the models go before the context and the instruments they hold.
Workstation::~Workstation()
{
    m_recorder.reset();
    m_modelList.clear();
    m_models.reset();
}

void Workstation::makeContext(const MeasureContext *previous)
{
    m_context = std::make_unique<MeasureContext>(MeasureContext{
        *m_state, *m_instruments, m_desk.monitorGraph, m_desk.resultGraph, m_desk.sound});
    if (previous) {
        m_context->now = previous->now;
        m_context->showTrack = previous->showTrack;
        m_context->cellFacts = previous->cellFacts;
    } else if (m_cells) {
        m_context->cellFacts = [this] { return cellFacts(); };
    }
}

sim::SimRig *Workstation::rig() const
{
    return m_routes->rig();
}

MailSender &Workstation::mail()
{
    return *m_mail;
}

std::optional<CellFacts> Workstation::cellFacts() const
{
    CellFacts f;
    if (!m_cells || !m_cells->trackFields(f.Conc, f.Area, f.ne))
        return std::nullopt;
    return f;
}

void Workstation::routeThrough(const VendorLibraries &libraries)
{
    assert(!m_models);
    const std::unique_ptr<MeasureContext> previous = std::move(m_context);
    m_instruments = std::make_unique<Instruments>(m_state->settings, m_state->RpmTable, libraries);
    makeContext(previous.get());
}

void Workstation::makeModels()
{
    assert(!m_models);
    m_models = std::make_unique<Models>(*m_context, m_desk.clipboard);
    Models &m = *m_models;
    m_modelList = {&m.cv, &m.rde, &m.ps, &m.rpmvsj, &m.multi, &m.cvf, &m.ssv};
}

CVModel &Workstation::cv()
{
    return m_models->cv;
}

CVModel &Workstation::cvf()
{
    return m_models->cvf;
}

RDEModel &Workstation::rde()
{
    return m_models->rde;
}

PSModel &Workstation::ps()
{
    return m_models->ps;
}

RPMvsjModel &Workstation::rpmvsj()
{
    return m_models->rpmvsj;
}

MultipotentiostatModel &Workstation::multi()
{
    return m_models->multi;
}

SSVModel &Workstation::ssv()
{
    return m_models->ssv;
}

MacroEnvironment Workstation::macroEnvironment()
{
    MacroEnvironment env{*m_state, *m_instruments, m_desk.sound};
    env.cv = &cv();
    env.cvf = &cvf();
    env.rde = &rde();
    env.ps = &ps();
    env.rpmvsi = &rpmvsj();
    env.ssv = &ssv();
    env.mail = m_mail.get();
    Instruments &instruments = *m_instruments;
    env.showPower = [&instruments] { instruments.power().ensureOpen(); };
    return env;
}

RunRecorder &Workstation::keepRecovery()
{
    if (!m_recorder) {
        m_recorder = std::make_unique<RunRecorder>(*m_context, m_setup.folder);
        for (MeasurementModel *m : m_modelList)
            m_recorder->watch(*m);
    }
    return *m_recorder;
}

void Workstation::stopRuns()
{
    for (MeasurementModel *m : m_modelList)
        m->stopNow();
}

void Workstation::shutdown()
{
    bool boardsOpen = false;
    for (MeasurementModel *m : m_modelList)
        boardsOpen = boardsOpen || m->isOpen();
    // Closing stores a run in progress with what it recorded and stops its instruments.
    for (MeasurementModel *m : m_modelList)
        m->closeWindow();
    // Whatever a macro left turning or sweeping is stopped too.
    if (boardsOpen) {
        if (m_state->settings.GPIBControl > 0)
            m_instruments->FGStop();
        std::int32_t zero = 0;
        m_instruments->RpmSet(zero);
    }
    m_instruments->ADClose();
    m_instruments->DAClose();
}

void setUpSimulatedRig(Settings &s, const QString &calibrationFile)
{
    s.GPIBControl = 2;
    s.GPIBAddress = sim::SimRig::kGeneratorAddress;
    s.DABoard = 1;
    s.PowerControl = 1;
    s.RPMvsVoltageFile = calibrationFile;
}

void prepareDemoSettings(AppState &state, const QString &programFolder)
{
    if (QFileInfo::exists(state.settingsPath()))
        return;
    ApplyDefaultSettings(state.settings);
    Settings &s = state.settings;
    setUpSimulatedRig(s, QDir(programFolder).filePath(QStringLiteral("rotator-calibration.txt")));
    s.SoundFileName.clear();
    for (CVSet &set : s.CV) {
        set.CVSamplingRate = 10;
        set.CVAccum = 20;
        set.CVRetainTime = 2;
    }
    s.RDESamplingRate = 10;
    s.RDEAccum = 20;
    state.WriteSettings();
}

} // namespace tervo
