#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace tervo {

constexpr int kUserTracks = 21; // tracks 0..20
constexpr int kTrackSlots = 23; // slots 21 and 22 are scratch slots
constexpr int kMaxPoints = 20001;
constexpr int kColumns = 3;

enum TrackMode : std::int32_t {
    ModeNone = 0,
    ModeCV = 1,
    ModeRDE = 2,
    ModePS = 3,
    ModeRPMvsJ = 4,
    ModeMulti = 5,
    ModeSSV = 6,
    ModeSSVAll = 7,
};
constexpr int kModeCount = 8;

struct TrackHeader {
    std::int32_t Mode = 0;
    QString Title;
    QString MeasTime;
    double Scanrate = 0;
    double V1st = 0, V2nd = 0, V3rd = 0;
    double Vxmin = 0;
    double Vymin = 0;
    double Vxmax = 0;
    double Vymax = 0;
    double Spare = 0; // carried and cleared with the record, never saved
    double RingXValue = 0;
    double MaxTime = 0;
    double RPM = 0;
    std::int32_t pnum = 0;
    double Conc = 0;
    double Area = 0;
    double Weight = 0;
    double ne = 0;
    double DiskYscale = 0;
    double RingYscale = 0;
    std::int32_t TimeRecording = 0;
    std::int32_t ref = 0;
    double pH = 0;
    double StepTime = 0;
    double VoltStep = 0;

    // The three programme potentials by index 0..2 (V1st, V2nd, V3rd).
    double &V(int i) { return i == 0 ? V1st : (i == 1 ? V2nd : V3rd); }
    double V(int i) const { return i == 0 ? V1st : (i == 1 ? V2nd : V3rd); }

    bool operator==(const TrackHeader &) const = default;
};

// The point store: one double per (column, slot, point).
class TrackData {
public:
    TrackData() : m_values(static_cast<std::size_t>(kColumns) * kTrackSlots * kMaxPoints, 0.0) {}
    double &operator()(int column, int slot, int point)
    {
        return m_values[index(column, slot, point)];
    }
    double operator()(int column, int slot, int point) const
    {
        return m_values[index(column, slot, point)];
    }
    // The contiguous points of one column of one slot.
    double *column(int column, int slot) { return &m_values[index(column, slot, 0)]; }
    const double *column(int column, int slot) const { return &m_values[index(column, slot, 0)]; }

private:
    static std::size_t index(int column, int slot, int point)
    {
        return (static_cast<std::size_t>(slot) * kColumns + static_cast<std::size_t>(column)) *
                   kMaxPoints +
               static_cast<std::size_t>(point);
    }
    std::vector<double> m_values;
};

// The per-track Koutecky-Levich choices that travel with the track file.
struct KLSettings {
    std::vector<std::int16_t> KLUseFlag;
    std::vector<std::int32_t> KLNStart;
    std::vector<std::int32_t> KLNEnd;
    std::vector<std::int16_t> KLBaseMode;
    std::vector<std::int16_t> KLBaseTrack;
    std::vector<std::int32_t> KLBaseNEnd;
    std::vector<double> KLSubVal;

    KLSettings() { redimension(); }
    // Exactly tracks 0..20, keeping the contents; missing elements become 0.
    void redimension();
    void zero();
};

// The process-wide track store with the state that travels with it.
class TrackStore {
public:
    std::array<TrackHeader, kTrackSlots> header;
    TrackData data;
    KLSettings kl;

    std::int32_t CurrentTrack = 0;
    QString CurrentFileTitle;
    std::int32_t FileLoadCount = 0;
    // Ring collection efficiency N of the %H2O column; the setting O2CE is its saved form.
    double CollectionEfficiency = 0.4;

    // Makes a track vacant (the point store is left alone).
    void ClearTrack(int track);
    void CopyTrackHeader(int source, int destination);
    // Copies points 0..count-1 of all three columns.
    void CopyTrackPoints(int source, int destination, int count);

    // The one definition of an occupied track, for the file reader and writer, the tools and the
    // windows: any Mode but 0.
    bool isVacant(int track) const { return header[static_cast<std::size_t>(track)].Mode == 0; }
    TrackHeader &operator[](int track) { return header[static_cast<std::size_t>(track)]; }
    const TrackHeader &operator[](int track) const
    {
        return header[static_cast<std::size_t>(track)];
    }

    // Counts changes to the tracks, so a window can ask whether anything is unsaved.
    void markChanged() { ++m_changes; }
    void markSaved()
    {
        m_savedAt = m_changes;
        ++m_saveGeneration;
    }
    // Counts saves and loads, so an observer can tell that the store was saved since it looked.
    std::uint64_t saveGeneration() const { return m_saveGeneration; }
    bool hasUnsavedChanges() const { return m_changes != m_savedAt; }

private:
    std::uint64_t m_changes = 0;
    std::uint64_t m_savedAt = 0;
    std::uint64_t m_saveGeneration = 0;
};

// Track selector stepping with wrap-around over 0..20.
inline int wrapTrack(int track)
{
    track %= kUserTracks;
    return track < 0 ? track + kUserTracks : track;
}

// Number of values a data line of this track carries in the file.
int fileColumnCount(const TrackHeader &h, int track, const TrackHeader &track0);

// Number of values the reader stores for a track (the RPMvs.j third column only with time).
int loadColumnCount(const TrackHeader &h);

} // namespace tervo
