#pragma once

#include "AnalysisCommon.h"
#include "core/Prompts.h"

#include <QString>

namespace tervo {

// The Cottrell analysis of a potential-step transient: current against 1/sqrt(t) over a range
// of points, a straight-line fit and the apparent diffusion coefficient. n, C and A are the
// track's header fields, which the window's boxes edit.
class CottrellAnalysis {
public:
    enum FitMode { ThroughOrigin = 0, WithIntercept = 1 };

    CottrellAnalysis(TrackStore &store, AnalysisPoints &points, Prompts &prompts);

    TrackStore &store() { return m_store; }
    int selectedTrack() const { return m_track; }
    // Selects a track; a track that is not vacant gets its whole range.
    void selectTrack(int track);
    int firstPoint() const { return m_first; }
    int lastPoint() const { return m_last; }
    void setFirst(int &p);
    void setLast(int &p);
    int fitMode = ThroughOrigin;
    // The boxes edit the selected track's header; each returns the value kept.
    QString setTitle(const QString &title);
    double setNe(double ne);
    double setConc(double conc);
    double setArea(double area);

    // The plot points of the range (X = 1/sqrt(t), Y = i) and their rectangle; false for a track
    // that is not a potential-step track.
    bool buildPoints();
    // Draws the points of the range (cleared canvas for other tracks), and the fitted line while
    // the track, range and fit mode are those of the last calculation.
    void drawPlot(kurvex::KurvexControl &canvas);
    // Fits and writes the report; false when it stopped with a message or the track is not a
    // potential-step track. The line is drawn on the canvas when one is given.
    bool Calculate(kurvex::KurvexControl *canvas);
    const QString &report() const { return m_report; }
    double dapp() const { return m_dapp; }

private:
    TrackStore &m_store;
    AnalysisPoints &m_points;
    Prompts &m_prompts;
    int m_track = 0;
    int m_first = 0, m_last = 0;
    PlotRange m_rect;
    // The fitted line stays on the plot while the choices it was made from stay.
    struct Fitted {
        int track = -1, first = 0, last = 0, fitMode = 0;
        LineFit line;
        bool operator==(const Fitted &) const = default;
    };
    Fitted current() const { return {m_track, m_first, m_last, fitMode, m_fitted.line}; }
    Fitted m_fitted;
    QString m_report;
    int m_skipped = 0; // points of the range that are not finite
    double m_dapp = 0;
};

inline constexpr char kCottrellParameters[] =
    "The parameters (ne, Conc., and Area) must be above zero.";

} // namespace tervo
