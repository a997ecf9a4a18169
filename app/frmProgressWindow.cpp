#include "frmProgressWindow.h"

#include <QApplication>
#include <QVBoxLayout>
#include <algorithm>

namespace tervo {

frmProgressWindow::frmProgressWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("TERVO"));
    auto *layout = new QVBoxLayout(this);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setMinimumWidth(320);
    layout->addWidget(lblMessage);
    layout->addWidget(ProgressBar);
}

void frmProgressWindow::begin(const QString &label, int maximum)
{
    if (!label.isNull())
        lblMessage->setText(label);
    ProgressBar->setRange(0, std::max(maximum, 0));
    ProgressBar->setValue(0);
    if (!isVisible()) {
        adjustSize();
        // Over the window the operator is working in.
        if (const QWidget *w = QApplication::activeWindow())
            move(w->geometry().center() - rect().center());
    }
    show();
    raise();
    // Only repaints: the operator's clicks wait until the text is complete, so nothing can
    // change the tracks while they are being read.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmProgressWindow::advance(int value)
{
    ProgressBar->setValue(value);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmProgressWindow::end()
{
    hide();
}

} // namespace tervo
