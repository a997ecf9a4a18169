#pragma once

#include "state/TrackStore.h"

namespace tervo {

constexpr int kRefRHE = 4;

// Potential of a reference electrode against SHE; RHE depends on the pH, an unknown index
// counts as none.
double referencePotential(int ref, double pH);

// Moves column 0 of the track's points, the programme potentials and the x plot range by shift.
void shiftPotentials(TrackStore &store, int track, double shift);

} // namespace tervo
