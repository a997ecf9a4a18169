#pragma once

#include "CellParameters.h"
#include "devices/sim/CellModel.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tervo::sim {

// A cell of one of this library's models (see cellModelNames()); nullptr for another name, so
// that the rig can fall back to its own models.
std::unique_ptr<CellModel> makeCellModel(const QString &model, const CellParameters &parameters);
inline std::unique_ptr<CellModel> makeCellModel(const CellSetup &setup)
{
    return makeCellModel(setup.model, setup.parameters);
}

inline constexpr int kMultipotentiostatChannels = 10;

// Parameters of channel 0..9 of the multipotentiostat: redox couples that differ in
// concentration, formal potential, kinetics and area, each with its own noise seed.
CellParameters multipotentiostatParameters(int channel, std::uint64_t seed);

// Ten independent cells for the multipotentiostat inputs.
std::vector<std::unique_ptr<CellModel>> makeMultipotentiostatCells(std::uint64_t seed = 1);

} // namespace tervo::sim
