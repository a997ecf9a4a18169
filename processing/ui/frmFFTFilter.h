#pragma once

#include "ProcessingWindow.h"

class QLabel;
class QPushButton;
class QRadioButton;

namespace tervo {

class FFTFilterController;

// "FFTFilter": the spectrum of a track and its low-pass filtered curve.
class frmFFTFilter : public ProcessingWindow {
    Q_OBJECT
public:
    explicit frmFFTFilter(FFTFilterController &controller, QWidget *parent = nullptr);

    // Selected track 0, destination 10, the spectrum of track 0.
    void openWindow();

    TrackSpinner txtDataNum, txtDesNum;
    QLabel *lblMode, *lblDestMode;
    QLineEdit *txtTitle, *txtRPM, *txtDestTitle, *txtXMaxFrequency, *txtYMaxFrequency;
    QRadioButton *opnXFilter[2];
    QRadioButton *opnYFilter;
    QPushButton *cmdCalc, *cmdUpdate, *cmdRecordAnotherTrack;
    QToolButton *updGraphScaleUp, *updGraphScaleDown;
    kurvex::KurvexControl *PrevGraph = nullptr;
    kurvex::KurvexControl *FrequencyGraph = nullptr;

protected:
    void redraw() override;

private:
    void showTrack();
    FFTFilterController &m_c;
};

} // namespace tervo
