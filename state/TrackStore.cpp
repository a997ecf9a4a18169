#include "TrackStore.h"

#include "TrackModes.h"

#include <algorithm>
#include <cstring>

namespace tervo {

namespace {
template <typename T> void fit(std::vector<T> &v)
{
    v.resize(kUserTracks, T{});
}
template <typename T> void clear(std::vector<T> &v)
{
    std::fill(v.begin(), v.end(), T{});
}
} // namespace

void KLSettings::redimension()
{
    fit(KLUseFlag);
    fit(KLNStart);
    fit(KLNEnd);
    fit(KLBaseMode);
    fit(KLBaseTrack);
    fit(KLBaseNEnd);
    fit(KLSubVal);
}

void KLSettings::zero()
{
    redimension();
    clear(KLUseFlag);
    clear(KLNStart);
    clear(KLNEnd);
    clear(KLBaseMode);
    clear(KLBaseTrack);
    clear(KLBaseNEnd);
    clear(KLSubVal);
}

void TrackStore::ClearTrack(int track)
{
    TrackHeader &h = (*this)[track];
    h.Mode = 0;
    h.Title.clear();
    h.MeasTime.clear();
    h.Scanrate = 0;
    h.Vxmin = h.Vymin = h.Vxmax = h.Vymax = 0;
    h.Spare = 0;
    h.RingXValue = 0;
    h.MaxTime = 0;
    h.RPM = 0;
    h.pnum = 0;
    h.Conc = 0;
    h.Area = 0;
    h.StepTime = 0;
    h.VoltStep = 0;
    h.ne = 1.0;
}

void TrackStore::CopyTrackHeader(int source, int destination)
{
    (*this)[destination] = (*this)[source];
}

void TrackStore::CopyTrackPoints(int source, int destination, int count)
{
    count = std::clamp(count, 0, kMaxPoints);
    for (int c = 0; c < kColumns; ++c)
        std::memmove(data.column(c, destination), data.column(c, source),
                     static_cast<std::size_t>(count) * sizeof(double));
}

int fileColumnCount(const TrackHeader &h, int track, const TrackHeader &track0)
{
    const ModeFacts &f = modeFacts(h.Mode);
    return f.sharedTime && track == 0 && track0.Mode == h.Mode ? 3 : f.fileColumns;
}

int loadColumnCount(const TrackHeader &h)
{
    const ModeFacts &f = modeFacts(h.Mode);
    return f.recordedTime && h.TimeRecording == 1 ? 3 : f.storedColumns;
}

} // namespace tervo
