#pragma once

#include "state/TrackStore.h"

#include <memory>

namespace tervo::testing {

inline std::unique_ptr<TrackStore> emptyStore()
{
    auto s = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        s->ClearTrack(t);
    return s;
}

// Two full cycles 0 -> 0.5 -> -0.5 -> 0 V in 0.1 V steps (boundaries 0, 20, 40); point n carries
// n microamperes.
inline void fillTwoCycles(TrackStore &s, int track)
{
    TrackHeader &h = s[track];
    h.Mode = ModeCV;
    h.V1st = 0;
    h.V2nd = 0.5;
    h.V3rd = -0.5;
    h.Vxmin = -0.5;
    h.Vxmax = 0.5;
    h.Vymin = 0;
    h.Vymax = 4e-5;
    int n = 0;
    auto add = [&](int tenths) {
        s.data(0, track, n) = tenths / 10.0;
        s.data(1, track, n) = 1e-6 * n;
        ++n;
    };
    add(0);
    for (int c = 0; c < 2; ++c) {
        for (int k = 1; k <= 5; ++k)
            add(k);
        for (int k = 4; k >= -5; --k)
            add(k);
        for (int k = -4; k <= 0; ++k)
            add(k);
    }
    h.pnum = n;
}

} // namespace tervo::testing
