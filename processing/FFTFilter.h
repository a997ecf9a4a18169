#pragma once

#include "TrackProcessing.h"
#include "core/Prompts.h"
#include "state/Settings.h"

#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace tervo {

// The amplitude spectrum of a track's columns 0..columns.
struct FFTSpectrum {
    int track = -1;
    int pnum = 0;
    int n = 0;             // transform length, the smallest power of two above the finite points
    std::vector<int> kept; // the finite points, which alone are transformed
    int skipped = 0;       // points that are not
    int columns = 0;       // highest transformed column: 2 for RDE and SSV tracks, else 1
    double dt = 0;         // s per point
    double df = 0;         // Hz per bin
    double fs = 0;
    std::array<std::vector<double>, 3> re, im, amplitude;
    std::array<std::vector<double>, 3> source; // the track's columns, for the skipped points
    PlotRange rect;                            // of the spectrum plot, before widening

    bool valid() const { return n > 0; }
};

// The filtered columns of one track.
struct FFTResult {
    int track = -1;
    int pnum = 0;
    int columns = 0;
    std::array<std::vector<double>, 3> values;

    bool valid() const { return track >= 0; }
};

// The smallest power of two above count (1000 -> 1024, 1024 -> 2048).
int transformLength(int count);

// The spectrum of a track; invalid for a vacant track or one without points.
FFTSpectrum computeSpectrum(const TrackStore &store, int track);

// Sets bins k and n - k to 0 for every k whose frequency k * df is above fmax.
void zeroAbove(std::vector<double> &re, std::vector<double> &im, int n, double df, double fmax);

// The brick-wall low-pass filter: columns 1..columns always with fymax, column 0 with fxmax only
// when filterX, otherwise column 0 comes back unchanged.
FFTResult filterSpectrum(const FFTSpectrum &spectrum, bool filterX, double fxmax, double fymax);

// A cut-off as stored: anything not above 0 (or not a number) becomes 0.1.
double sanitizedCutoff(double hz);

// The spectrum plot: one vertical line per bin and column up to the amplitude.
void drawSpectrum(kurvex::KurvexControl &canvas, const FFTSpectrum &spectrum);

// "FFTFilter": spectrum, low-pass filter and writing the result back or into another track.
class FFTFilterController {
public:
    FFTFilterController(TrackStore &store, Settings &settings, Prompts &prompts);

    // Selected track 0, destination 10, x filter "None", the spectrum of track 0.
    void open();

    int selectedTrack() const { return m_selected; }
    void selectTrack(int track);
    void stepTrack(int delta) { selectTrack(wrapTrack(m_selected + delta)); }
    int destinationTrack() const { return m_destination; }
    void setDestination(int track) { m_destination = wrapTrack(track); }
    void stepDestination(int delta) { setDestination(m_destination + delta); }

    int xFilter() const { return m_xFilter; } // 0 "None", 1 "Low-pass Filter"
    void setXFilter(int index) { m_xFilter = index == 1 ? 1 : 0; }
    // Store the typed cut-off and return the value to show.
    double setXMaxFrequency(double hz);
    double setYMaxFrequency(double hz);
    double xMaxFrequency() const { return m_settings.FFTFxmax; }
    double yMaxFrequency() const { return m_settings.FFTFymax; }
    const TrackStore &store() const { return m_store; }

    QString destTitle() const { return m_destTitle; }
    void setDestTitle(const QString &title) { m_destTitle = title; }

    // "Calculation": filters the selected track; false when there was nothing to filter.
    bool calculate();
    // "Update Data" / "Record Another Track"; false (with a message) without a result for the
    // selected track.
    bool updateData();
    bool recordAnotherTrack();
    // updGraphScale: up doubles, down halves the spectrum's y maximum.
    void scaleGraph(bool up);

    const FFTSpectrum &spectrum() const { return m_spectrum; }
    const FFTResult &result() const { return m_result; }

    // The track preview with the result over it, and the spectrum plot.
    void drawPreview(kurvex::KurvexControl &canvas) const;
    void drawSpectrumPlot(kurvex::KurvexControl &canvas) const { drawSpectrum(canvas, m_spectrum); }

    // Called with a track number whenever a track was changed.
    std::function<void(int)> trackChanged;

private:
    bool resultReadyFor(int track);
    void writeResult(int destination);

    TrackStore &m_store;
    Settings &m_settings;
    Prompts &m_prompts;
    int m_selected = 0;
    int m_destination = 10;
    int m_xFilter = 0;
    QString m_destTitle;
    FFTSpectrum m_spectrum;
    FFTResult m_result;
};

inline constexpr char kNoResultMessage[] = "There is no result for this track yet. Press "
                                           "\"Calculation\" first.";

} // namespace tervo
