#pragma once

#include "AnalysisWindow.h"
#include "analysis/Coulomb.h"

namespace tervo {

// "Coulomb Number Calculator (Disk Only)": a range of a track, the integration method and base
// line, and the running charge.
class frmCoulombCalculator : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmCoulombCalculator(CoulombAnalysis &analysis, QWidget *parent = nullptr);
    void reinitialise();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    CoulombAnalysis &m_coulomb;
    kurvex::KurvexControl *m_preview = nullptr;
};

} // namespace tervo
