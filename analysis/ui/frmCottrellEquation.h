#pragma once

#include "AnalysisWindow.h"
#include "analysis/Cottrell.h"

namespace tervo {

// "Cottrell Eqaution Analysis": a potential-step track's header fields, the range, the fit mode,
// the plot of i against 1/sqrt(t) and the report with Dapp.
class frmCottrellEquation : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmCottrellEquation(CottrellAnalysis &analysis, QWidget *parent = nullptr);
    // After a track-file load: the selected track is shown afresh.
    void reinitialise();

protected:
    void showEvent(QShowEvent *event) override;

private:
    CottrellAnalysis &m_cottrell;
    kurvex::KurvexControl *m_plot = nullptr;
};

} // namespace tervo
