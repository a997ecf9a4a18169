#pragma once

#include "ProcessingWindow.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tervo {

class SmoothingController;

// "Smoothing": moving average, Savitzky-Golay or spike limiter, one track or all.
class frmSmoothing : public ProcessingWindow {
    Q_OBJECT
public:
    explicit frmSmoothing(SmoothingController &controller, QWidget *parent = nullptr);

    void openWindow();

    TrackSpinner txtDataNum, txtDesNum, txtPointNum;
    QLabel *lblMode, *lblDestMode;
    QLineEdit *txtTitle, *txtRPM, *txtSkipNum;
    QRadioButton *opnYFilter[3];
    QCheckBox *chkXAxis, *chkApplyAllTrack, *chkSkipatEdge;
    QPushButton *cmdCalc, *cmdUpdate, *cmdRecordAnotherTrack;
    kurvex::KurvexControl *PrevGraph = nullptr;

protected:
    void redraw() override;

private:
    void showTrack();
    SmoothingController &m_c;
};

} // namespace tervo
