#pragma once

#include "AnalysisWindow.h"
#include "analysis/PeakAnalysis.h"

namespace tervo {

// "Peak Analysis": a voltammogram's sweeps there and back with their base lines and peaks, and
// the report of every sweep or of one.
class frmPeakAnalysis : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmPeakAnalysis(PeakAnalysis &analysis, QWidget *parent = nullptr);
    // After a track-file load: the selected track is shown afresh.
    void reinitialise();

protected:
    void showEvent(QShowEvent *event) override;

private:
    PeakAnalysis &m_peaks;
    kurvex::KurvexControl *m_plot = nullptr;
    // The window typed in, kept while the default is used.
    BaseWindow m_typed;
};

} // namespace tervo
