#include "frmPower.h"

#include "core/Prompts.h"
#include "devices/AdjustRpmController.h"
#include "devices/PowerController.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QSignalBlocker>

namespace tervo {

frmPower::frmPower(PowerController &controller, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmPower"));
    setWindowTitle(QStringLiteral("Power Control"));
    auto *grid = new QGridLayout(this);
    for (int i = 0; i < kPowerOutputs; ++i) {
        auto *chk = new QCheckBox(QString::number(i), this);
        chk->setObjectName(QStringLiteral("chkPower%1").arg(i));
        auto *txt = new QLineEdit(controller.labels[std::size_t(i)], this);
        txt->setObjectName(QStringLiteral("txtPower%1").arg(i));
        grid->addWidget(chk, i, 0);
        grid->addWidget(txt, i, 1);
        m_chk[std::size_t(i)] = chk;
        m_txt[std::size_t(i)] = txt;
        connect(chk, &QCheckBox::clicked, this, [this, i](bool checked) {
            std::uint8_t on = checked ? 1 : 0;
            m_controller.Power(static_cast<std::int16_t>(i), on);
        });
        connect(txt, &QLineEdit::textEdited, this,
                [this, i](const QString &t) { m_controller.labels[std::size_t(i)] = t; });
    }
    m_controller.changed = [this] { follow(); };
    follow();
}

frmPower::~frmPower()
{
    m_controller.changed = nullptr;
}

bool frmPower::openWindow()
{
    if (m_controller.ensureOpen() != 0) {
        m_prompts.message(QString::fromLatin1(kDigitalOutMessage));
        return false;
    }
    follow();
    show();
    raise();
    return true;
}

void frmPower::follow()
{
    for (int i = 0; i < kPowerOutputs; ++i) {
        const QSignalBlocker block(m_chk[std::size_t(i)]);
        m_chk[std::size_t(i)]->setChecked(m_controller.isOn(i));
    }
}

} // namespace tervo
