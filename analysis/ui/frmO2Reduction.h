#pragma once

#include "AnalysisWindow.h"
#include "analysis/O2Reduction.h"

namespace tervo {

// "O2 Reduction Analysis": %H2O of a ring-disk voltammogram at evenly spaced disk potentials,
// as a table and a plot. The analysis runs when the window opens and when the track changes.
class frmO2Reduction : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmO2Reduction(O2ReductionAnalysis &analysis, QWidget *parent = nullptr);
    void reinitialise();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void analyse();

    O2ReductionAnalysis &m_o2;
    kurvex::KurvexControl *m_plot = nullptr;
};

} // namespace tervo
