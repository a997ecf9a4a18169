#include "FuzzInput.h"
#include "tracks/TrackFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    static std::array<TrackHeader, kTrackSlots> table;
    ReadTrackHeaders(fuzz::inputFile(data, size), table);
    return 0;
}
