#pragma once

#include "core/Prompts.h"
#include "state/TrackStore.h"

#include <QString>

namespace tervo {

// When the track was recorded, as the question about it shows it ("8 Dec 2026 16:23"): the
// track's MeasTime read back in the forms it is written in, else the text as it stands.
QString recordedText(const QString &measTime);

// "Track 0 holds 'Pt-CV-100mVs' (CV, recorded 8 Dec 2026 16:23)".
QString occupiedTrackText(const TrackStore &store, int track);

// The first user track after first (upwards, then from 0) that starts span vacant tracks, all
// of them at most 20; -1 when there is none.
int nextVacantTrack(const TrackStore &store, int first, int span = 1);

// Where a write into the tracks first..first+span-1 goes when some of them hold data: the
// operator is asked to replace them, to use the next vacant tracks instead (offered only when
// movable and there are some), or to cancel. Returns first when nothing is occupied or on
// Replace, the vacant track on "Use track N", and -1 on Cancel.
int askBeforeReplacing(Prompts &prompts, const TrackStore &store, int first, int span = 1,
                       bool movable = true);

} // namespace tervo
