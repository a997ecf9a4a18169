#pragma once

#include "AnalysisWindow.h"
#include "analysis/Tafel.h"

namespace tervo {

// "Tafel Analysis": a range of a voltammogram marked on the preview, the redox potential and
// the area, and the Tafel fit over the range.
class frmTafelAnalyzer : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmTafelAnalyzer(TafelAnalysis &analysis, QWidget *parent = nullptr);
    void reinitialise();

protected:
    void showEvent(QShowEvent *event) override;

private:
    TafelAnalysis &m_tafel;
    kurvex::KurvexControl *m_preview = nullptr;
};

} // namespace tervo
