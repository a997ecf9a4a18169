#pragma once

#include "Graph.h"

#include <QWidget>

class QLabel;
class QMenu;
class QToolButton;

namespace tervo {

// The graph window: shows a Graph's surface, follows its title, place and visibility, reports
// the operator's moves and resizes back, and has a button that copies the image. The operator
// zooms (wheel, left-button rectangle), pans (middle button, or Space and drag) and goes back to
// the program's view (double-click, Home, the "Follow" button of a live plot); a status line
// reads out the point under the pointer; the menu switches |y| to decades and saves figures.
class frmGraph : public QWidget {
    Q_OBJECT
public:
    explicit frmGraph(Graph &graph, QWidget *parent = nullptr);

    // The read-out the status line shows.
    QString statusText() const;
    QMenu *menu() const { return m_menu; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void applyGeometry();
    void placeButton();
    void viewMoved();
    void saveFigure();

    Graph &m_graph;
    QToolButton *m_copyButton;
    QToolButton *m_menuButton;
    QToolButton *m_followButton;
    QLabel *m_status;
    QMenu *m_menu;
    QAction *m_logAction;
    bool m_applying = false;
    enum class Drag { None, Zoom, Pan } m_drag = Drag::None;
    QPointF m_dragStart;
    QPointF m_dragNow;
    bool m_spaceHeld = false;
};

// The two graph windows of a run, created at start-up and living until the program ends. The
// first is placed at top 0, left 1000.
class GraphWindows {
public:
    explicit GraphWindows(Clipboard &clipboard);
    ~GraphWindows();
    Graph &graph(int index) { return index == 0 ? m_first : m_second; }
    frmGraph &window(int index) { return index == 0 ? *m_firstWindow : *m_secondWindow; }

private:
    Graph m_first;
    Graph m_second;
    frmGraph *m_firstWindow;
    frmGraph *m_secondWindow;
};

} // namespace tervo
