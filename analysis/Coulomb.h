#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"

#include <QString>

namespace tervo {

// The charge under the disk current of one track over a range of points: potential-step tracks
// over time, voltammograms over the potential converted to time by the scan rate, with an
// optional linear or constant base line. The running charge Q goes to X, the base-line charge
// to Y of the shared analysis points, per point index.
class CoulombAnalysis {
public:
    enum Method { Trapezoid = 0, Simpson = 1 };
    enum BaseLine { None = 0, Linear = 1, Value = 2 };

    CoulombAnalysis(TrackStore &store, AnalysisPoints &points, Prompts &prompts);

    TrackStore &store() { return m_store; }
    int selectedTrack() const { return m_track; }
    void selectTrack(int track);
    int firstPoint() const { return m_first; }
    int lastPoint() const { return m_last; }
    void setFirst(int &p);
    void setLast(int &p);
    int method = Trapezoid;
    int baseLine = None;
    double baseValue = 0;

    // True once after every track-file load: the preview is redrawn on activation.
    bool fileLoadSeen();

    // Integrates and writes the report; the preview with the base line is drawn on the canvas
    // when one is given.
    // False when the track holds nothing to integrate (message) or is vacant.
    bool Calculate(kurvex::KurvexControl *canvas);
    const QString &report() const { return m_report; }
    double charge() const { return m_charge; }
    void drawPreview(kurvex::KurvexControl &canvas) const;

private:
    TrackStore &m_store;
    AnalysisPoints &m_points;
    Prompts &m_prompts;
    int m_track = 0;
    int m_first = 0, m_last = 0;
    int m_loadCount = 0;
    double m_charge = 0;
    // The base line stays on the preview while the choices it was made from stay.
    struct Drawn {
        int track = -1, first = 0, last = 0, baseLine = 0;
        double baseValue = 0;
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        bool sameChoices(const Drawn &o) const
        {
            return track == o.track && first == o.first && last == o.last &&
                   baseLine == o.baseLine && baseValue == o.baseValue;
        }
    };
    Drawn choices() const { return {m_track, m_first, m_last, baseLine, baseValue}; }
    Drawn m_drawn;
    QString m_report;
};

inline constexpr char kNothingToIntegrate[] =
    "Only potential-step and voltammetry tracks can be integrated.";

inline constexpr char kNoScanRate[] = "The track's scan rate must be above zero.";

// The running integral of f over intervals dt (dt[p] lies between points p-1 and p; dt[0] is
// unused): the trapezoid rule, or the composite Simpson rule over pairs of intervals (unequal
// ones allowed) with the trapezoid for a last odd interval and where an interval is empty.
std::vector<double> runningIntegral(const std::vector<double> &f, const std::vector<double> &dt,
                                    int method);

} // namespace tervo
