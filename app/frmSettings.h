#pragma once

#include "SettingsController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

namespace tervo {

// "Settings": the instrument choices and a few preferences. Every control writes its setting at
// once; there is no cancel.
class frmSettings : public QWidget {
    Q_OBJECT
public:
    explicit frmSettings(SettingsController &controller, QWidget *parent = nullptr);

    // Shows the current settings in the controls.
    void loadControls();

    QButtonGroup *opnDevice = nullptr;
    QLineEdit *txtDevice = nullptr;
    QLineEdit *txtCardNumber = nullptr;
    QCheckBox *chkDynamicRange = nullptr;
    QButtonGroup *opnFGControl = nullptr;
    QLineEdit *txtGPIBAddr = nullptr;
    QToolButton *updAddrUp = nullptr;
    QToolButton *updAddrDown = nullptr;
    QButtonGroup *opnMotor = nullptr;
    QLineEdit *txtRPMvsVoltageFile = nullptr;
    QPushButton *cmdRPMvsVoltOpen = nullptr;
    QButtonGroup *opnPowerControl = nullptr;
    QButtonGroup *opnDrawMethod = nullptr;
    QButtonGroup *opnLanguage = nullptr;
    QLineEdit *txtSoundFileName = nullptr;
    QLineEdit *txtMailServer = nullptr;
    QLineEdit *txtMailPort = nullptr;
    QLineEdit *txtMailFrom = nullptr;
    QCheckBox *chkMailStartTLS = nullptr;
    QLineEdit *txtMailUser = nullptr;
    QLineEdit *txtMailPassword = nullptr;
    QCheckBox *chkMailAllowUnencrypted = nullptr;
    QPushButton *cmdOK = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    SettingsController &m_controller;
};

} // namespace tervo
