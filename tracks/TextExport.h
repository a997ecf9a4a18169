#pragma once

#include "state/TrackStore.h"

#include <QString>
#include <functional>

namespace tervo {

// Options of the data block; the defaults are those of "Copy All as Text Data".
struct DataTextOptions {
    int diskUnit = 1; // index into UnitNames/UnitFactors
    int ringUnit = 1;
    int normalisation =
        0;            // 0 none, 1 per area, 2 per weight (headings only; values come converted)
    bool h2o = false; // append %H2O for RDE and SSV tracks
    bool logarithm = false;
    bool absolute = false;
    int filter = 0; // 0 all, 1 disk current <= 0 only, 2 disk current >= 0 only
    double collectionEfficiency = 0.4;
};

// Reports the index of every hundredth point while the data block is built.
using ProgressFn = std::function<void(int)>;

// The header block: "No Data" for a vacant track, otherwise label TAB value lines.
QString HeaderText(const TrackStore &store, int track);

// The data block: heading line and one line per point, CR LF line ends.
QString TrackDataText(const TrackStore &store, int track, const DataTextOptions &options,
                      QChar decimalSep, const ProgressFn &progress = {});

// "Copy All as Text Data": header block, CR LF, data block in amperes.
QString copyAllText(const TrackStore &store, int track, QChar decimalSep,
                    const ProgressFn &progress = {});

} // namespace tervo
