// The whole-file reader, then what the writer makes of what it read, read once more.
#include "FuzzInput.h"
#include "tracks/TrackFile.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    static auto store = std::make_unique<TrackStore>();
    loadTrackFile(*store, fuzz::inputFile(data, size));
    const QByteArray text = trackFileText(*store, '.');
    loadTrackFile(*store, fuzz::inputFile(reinterpret_cast<const std::uint8_t *>(text.constData()),
                                          static_cast<std::size_t>(text.size())));
    return 0;
}
