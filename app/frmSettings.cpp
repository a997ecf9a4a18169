#include "frmSettings.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tervo {

namespace {

// A framed group of option buttons whose ids are their indexes.
QGroupBox *optionFrame(QWidget *parent, const QString &caption, const QStringList &choices,
                       QButtonGroup *&group, const QString &name)
{
    auto *box = new QGroupBox(caption, parent);
    auto *layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    group->setObjectName(name);
    for (int i = 0; i < choices.size(); ++i) {
        auto *b = new QRadioButton(choices.at(i), box);
        b->setObjectName(name + QString::number(i));
        group->addButton(b, i);
        layout->addWidget(b);
    }
    return box;
}

void check(QButtonGroup *group, int id)
{
    const QSignalBlocker block(group);
    if (QAbstractButton *b = group->button(id)) {
        b->setChecked(true);
    } else {
        // A value outside the choices checks none of them.
        group->setExclusive(false);
        for (QAbstractButton *other : group->buttons())
            other->setChecked(false);
        group->setExclusive(true);
    }
}

QToolButton *arrow(QWidget *parent, Qt::ArrowType type, const QString &name)
{
    auto *b = new QToolButton(parent);
    b->setArrowType(type);
    b->setObjectName(name);
    b->setFixedSize(18, 12);
    return b;
}

} // namespace

frmSettings::frmSettings(SettingsController &controller, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    auto *outer = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    auto *leftColumn = new QVBoxLayout;
    auto *rightColumn = new QVBoxLayout;
    columns->addLayout(leftColumn, 1);
    columns->addLayout(rightColumn, 1);
    outer->addLayout(columns);

    // Analog input board.
    auto *ad =
        optionFrame(this, QStringLiteral("AD Device"), SettingsController::adDeviceCaptions(),
                    opnDevice, QStringLiteral("opnDevice"));
    auto *adForm = new QFormLayout;
    txtDevice = new QLineEdit(ad);
    txtDevice->setObjectName(QStringLiteral("txtDevice"));
    txtCardNumber = new QLineEdit(ad);
    txtCardNumber->setObjectName(QStringLiteral("txtCardNumber"));
    adForm->addRow(QStringLiteral("Deice Name:"), txtDevice);
    adForm->addRow(QStringLiteral("Card Number:"), txtCardNumber);
    chkDynamicRange = new QCheckBox(QStringLiteral("Dynamic Range"), ad);
    chkDynamicRange->setObjectName(QStringLiteral("chkDynamicRange"));
    static_cast<QVBoxLayout *>(ad->layout())->addLayout(adForm);
    ad->layout()->addWidget(chkDynamicRange);
    leftColumn->addWidget(ad);

    // Function generator link.
    auto *fg = optionFrame(this, QStringLiteral("Function Generator"),
                           SettingsController::fgControlCaptions(), opnFGControl,
                           QStringLiteral("opnFGControl"));
    auto *addrRow = new QHBoxLayout;
    addrRow->addWidget(new QLabel(QStringLiteral("Address"), fg));
    txtGPIBAddr = new QLineEdit(fg);
    txtGPIBAddr->setObjectName(QStringLiteral("txtGPIBAddr"));
    txtGPIBAddr->setReadOnly(true);
    txtGPIBAddr->setMaximumWidth(48);
    addrRow->addWidget(txtGPIBAddr);
    auto *arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    updAddrUp = arrow(fg, Qt::UpArrow, QStringLiteral("updAddrUp"));
    updAddrDown = arrow(fg, Qt::DownArrow, QStringLiteral("updAddrDown"));
    arrows->addWidget(updAddrUp);
    arrows->addWidget(updAddrDown);
    addrRow->addLayout(arrows);
    addrRow->addStretch();
    static_cast<QVBoxLayout *>(fg->layout())->addLayout(addrRow);
    rightColumn->addWidget(fg);

    // Rotator output and its calibration file.
    auto *motor =
        optionFrame(this, QStringLiteral("Motor Speed"), SettingsController::motorCaptions(),
                    opnMotor, QStringLiteral("opnMotor"));
    auto *rpmBox = new QGroupBox(QStringLiteral("RPM vs. Voltage File"), motor);
    auto *rpmRow = new QHBoxLayout(rpmBox);
    txtRPMvsVoltageFile = new QLineEdit(rpmBox);
    txtRPMvsVoltageFile->setObjectName(QStringLiteral("txtRPMvsVoltageFile"));
    txtRPMvsVoltageFile->setReadOnly(true);
    cmdRPMvsVoltOpen = new QPushButton(QStringLiteral("Open"), rpmBox);
    cmdRPMvsVoltOpen->setObjectName(QStringLiteral("cmdRPMvsVoltOpen"));
    rpmRow->addWidget(txtRPMvsVoltageFile, 1);
    rpmRow->addWidget(cmdRPMvsVoltOpen);
    motor->layout()->addWidget(rpmBox);
    leftColumn->addWidget(motor);

    auto *power = optionFrame(this, QStringLiteral("Power Control"),
                              SettingsController::powerControlCaptions(), opnPowerControl,
                              QStringLiteral("opnPowerControl"));
    rightColumn->addWidget(power);

    auto *draw =
        optionFrame(this, QStringLiteral("Prev. Graph"), SettingsController::drawMethodCaptions(),
                    opnDrawMethod, QStringLiteral("opnDrawMethod"));
    rightColumn->addWidget(draw);

    auto *language =
        optionFrame(this, QStringLiteral("Language"), SettingsController::languageCaptions(),
                    opnLanguage, QStringLiteral("opnLanguage"));
    rightColumn->addWidget(language);

    // The mail server of the macros; the password is shown as dots only.
    auto *mail = new QGroupBox(QStringLiteral("Mail Server (SMTP)"), this);
    auto *mailForm = new QFormLayout(mail);
    const auto mailField = [mail, mailForm](const QString &caption, const char *name) {
        auto *edit = new QLineEdit(mail);
        edit->setObjectName(QString::fromLatin1(name));
        mailForm->addRow(caption, edit);
        return edit;
    };
    txtMailServer = mailField(QStringLiteral("Server:"), "txtMailServer");
    txtMailPort = mailField(QStringLiteral("Port:"), "txtMailPort");
    txtMailFrom = mailField(QStringLiteral("Sender:"), "txtMailFrom");
    chkMailStartTLS = new QCheckBox(QStringLiteral("STARTTLS"), mail);
    chkMailStartTLS->setObjectName(QStringLiteral("chkMailStartTLS"));
    mailForm->addRow(QString(), chkMailStartTLS);
    txtMailUser = mailField(QStringLiteral("User:"), "txtMailUser");
    txtMailPassword = mailField(QStringLiteral("Password:"), "txtMailPassword");
    txtMailPassword->setEchoMode(QLineEdit::Password);
    chkMailAllowUnencrypted = new QCheckBox(QStringLiteral("allow unencrypted"), mail);
    chkMailAllowUnencrypted->setObjectName(QStringLiteral("chkMailAllowUnencrypted"));
    mailForm->addRow(QString(), chkMailAllowUnencrypted);
    leftColumn->addWidget(mail);

    leftColumn->addStretch(1);
    rightColumn->addStretch(1);

    auto *sound = new QHBoxLayout;
    sound->addWidget(new QLabel(QStringLiteral("Sound File:"), this));
    txtSoundFileName = new QLineEdit(this);
    txtSoundFileName->setObjectName(QStringLiteral("txtSoundFileName"));
    sound->addWidget(txtSoundFileName, 1);
    outer->addLayout(sound);
    auto *okRow = new QHBoxLayout;
    okRow->addStretch();
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setMinimumWidth(90);
    okRow->addWidget(cmdOK);
    outer->addLayout(okRow);

    connect(opnDevice, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.chooseADDevice(id); });
    connect(txtDevice, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setDeviceName(t); });
    connect(txtCardNumber, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setCardNumber(t); });
    connect(chkDynamicRange, &QCheckBox::clicked, this,
            [this](bool on) { m_controller.setDynamicRange(on); });
    connect(opnFGControl, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.chooseFGControl(id); });
    connect(updAddrUp, &QToolButton::clicked, this, [this] {
        m_controller.addressUp();
        txtGPIBAddr->setText(m_controller.addressText());
    });
    connect(updAddrDown, &QToolButton::clicked, this, [this] {
        m_controller.addressDown();
        txtGPIBAddr->setText(m_controller.addressText());
    });
    connect(opnMotor, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.chooseMotor(id); });
    connect(cmdRPMvsVoltOpen, &QPushButton::clicked, this, [this] {
        if (m_controller.chooseRpmFile())
            txtRPMvsVoltageFile->setText(m_controller.settings().RPMvsVoltageFile);
    });
    connect(opnPowerControl, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.choosePowerControl(id); });
    connect(opnDrawMethod, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.chooseDrawMethod(id); });
    connect(opnLanguage, &QButtonGroup::idClicked, this,
            [this](int id) { m_controller.chooseLanguage(id); });
    connect(txtSoundFileName, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setSoundFile(t); });
    connect(txtMailServer, &QLineEdit::textEdited, this, [this](const QString &t) {
        m_controller.setMailServer(t);
        // The permission belongs to the server it was given for.
        chkMailAllowUnencrypted->setChecked(m_controller.mailAllowUnencrypted());
    });
    connect(txtMailPort, &QLineEdit::editingFinished, this, [this] {
        m_controller.setMailPort(txtMailPort->text());
        txtMailPort->setText(QString::number(m_controller.settings().MailPort));
    });
    connect(txtMailFrom, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setMailFrom(t); });
    connect(chkMailStartTLS, &QCheckBox::clicked, this,
            [this](bool on) { m_controller.setMailStartTLS(on); });
    connect(txtMailUser, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setMailUser(t); });
    connect(txtMailPassword, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_controller.setMailPassword(t); });
    connect(chkMailAllowUnencrypted, &QCheckBox::clicked, this,
            [this](bool on) { m_controller.setMailAllowUnencrypted(on); });
    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);

    loadControls();
}

void frmSettings::loadControls()
{
    const Settings &s = m_controller.settings();
    txtSoundFileName->setText(s.SoundFileName);
    check(opnDrawMethod, s.PrevGraphDrawSetting);
    check(opnDevice, s.ADBoard);
    txtDevice->setText(s.DeviceName);
    check(opnFGControl, s.GPIBControl);
    txtGPIBAddr->setText(m_controller.addressText());
    check(opnMotor, s.DABoard);
    txtRPMvsVoltageFile->setText(s.RPMvsVoltageFile);
    check(opnPowerControl, s.PowerControl);
    check(opnLanguage, m_controller.languageIndex());
    chkDynamicRange->setChecked(s.DynamicRange != 0);
    txtMailServer->setText(s.MailServer);
    txtMailPort->setText(QString::number(s.MailPort));
    txtMailFrom->setText(s.MailFrom);
    chkMailStartTLS->setChecked(s.MailStartTLS != 0);
    txtMailUser->setText(s.MailUser);
    txtMailPassword->setText(s.MailPassword);
    chkMailAllowUnencrypted->setChecked(m_controller.mailAllowUnencrypted());
}

void frmSettings::showEvent(QShowEvent *event)
{
    // Settings may have changed since the window was last open.
    loadControls();
    QWidget::showEvent(event);
}

} // namespace tervo
