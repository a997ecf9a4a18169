#include "UpDownButtons.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace tervo {

UpDownButtons::UpDownButtons(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAutoRepeat(true);
    m_down->setAutoRepeat(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_up);
    layout->addWidget(m_down);
    connect(m_up, &QToolButton::clicked, this, &UpDownButtons::up);
    connect(m_down, &QToolButton::clicked, this, &UpDownButtons::down);
}

} // namespace tervo
