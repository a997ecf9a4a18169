#pragma once

#include "devices/sim/CellModel.h"
#include "devices/sim/cells/CellParameters.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace tervo::sim {

class SimRig;

// The cell behind the simulated potentiostat: which model, with which parameters, and how the
// rig's inputs are wired (one ring-disk electrode, or the ten cells of the multipotentiostat).
// The choice is kept in its own file beside the settings.
class SimCellController {
public:
    enum Wiring { RingDisk = 0, Multipotentiostat = 1 };

    SimCellController(SimRig &rig, QString folder, std::uint64_t seed = 1);
    ~SimCellController();

    static inline const QString kDummyModel = QStringLiteral("Dummy cell");

    // The models on offer: the dummy cell and the physical models.
    QStringList models() const;
    // The setup being edited (applied only by apply()).
    CellSetup setup;
    // Switches the edited setup to a model with that model's defaults.
    void chooseModel(const QString &model);
    // Sets one parameter, brought into its allowed range.
    void setParameter(const QString &key, double value);
    double parameter(const QString &key) const;

    // Builds the edited cell, puts it behind the potentiostat and saves the choice. False with a
    // reason when the file could not be written (the cell is used all the same).
    bool apply(QString *error = nullptr);
    // Another program holds the folder: a choice holds for this session and is not saved.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Reads the saved choice (or the defaults) and applies it.
    void load();

    void setWiring(Wiring wiring);
    Wiring wiring() const { return m_wiring; }

    QString filePath() const;
    // The header fields a track recorded from the cell in use carries: concentration (mol cm-3),
    // disk area (cm2) and electrons. False for the dummy cell and the multipotentiostat wiring.
    bool trackFields(double &conc, double &area, double &electrons) const;
    const CellModel *cell() const { return m_cell.get(); }

private:
    void install();

    SimRig &m_rig;
    QString m_folder;
    bool m_readOnly = false;
    std::uint64_t m_seed;
    Wiring m_wiring = RingDisk;
    std::unique_ptr<CellModel> m_cell;
    CellSetup m_installed{kDummyModel, {}};
    std::vector<std::unique_ptr<CellModel>> m_multi;
};

} // namespace tervo::sim
