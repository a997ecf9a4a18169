#include "WindowFit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

namespace tervo {

namespace {

// What the window may take of the screen: the title bar needs room above it.
constexpr int kTitleBarAllowance = 40;

} // namespace

void scrollWhenTooBig(QWidget &window)
{
    QLayout *content = window.layout();
    if (!content)
        return;
    auto *inner = new QWidget;
    inner->setObjectName(window.objectName() + QStringLiteral("Contents"));
    // Takes the layout off the window together with the controls it holds.
    inner->setLayout(content);
    auto *scroll = new QScrollArea(&window);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(inner);
    auto *outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    QSize size = inner->sizeHint();
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize room = screen->availableGeometry().size() - QSize(0, kTitleBarAllowance);
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (size.height() > room.height())
        size.rwidth() += bar;
    if (size.width() > room.width())
        size.rheight() += bar;
    window.resize(size.boundedTo(room));
}

} // namespace tervo
