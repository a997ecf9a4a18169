#include "CellFactory.h"

#include "OxygenReductionCell.h"
#include "RedoxCoupleCell.h"

#include <cmath>

namespace tervo::sim {

std::unique_ptr<CellModel> makeCellModel(const QString &model, const CellParameters &parameters)
{
    if (model == kRedoxCoupleModel || model == kPotentialStepModel || model == kFilmElectrodeModel)
        return std::make_unique<RedoxCoupleCell>(parameters, model);
    if (model == kOxygenReductionModel)
        return std::make_unique<OxygenReductionCell>(parameters);
    return nullptr;
}

CellParameters multipotentiostatParameters(int channel, std::uint64_t seed)
{
    CellParameters p = defaultCellParameters(kRedoxCoupleModel);
    const int c = channel < 0 ? 0 : channel % kMultipotentiostatChannels;
    p.concentration = 0.5 + 0.25 * c;
    p.formalPotential = 0.15 + 0.01 * c;
    // From reversible (1 cm/s) down to clearly slow (1e-4 cm/s) kinetics.
    p.rateConstant = std::pow(10.0, -0.5 * (c % 9));
    p.area = c % 2 == 0 ? 0.196 : 0.0707;
    p.seed = static_cast<double>((seed % (1ULL << 48)) * kMultipotentiostatChannels + c + 1);
    return p.sanitized();
}

std::vector<std::unique_ptr<CellModel>> makeMultipotentiostatCells(std::uint64_t seed)
{
    std::vector<std::unique_ptr<CellModel>> cells;
    cells.reserve(kMultipotentiostatChannels);
    for (int c = 0; c < kMultipotentiostatChannels; ++c) {
        cells.push_back(std::make_unique<RedoxCoupleCell>(
            multipotentiostatParameters(c, seed),
            QStringLiteral("Multipotentiostat channel %1").arg(c)));
    }
    return cells;
}

} // namespace tervo::sim
