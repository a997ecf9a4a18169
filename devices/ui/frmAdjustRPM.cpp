#include "frmAdjustRPM.h"

#include "UpDownButtons.h"
#include "devices/AdjustRpmController.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tervo {

namespace {
constexpr int kTickMs = 1000;
}

frmAdjustRPM::frmAdjustRPM(AdjustRpmController &controller, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller), m_txtRPM(new QLineEdit(this)),
      m_txtVoltage(new QLineEdit(this)), m_lblMeas(new QLabel(this)), m_lblAve(new QLabel(this)),
      m_updRPM(new UpDownButtons(this)), m_updVoltage(new UpDownButtons(this)),
      m_cmdOn(new QPushButton(QStringLiteral("Motor On"), this)),
      m_cmdOff(new QPushButton(QStringLiteral("Motor Off"), this)),
      m_cmdUpdate(new QPushButton(QStringLiteral("Update"), this)),
      m_cmdSave(new QPushButton(QStringLiteral("Save"), this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmAdjustRPM"));
    setWindowTitle(QStringLiteral("RPM Adjustment"));
    m_txtRPM->setObjectName(QStringLiteral("txtRPM"));
    m_txtVoltage->setObjectName(QStringLiteral("txtVoltage"));
    m_updRPM->setObjectName(QStringLiteral("UpdRPM"));
    m_updVoltage->setObjectName(QStringLiteral("UpdVoltage"));
    // The fields show the row and the voltage; they change only through the up-downs.
    m_txtRPM->setReadOnly(true);
    m_txtVoltage->setReadOnly(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("RPM"), this), 0, 0);
    grid->addWidget(m_txtRPM, 0, 1);
    grid->addWidget(m_updRPM, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Voltage /V"), this), 1, 0);
    grid->addWidget(m_txtVoltage, 1, 1);
    grid->addWidget(m_updVoltage, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Meas. RPM"), this), 2, 0);
    grid->addWidget(m_lblMeas, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ave. RPM"), this), 3, 0);
    grid->addWidget(m_lblAve, 3, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdOn, m_cmdOff, m_cmdUpdate, m_cmdSave})
        buttons->addWidget(b);
    grid->addLayout(buttons, 4, 0, 1, 3);

    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        // A tick never overlaps the next: 500 reads may take longer than the interval.
        m_timer->stop();
        m_controller.tick();
        if (m_controller.motorRunning())
            m_timer->start();
    });
    connect(m_cmdOn, &QPushButton::clicked, this, [this] {
        m_controller.motorOn();
        m_timer->start();
    });
    connect(m_cmdOff, &QPushButton::clicked, this, [this] {
        m_timer->stop();
        m_controller.motorOff();
    });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { m_controller.update(); });
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { m_controller.save(); });
    connect(m_updRPM, &UpDownButtons::up, this, [this] { m_controller.rowUp(); });
    connect(m_updRPM, &UpDownButtons::down, this, [this] { m_controller.rowDown(); });
    connect(m_updVoltage, &UpDownButtons::up, this, [this] { m_controller.voltageUp(); });
    connect(m_updVoltage, &UpDownButtons::down, this, [this] { m_controller.voltageDown(); });
    m_controller.changed = [this] { follow(); };
    follow();
}

frmAdjustRPM::~frmAdjustRPM()
{
    m_controller.changed = nullptr;
}

bool frmAdjustRPM::openWindow()
{
    m_timer->stop();
    if (!m_controller.open())
        return false;
    follow();
    show();
    raise();
    return true;
}

void frmAdjustRPM::closeEvent(QCloseEvent *event)
{
    // Closing leaves the motor as it is, but the readings stop.
    m_timer->stop();
    QWidget::closeEvent(event);
}

void frmAdjustRPM::follow()
{
    const bool running = m_controller.motorRunning();
    m_updRPM->setEnabled(running);
    m_updVoltage->setEnabled(running);
    m_txtRPM->setText(m_controller.rateText());
    m_txtVoltage->setText(m_controller.voltageText());
    m_lblMeas->setText(m_controller.measuredText());
    m_lblAve->setText(m_controller.averageText());
}

} // namespace tervo
