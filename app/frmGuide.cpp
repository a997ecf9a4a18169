#include "frmGuide.h"

#include <QTextBrowser>
#include <QVBoxLayout>

namespace tervo {

frmGuide::frmGuide(const QString &markdown, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmGuide"));
    setWindowTitle(QStringLiteral("Getting started"));
    auto *layout = new QVBoxLayout(this);
    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("txtGuide"));
    m_text->setOpenLinks(false);
    m_text->setMarkdown(markdown);
    layout->addWidget(m_text);
    resize(640, 560);
}

} // namespace tervo
