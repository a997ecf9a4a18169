// Other instruments' exports: detected, read, and what was read written into a track. The first
// input byte picks the file name, since a rotation rate in the name changes the track.
#include "FuzzInput.h"
#include "importing/foreign/ForeignFile.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tervo;
    if (size == 0)
        return 0;
    static const QString names[] = {QStringLiteral("run.mpt"), QStringLiteral("ORR-1600RPM.txt"),
                                    QStringLiteral("scan.DTA"), QStringLiteral("table.csv")};
    const foreign::ReadResult r =
        foreign::readForeignBytes(fuzz::bytes(data + 1, size - 1), names[data[0] % 4]);
    if (!r.ok())
        return 0;
    static auto store = std::make_unique<TrackStore>();
    foreign::ForeignFile file = *r.file;
    if (!foreign::checkChoices(file))
        (void)foreign::writeTrack(*store, 0, file);
    foreign::setMode(file, ModePS);
    if (!foreign::checkChoices(file))
        (void)foreign::writeTrack(*store, 1, file);
    return 0;
}
