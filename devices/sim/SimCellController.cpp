#include "SimCellController.h"

#include "DummyCell.h"
#include "SimRig.h"
#include "devices/sim/cells/CellFactory.h"

#include <QDir>
#include <algorithm>

namespace tervo::sim {

SimCellController::SimCellController(SimRig &rig, QString folder, std::uint64_t seed)
    : m_rig(rig), m_folder(std::move(folder)), m_seed(seed),
      m_multi(makeMultipotentiostatCells(seed))
{
}

SimCellController::~SimCellController()
{
    // The rig keeps plain pointers: take them back before the cells go.
    for (int k = 0; k < kMaxCells; ++k)
        m_rig.setCell(k, nullptr);
}

QStringList SimCellController::models() const
{
    return QStringList{kDummyModel} + cellModelNames();
}

void SimCellController::chooseModel(const QString &model)
{
    setup.model = model;
    setup.parameters = defaultCellParameters(model);
}

void SimCellController::setParameter(const QString &key, double value)
{
    for (const CellParameterInfo &info : cellParameterInfos()) {
        if (key == QLatin1String(info.key)) {
            setup.parameters.*(info.field) = value;
            setup.parameters = setup.parameters.sanitized();
            return;
        }
    }
}

double SimCellController::parameter(const QString &key) const
{
    for (const CellParameterInfo &info : cellParameterInfos())
        if (key == QLatin1String(info.key))
            return setup.parameters.*(info.field);
    return 0;
}

QString SimCellController::filePath() const
{
    return QDir(m_folder).filePath(kCellSetupFileName);
}

void SimCellController::install()
{
    if (setup.model == kDummyModel) {
        m_cell = std::make_unique<DummyCell>();
    } else {
        m_cell = makeCellModel(setup);
        if (!m_cell) {
            setup.model = kDummyModel;
            m_cell = std::make_unique<DummyCell>();
        }
    }
    m_installed = setup;
    setWiring(m_wiring);
}

bool SimCellController::apply(QString *error)
{
    install();
    if (m_readOnly)
        return true;
    QDir().mkpath(m_folder);
    if (!writeCellSetupFile(filePath(), setup)) {
        if (error)
            *error =
                QStringLiteral("The cell choice could not be saved to \"%1\".").arg(filePath());
        return false;
    }
    return true;
}

bool SimCellController::trackFields(double &conc, double &area, double &electrons) const
{
    if (m_wiring != RingDisk || m_installed.model == kDummyModel)
        return false;
    const CellParameters &p = m_installed.parameters;
    conc = p.concentration * 1e-6;
    area = p.area;
    // Oxygen reduction counts the 4-electron path that the model's n refers to.
    electrons = m_installed.model == kOxygenReductionModel ? 4 : p.electrons;
    return true;
}

void SimCellController::load()
{
    CellSetup saved;
    if (readCellSetupFile(filePath(), saved))
        setup = saved;
    else
        setup = CellSetup{};
    install();
}

void SimCellController::setWiring(Wiring wiring)
{
    m_wiring = wiring;
    m_rig.sync();
    if (wiring == Multipotentiostat) {
        for (int k = 0; k < kMaxCells; ++k)
            m_rig.setCell(k, k < static_cast<int>(m_multi.size()) ? m_multi[std::size_t(k)].get()
                                                                  : nullptr);
        m_rig.wireMultipotentiostat();
    } else {
        for (int k = 1; k < kMaxCells; ++k)
            m_rig.setCell(k, nullptr);
        m_rig.setCell(0, m_cell.get());
        m_rig.wireStandard();
    }
}

} // namespace tervo::sim
