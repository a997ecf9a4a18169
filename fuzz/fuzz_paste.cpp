// Text pasted from the clipboard into a track.
#include "FuzzInput.h"
#include "tracks/ClipboardText.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    static auto store = std::make_unique<TrackStore>();
    pasteTrackText(*store, 3, QString::fromUtf8(fuzz::bytes(data, size)));
    return 0;
}
