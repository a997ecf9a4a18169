#pragma once

#include "Graph.h"

#include <QWidget>

class QToolButton;

namespace tervo {

// The graph window: shows a Graph's surface, follows its title, place and visibility, reports
// the operator's moves and resizes back, and has a button that copies the image.
class frmGraph : public QWidget {
    Q_OBJECT
public:
    explicit frmGraph(Graph &graph, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void applyGeometry();
    void placeButton();

    Graph &m_graph;
    QToolButton *m_copyButton;
    bool m_applying = false;
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
