#pragma once

#include "TrackStore.h"

namespace tervo {

// What column 0 (or, for Multi, column 2) of a track holds and the plots put on the x axis.
enum class ModeAxis { None, Potential, Time, RotationRate };

// The facts of one track mode that the file, the editors, the processing and the plots share.
struct ModeFacts {
    // Columns a copy of the track always carries: 3 where column 2 is its own ring or time.
    int storedColumns = 2;
    // Values a data line of the track file carries.
    int fileColumns = 2;
    // Column 2 is time that is kept only when the run recorded it (TimeRecording = 1).
    bool recordedTime = false;
    // Column 2 of track 0 is the time of all ten channels of the run.
    bool sharedTime = false;
    bool ringColumn = false;
    // A potential programme with turning points at V1st, V2nd and V3rd.
    bool sweep = false;
    ModeAxis xAxis = ModeAxis::None;
    int xColumn = 0;
    // Column 0 is a potential, so it moves when the reference electrode changes.
    bool convertsReference = false;
};

// The facts of a mode code; an unknown code has those of a vacant track.
const ModeFacts &modeFacts(int mode);

} // namespace tervo
