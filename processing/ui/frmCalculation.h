#pragma once

#include "ProcessingWindow.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace tervo {

class TrackCalculationController;

// "Calculation": aA(x)+c ? bB(x) = C.
class frmCalculation : public ProcessingWindow {
    Q_OBJECT
public:
    explicit frmCalculation(TrackCalculationController &controller, QWidget *parent = nullptr);

    void openWindow();

    TrackSpinner txtOpeA, txtOpeB, txtOpeC, txtGraphSize;
    QLabel *lblAmode, *lblBmode, *lblCmode;
    QLineEdit *txtOpeATitle, *txtOpeARPM, *txtOpeAScanrate;
    QLineEdit *txtOpeBTitle, *txtOpeBRPM, *txtOpeBScanrate, *txtOpeCTitle;
    QLineEdit *txta, *txtb, *txtc, *txtXBShift;
    QRadioButton *opnOperator[2];
    QPushButton *cmdCalc, *cmdUpdate;
    QScrollArea *pbxFrame;
    kurvex::KurvexControl *PrevGraph = nullptr;

protected:
    void redraw() override;

private:
    void showTracks();
    void setGraphSize(int size);
    TrackCalculationController &m_c;
    int m_graphSize = 1;
};

} // namespace tervo
