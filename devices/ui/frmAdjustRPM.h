#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace tervo {

class AdjustRpmController;
class UpDownButtons;

// "RPM Adjustment": runs the rotator, steps through the calibration rows and trims their voltage
// while the measured speed is shown.
class frmAdjustRPM : public QWidget {
    Q_OBJECT
public:
    explicit frmAdjustRPM(AdjustRpmController &controller, QWidget *parent = nullptr);
    ~frmAdjustRPM() override;

    // Opens the boards and shows the window; false when a board failed (its message shown).
    bool openWindow();

    QLineEdit *txtRPM() const { return m_txtRPM; }
    QLineEdit *txtVoltage() const { return m_txtVoltage; }
    QLabel *lblMeasRPM() const { return m_lblMeas; }
    QLabel *lblAveRPM() const { return m_lblAve; }
    UpDownButtons *UpdRPM() const { return m_updRPM; }
    UpDownButtons *UpdVoltage() const { return m_updVoltage; }
    QPushButton *cmdMotorOn() const { return m_cmdOn; }
    QPushButton *cmdMotorOff() const { return m_cmdOff; }
    QPushButton *cmdUpdate() const { return m_cmdUpdate; }
    QPushButton *cmdSave() const { return m_cmdSave; }
    QTimer *timer() const { return m_timer; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void follow();

    AdjustRpmController &m_controller;
    QLineEdit *m_txtRPM;
    QLineEdit *m_txtVoltage;
    QLabel *m_lblMeas;
    QLabel *m_lblAve;
    UpDownButtons *m_updRPM;
    UpDownButtons *m_updVoltage;
    QPushButton *m_cmdOn;
    QPushButton *m_cmdOff;
    QPushButton *m_cmdUpdate;
    QPushButton *m_cmdSave;
    QTimer *m_timer;
};

} // namespace tervo
