#pragma once

#include "TextExport.h"
#include "state/TrackStore.h"

#include <QString>

namespace tervo {

// What a paste did, so the window can tell the operator when it did not take everything.
struct PasteResult {
    bool changed = false;   // the text was not empty and the track was written
    int points = 0;         // points stored
    bool truncated = false; // more numeric lines than the track holds
    int stoppedAtLine = 0;  // 1-based line of a numeric line that could not be read, or 0
};

// "Paste from Clipboard" into one track: header labels, numeric lines as points, then the plot
// range and, when the text gave none, the programme potentials from the turning points.
PasteResult pasteTrackText(TrackStore &store, int track, const QString &text);

// The mode named by a pasted "Mode" value: the highest code whose name occurs in it.
int modeFromText(const QString &value);

// Fills V1st, V2nd, V3rd from the first point and the turning points of column 0.
void findProgrammePotentials(TrackStore &store, int track);

// The ten-channel tables of a multipotentiostat run: time (I-t) or potential (V-I) first, then
// the current of tracks 0 to 9. progress gets every line index.
enum class MultiTable { CurrentVsTime, CurrentVsPotential };
QString multiTableText(const TrackStore &store, int currentTrack, MultiTable table,
                       const ProgressFn &progress = {});

} // namespace tervo
