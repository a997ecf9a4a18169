#include "frmGraph.h"

#include "FigureDialog.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>

namespace tervo {

namespace {

kurvex::ZoomAxes zoomAxesFor(Qt::KeyboardModifiers m)
{
    if (m & Qt::ShiftModifier)
        return kurvex::ZoomAxes::XOnly;
    if (m & Qt::ControlModifier)
        return kurvex::ZoomAxes::YOnly;
    return kurvex::ZoomAxes::Both;
}

} // namespace

frmGraph::frmGraph(Graph &graph, QWidget *parent)
    : QWidget(parent, Qt::Window), m_graph(graph), m_copyButton(new QToolButton(this)),
      m_menuButton(new QToolButton(this)), m_followButton(new QToolButton(this)),
      m_status(new QLabel(this)), m_menu(new QMenu(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    m_copyButton->setText(QStringLiteral("Copy"));
    m_copyButton->setToolTip(QStringLiteral("Copy the graph to the clipboard as a picture"));
    connect(m_copyButton, &QToolButton::clicked, this, [this] { m_graph.CopyToClipboard(); });

    QAction *home = m_menu->addAction(QStringLiteral("Home"));
    connect(home, &QAction::triggered, this, [this] {
        if (m_graph.viewState().home())
            m_graph.showView();
    });
    m_logAction = m_menu->addAction(QStringLiteral("Log Scale |y|"));
    m_logAction->setCheckable(true);
    connect(m_logAction, &QAction::toggled, this, [this](bool on) {
        if (on == m_graph.viewState().logY())
            return;
        m_graph.viewState().setLogY(on);
        m_graph.showView();
    });
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("Copy")), &QAction::triggered, this,
            [this] { m_graph.CopyToClipboard(); });
    connect(m_menu->addAction(QStringLiteral("Save Figure\u2026")), &QAction::triggered, this,
            &frmGraph::saveFigure);
    m_menuButton->setText(QStringLiteral("Graph"));
    m_menuButton->setMenu(m_menu);
    m_menuButton->setPopupMode(QToolButton::InstantPopup);

    m_followButton->setText(QStringLiteral("follow"));
    m_followButton->setToolTip(QStringLiteral("Show the whole plot again and follow new points"));
    m_followButton->hide();
    connect(m_followButton, &QToolButton::clicked, this, [this] {
        if (m_graph.viewState().home())
            m_graph.showView();
    });
    m_status->setAutoFillBackground(true);
    QPalette pal = m_status->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    m_status->setPalette(pal);
    m_status->setMargin(2);
    m_status->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_status->hide();

    connect(&m_graph, &Graph::imageChanged, this, qOverload<>(&QWidget::update));
    connect(&m_graph, &Graph::viewChanged, this, &frmGraph::viewMoved);
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
    m_menuButton->adjustSize();
    m_menuButton->move(m_copyButton->x() - m_menuButton->width() - 2, 2);
    m_followButton->adjustSize();
    m_followButton->move(m_menuButton->x() - m_followButton->width() - 2, 2);
    m_status->move(0, height() - m_status->height());
}

void frmGraph::viewMoved()
{
    m_followButton->setVisible(m_graph.viewState().zoomed());
    const QSignalBlocker block(m_logAction);
    m_logAction->setChecked(m_graph.viewState().logY());
    placeButton();
}

QString frmGraph::statusText() const
{
    return m_status->text();
}

void frmGraph::saveFigure()
{
    saveFigureDialog(this, figureOf(m_graph));
}

void frmGraph::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    const QImage &img = m_graph.image();
    p.drawImage(QPointF(0, 0), img);
    if (m_drag == Drag::Zoom) {
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(QRectF(m_dragStart, m_dragNow).normalized());
    }
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

void frmGraph::wheelEvent(QWheelEvent *event)
{
    const QPoint d = event->angleDelta();
    const double notches = (d.y() != 0 ? d.y() : d.x()) / 120.0;
    const QSize s = m_graph.surfaceSize();
    if (m_graph.viewState().wheel(event->position().x(), event->position().y(), notches,
                                  zoomAxesFor(event->modifiers()), s.width(), s.height()))
        m_graph.showView();
    event->accept();
}

void frmGraph::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_spaceHeld))
        m_drag = Drag::Pan;
    else if (event->button() == Qt::LeftButton)
        m_drag = Drag::Zoom;
    else
        return QWidget::mousePressEvent(event);
    m_dragStart = m_dragNow = event->position();
}

void frmGraph::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    if (m_drag == Drag::Pan) {
        const QSize s = m_graph.surfaceSize();
        if (m_graph.viewState().pan(at.x() - m_dragNow.x(), at.y() - m_dragNow.y(), s.width(),
                                    s.height()))
            m_graph.showView();
    }
    m_dragNow = at;
    const QString text = m_graph.readout(at);
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
    m_status->adjustSize();
    placeButton();
    if (m_drag == Drag::Zoom)
        update();
}

void frmGraph::mouseReleaseEvent(QMouseEvent *event)
{
    const QSize s = m_graph.surfaceSize();
    if (m_drag == Drag::Zoom &&
        m_graph.viewState().zoomRect(QRectF(m_dragStart, event->position()), s.width(), s.height()))
        m_graph.showView();
    m_drag = Drag::None;
    update();
}

void frmGraph::mouseDoubleClickEvent(QMouseEvent *)
{
    m_drag = Drag::None;
    if (m_graph.viewState().home())
        m_graph.showView();
}

void frmGraph::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Home) {
        if (m_graph.viewState().home())
            m_graph.showView();
        return;
    }
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = true;
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmGraph::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        m_spaceHeld = false;
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void frmGraph::leaveEvent(QEvent *)
{
    m_status->hide();
}

void frmGraph::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->exec(event->globalPos());
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
