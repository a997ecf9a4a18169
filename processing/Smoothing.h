#pragma once

#include "TrackProcessing.h"
#include "core/Prompts.h"
#include "state/Settings.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace tervo {

inline constexpr char kCoefficientFileName[] = "Savitzky-Golay.dat";
inline constexpr int kMaxCoefficientRows = 11;
inline constexpr int kMaxCoefficients = 16; // divisor and a0..a14 of one row

// One row of the coefficient file: the divisor, then a0 (centre), a1 (points +-1), ...
struct CoefficientRow {
    double divisor = 1;
    std::vector<double> a;
};

struct CoefficientFile {
    std::vector<CoefficientRow> rows; // row r serves 2r + 5 points
    QString error;                    // names the file and the line when reading failed
    QString name;                     // the file's name, for messages about its rows
    bool ok() const { return error.isEmpty(); }
};

// Reads the coefficient file. The line read at the end of the file is never a row.
CoefficientFile readCoefficientFile(const QString &path);

// The quadratic (equally cubic) least-squares smoothing row for an odd point count, in whole
// numbers reduced to lowest terms: 5 points give 35; 17, 12, -3.
struct IntegerRow {
    std::int64_t divisor = 1;
    std::vector<std::int64_t> a;
};
IntegerRow savitzkyGolayRow(int points);
// The shipped file's text: rows for 5, 7, ..., 15 points and the closing line.
QByteArray coefficientFileText();

enum SmoothFilter : int { MovingAverage = 0, SavitzkyGolay = 1, SpikeLimiter = 2 };

struct PointLimits {
    int min, max, def;
};
PointLimits pointLimits(int filter);

struct SmoothOptions {
    int filter = SavitzkyGolay;
    int points = 5;
    bool smoothX = false; // "Apply X-axis"
    int edge = 0;         // E: points kept at each end of a segment
};

// Filters y[s..e] into out[s..e]; neighbours beyond the segment repeat its edge values.
// spikeScale is T of the spike limiter; row is the Savitzky-Golay row.
void filterSegment(const double *y, double *out, int s, int e, const SmoothOptions &options,
                   const CoefficientRow *row, double spikeScale);

// The segments a track is smoothed in: its sweeps for CV, RDE and SSV tracks, the whole track
// for PS, RPMvs.j and Multi, none for other modes. Each pair is first..last, inclusive.
std::vector<std::pair<int, int>> smoothingSegments(const TrackStore &store, int track);

// Smooths a track into the work slot (header and points). Points of no segment and columns not
// smoothed keep the source values. Points that are not finite are left out of every window and
// keep their value (skipped counts them). False (error set) when the Savitzky-Golay row is
// missing.
bool smoothTrack(TrackStore &store, int track, const SmoothOptions &options,
                 const CoefficientFile &coefficients, QString *error = nullptr,
                 int *skipped = nullptr);

// "Smoothing": one track or all of them, previewed from the work slot, then written back or
// into another track.
class SmoothingController {
public:
    SmoothingController(TrackStore &store, Settings &settings, Prompts &prompts,
                        QString coefficientPath);

    void open(); // track 0, Savitzky-Golay with 5 points, no result

    int selectedTrack() const { return m_selected; }
    void selectTrack(int track);
    void stepTrack(int delta) { selectTrack(m_selected + delta); }
    int destinationTrack() const { return m_destination; }
    void setDestination(int track) { m_destination = wrapTrack(track); }
    void stepDestination(int delta) { setDestination(m_destination + delta); }

    int filter() const { return m_options.filter; }
    void setFilter(int filter); // N becomes the filter's default
    int points() const { return m_options.points; }
    void stepPoints(int delta); // N +- 2 within the filter's limits; E becomes N div 2
    void setPoints(int points); // clamped to the limits and made odd
    int skipCount() const { return m_skip; }
    void setSkipCount(int e) { m_skip = e < 0 ? 0 : e; }
    bool applyX = false;         // "Apply X-axis"
    bool applyAllTracks = false; // "Apply All Track"
    bool skipAtEdge = false;     // "Skip at the Edge of Data"

    bool resultReady() const { return m_resultTrack >= 0; }
    // "Calculation". False when nothing was smoothed (vacant track, coefficient trouble).
    bool calculate();
    // Points the last calculation left out for not being finite.
    int skippedPoints() const { return m_skipped; }
    // "Update Data" and "Record Another Track".
    bool updateData();
    bool recordAnotherTrack();

    void drawPreview(kurvex::KurvexControl &canvas) const;
    const TrackStore &store() const { return m_store; }
    const QString &coefficientPath() const { return m_coefficientPath; }

    std::function<void(int)> trackChanged;

private:
    SmoothOptions currentOptions() const;
    bool loadCoefficients(CoefficientFile &file);
    bool resultUsable();

    // The work slot's points after the last calculation, one per smoothed track.
    struct Snapshot {
        int track = -1;
        int pnum = 0;
        std::array<std::vector<double>, 3> columns;
    };
    Snapshot snapshot(int track) const;

    TrackStore &m_store;
    Settings &m_settings;
    Prompts &m_prompts;
    QString m_coefficientPath;
    int m_selected = 0;
    int m_destination = 0;
    SmoothOptions m_options;
    int m_skip = 2;
    int m_resultTrack = -1;
    int m_skipped = 0;
    std::vector<Snapshot> m_results;
};

} // namespace tervo
