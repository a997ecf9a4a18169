#pragma once

#include "ProcessingWindow.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace tervo {

class SpecialCopyController;

// "Special Copy": the current track as converted, thinned text on the clipboard.
class frmSpecialCopy : public ProcessingWindow {
    Q_OBJECT
public:
    explicit frmSpecialCopy(SpecialCopyController &controller, QWidget *parent = nullptr);

    // Activation: fills the boxes from the current track and shows the window.
    void openWindow();

    QComboBox *ImcDiskScale, *ImcRingScale, *cbxCycleNum;
    QRadioButton *opnConversion[3], *opnLogMode[2], *opnPolarity[3], *opnOutputRange[2];
    QRadioButton *opnCopy[2];
    QLineEdit *txtArea, *txtWeight, *txtCE, *txtDeg, *txtDistance;
    TrackSpinner txtOrder;
    QCheckBox *chkAbs, *chkH2O, *chkInfomationData;
    QPushButton *cmdGo, *cmdCancel;
    kurvex::KurvexControl *PrevGraph = nullptr;

protected:
    void redraw() override;

private:
    void readOptions();
    SpecialCopyController &m_c;
};

} // namespace tervo
