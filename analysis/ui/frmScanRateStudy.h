#pragma once

#include "AnalysisWindow.h"
#include "analysis/ScanRateStudy.h"

namespace tervo {

// "Scan Rate Study": the tracks of one couple at several scan rates, the quantities of the
// Randles-Sevcik equation with the one solved for, the plot of ip against v^1/2 and the report.
class frmScanRateStudy : public AnalysisWindow {
    Q_OBJECT
public:
    explicit frmScanRateStudy(ScanRateStudy &study, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    ScanRateStudy &m_study;
    kurvex::KurvexControl *m_plot = nullptr;
};

} // namespace tervo
