// The simulated-cell file, and the cell it describes run for a few steps.
#include "FuzzInput.h"
#include "devices/sim/cells/CellFactory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo::sim;
    const CellSetup setup = parseCellSetupText(QString::fromUtf8(tervo::fuzz::bytes(data, size)));
    if (std::unique_ptr<CellModel> cell = makeCellModel(setup)) {
        for (int i = 0; i < 8; ++i)
            cell->advance(0.01, 0.8 - 0.2 * i, 400.0 * i);
    }
    return 0;
}
