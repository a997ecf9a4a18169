#pragma once

#include "canvas/KurvexControl.h"
#include "tracks/TrackEditing.h"

namespace tervo {

// The editor's preview: the whole track as single pixels on the axes of the main window's
// preview, then the selected cycle again in light blue with its ring values in light green.
// False when nothing could be drawn (a vacant track or an empty plot range): the canvas is
// cleared then and has no mapping to mark points on.
bool drawEditorPreview(kurvex::KurvexControl &canvas, const TrackStore &store,
                       const TrackEditor &editor);

// The changed cycle of the operation preview in the scratch slot, as light cyan pixels.
void drawOperationPreview(kurvex::KurvexControl &canvas, const TrackStore &store,
                          const TrackEditor &editor);

// Puts the mark on a point, or takes it off again: a circle of radius 3 pixels and line width 2
// in exclusive-or mode on the point, and on its ring value for a ring-disk track.
void toggleMark(kurvex::KurvexControl &canvas, const TrackStore &store, int track, int point);

} // namespace tervo
