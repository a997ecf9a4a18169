// One block of a file into a slot; the first byte chooses the block, beyond the file's range too.
#include "FuzzInput.h"
#include "tracks/TrackFile.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    if (size < 1)
        return 0;
    static auto store = std::make_unique<TrackStore>();
    const int block = static_cast<int>(data[0] % 26) - 2;
    ReadTrackFromFile(fuzz::inputFile(data + 1, size - 1), block, *store, 5);
    return 0;
}
