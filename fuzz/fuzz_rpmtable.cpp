// The rotator calibration file.
#include "FuzzInput.h"
#include "state/RpmTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    std::vector<RpmRow> table;
    if (ReadRpmTable(fuzz::inputFile(data, size), table))
        rpmTableText(table);
    return 0;
}
