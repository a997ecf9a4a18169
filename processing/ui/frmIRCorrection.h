#pragma once

#include "ProcessingWindow.h"

class QLabel;
class QPushButton;

namespace tervo {

class IRCorrectionController;

// "iR Correction": E - i Ru of a voltammogram into another track.
class frmIRCorrection : public ProcessingWindow {
    Q_OBJECT
public:
    explicit frmIRCorrection(IRCorrectionController &controller, QWidget *parent = nullptr);

    void openWindow();

    TrackSpinner txtDataNum, txtDesNum;
    QLabel *lblMode = nullptr, *lblDestMode = nullptr;
    QLineEdit *txtTitle = nullptr, *txtRu = nullptr;
    QPushButton *cmdRecordAnotherTrack = nullptr;
    kurvex::KurvexControl *PrevGraph = nullptr;

protected:
    void redraw() override;

private:
    void showTrack();
    IRCorrectionController &m_c;
};

} // namespace tervo
