#include "ProcessingWindow.h"

#include "core/NumberParse.h"
#include "plot/FigureDialog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace tervo {

ProcessingWindow::ProcessingWindow(QWidget *parent) : QWidget(parent, Qt::Window) {}

kurvex::KurvexControl *ProcessingWindow::createCanvas(const QString &name, int minWidth,
                                                      int minHeight)
{
    kurvex::KurvexControl *c = kurvex::createControl(QString::fromLatin1(kurvex::kProgId), this);
    if (!c)
        return nullptr;
    c->widget()->setObjectName(name);
    c->widget()->setMinimumSize(minWidth, minHeight);
    c->widget()->installEventFilter(this);
    c->SetSize(0, 0, minWidth, minHeight);
    offerFigureSaving(*c);
    return c;
}

TrackSpinner ProcessingWindow::makeSpinner(const QString &boxName, const QString &spinnerName,
                                           std::function<void(int)> step,
                                           std::function<void(int)> typed)
{
    TrackSpinner s;
    s.widget = new QWidget(this);
    auto *row = new QHBoxLayout(s.widget);
    row->setContentsMargins(0, 0, 0, 0);
    s.box = new QLineEdit(s.widget);
    s.box->setObjectName(boxName);
    s.box->setMaximumWidth(50);
    s.up = new QToolButton(s.widget);
    s.up->setArrowType(Qt::UpArrow);
    s.up->setObjectName(spinnerName + QStringLiteral("Up"));
    s.down = new QToolButton(s.widget);
    s.down->setArrowType(Qt::DownArrow);
    s.down->setObjectName(spinnerName + QStringLiteral("Down"));
    row->addWidget(s.box);
    row->addWidget(s.up);
    row->addWidget(s.down);
    connect(s.up, &QToolButton::clicked, this, [step] { step(+1); });
    connect(s.down, &QToolButton::clicked, this, [step] { step(-1); });
    QLineEdit *box = s.box;
    connect(box, &QLineEdit::editingFinished, this,
            [box, typed] { typed(roundHalfEven(parseDecimal(QStringView(box->text())))); });
    return s;
}

bool ProcessingWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched->isWidgetType() && isVisible())
        redraw();
    return QWidget::eventFilter(watched, event);
}

void ProcessingWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    redraw();
}

double boxValue(const QLineEdit *box)
{
    return parseDecimal(QStringView(box->text()));
}

} // namespace tervo
