#include "frmGraph.h"

#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>

namespace tervo {

frmGraph::frmGraph(Graph &graph, QWidget *parent)
    : QWidget(parent, Qt::Window), m_graph(graph), m_copyButton(new QToolButton(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_copyButton->setText(QStringLiteral("Copy"));
    m_copyButton->setToolTip(QStringLiteral("Copy the graph to the clipboard as a picture"));
    connect(m_copyButton, &QToolButton::clicked, this, [this] { m_graph.CopyToClipboard(); });
    connect(&m_graph, &Graph::imageChanged, this, qOverload<>(&QWidget::update));
    connect(&m_graph, &Graph::titleChanged, this, [this] { setWindowTitle(m_graph.title()); });
    connect(&m_graph, &Graph::geometryChanged, this, &frmGraph::applyGeometry);
    connect(&m_graph, &Graph::visibilityRequested, this, [this](bool visible) {
        if (visible) {
            show();
            raise();
        } else {
            hide();
        }
    });
    setWindowTitle(m_graph.title());
    applyGeometry();
}

void frmGraph::applyGeometry()
{
    m_applying = true;
    const int px = Graph::kTwipsPerPixel;
    move(m_graph.left() / px, m_graph.top() / px);
    const QSize s = m_graph.surfaceSize();
    resize(s);
    m_applying = false;
    placeButton();
}

void frmGraph::placeButton()
{
    m_copyButton->adjustSize();
    m_copyButton->move(width() - m_copyButton->width() - 2, 2);
}

void frmGraph::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    const QImage &img = m_graph.image();
    p.drawImage(QPointF(0, 0), img);
}

void frmGraph::resizeEvent(QResizeEvent *event)
{
    placeButton();
    if (!m_applying)
        m_graph.windowResized(event->size().width(), event->size().height(), devicePixelRatioF());
}

void frmGraph::moveEvent(QMoveEvent *event)
{
    if (!m_applying)
        m_graph.windowMoved(event->pos().y(), event->pos().x());
}

void frmGraph::showEvent(QShowEvent *)
{
    // The surface takes the screen's pixel density once the window is on a screen.
    m_graph.windowResized(width(), height(), devicePixelRatioF());
    m_graph.windowVisibilityChanged(true);
}

void frmGraph::hideEvent(QHideEvent *)
{
    m_graph.windowVisibilityChanged(false);
}

GraphWindows::GraphWindows(Clipboard &clipboard)
    : m_first(clipboard), m_second(clipboard), m_firstWindow(new frmGraph(m_first)),
      m_secondWindow(new frmGraph(m_second))
{
    m_first.SetPosition(0, 1000);
}

GraphWindows::~GraphWindows()
{
    delete m_firstWindow;
    delete m_secondWindow;
}

} // namespace tervo
