#pragma once

#include "AnalysisWindow.h"
#include "analysis/KouteckyLevich.h"
#include "plot/Graph.h"

namespace tervo {

// "Koutecky-Levich Analysis": the per-track choices of the rotating-disk tracks, the Levich
// parameters, the report, and the plot on the graph window.
class frmKoutecky_Levich : public AnalysisWindow {
    Q_OBJECT
public:
    frmKoutecky_Levich(KouteckyLevichAnalysis &analysis, Graph &graph, QWidget *parent = nullptr);

    // After a track-file load: the per-track ranges are brought within the loaded tracks.
    void InitializeParameters();

protected:
    void showEvent(QShowEvent *event) override;

private:
    KouteckyLevichAnalysis &m_kl;
    Graph &m_graph;
    kurvex::KurvexControl *m_preview = nullptr;
    bool m_opened = false;
};

} // namespace tervo
