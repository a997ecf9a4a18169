#pragma once

#include "canvas/KurvexControl.h"
#include "core/Prompts.h"
#include "state/TrackStore.h"

#include <QString>
#include <functional>

namespace tervo {

// The potential the interface saw, E - i Ru, for every point of a voltammogram (CV, RDE, SSV),
// written with the source's header into the destination: peak separations then read without
// the ohmic drop through the uncompensated resistance Ru (ohm). Points that are not finite keep
// their values (skipped counts them). False, with the reason, for a track of another mode.
bool correctOhmicDrop(TrackStore &store, int source, int destination, double ru,
                      QString *problem = nullptr, int *skipped = nullptr);

// "iR Correction": a voltammogram, the uncompensated resistance and the track the corrected
// curve goes into, with a preview of both curves.
class IRCorrectionController {
public:
    IRCorrectionController(TrackStore &store, Prompts &prompts);

    const TrackStore &store() const { return m_store; }
    int selectedTrack() const { return m_track; }
    void selectTrack(int track) { m_track = wrapTrack(track); }
    void stepTrack(int delta) { selectTrack(m_track + delta); }
    int destination() const { return m_destination; }
    void setDestination(int track) { m_destination = wrapTrack(track); }
    void stepDestination(int delta) { setDestination(m_destination + delta); }
    double resistance() const { return m_ru; }
    // A negative or non-finite value becomes 0; the value kept is written back.
    void setResistance(double &ru);

    // Asks before replacing an occupied destination, then writes the corrected track; false
    // (with a message for a track of another mode) when nothing was written.
    bool correct();
    std::function<void(int)> trackChanged;

    // The selected track in light blue and, for a voltammogram, E - i Ru in light red.
    void drawPreview(kurvex::KurvexControl &canvas) const;

private:
    TrackStore &m_store;
    Prompts &m_prompts;
    int m_track = 0;
    int m_destination = 1;
    double m_ru = 0;
};

} // namespace tervo
