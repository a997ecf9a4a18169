#pragma once

#include "KurvexControl.h"
#include "PlotGeometry.h"
#include "RasterSurface.h"

#include <QWidget>

namespace kurvex {

// The one control class of the library.
class KurvexCTRL final : public QWidget, public KurvexControl {
public:
    explicit KurvexCTRL(QWidget *parent = nullptr);

    QWidget *widget() override { return this; }
    void CopyToClipboard() override;
    void setClipboardSink(std::function<void(const QImage &)> sink) override;
    void SetSize(int pTop, int pLeft, int pWidth, int pHeight) override;
    bool View(double x1, double y1, double x2, double y2) override;
    void Cls() override;
    void XAxisFormat(const QString &pattern) override;
    void YAxisFormat(const QString &pattern) override;
    void Axis(double xt, double yt, const QString &xlabel, const QString &ylabel) override;
    float VtoWX(double x) const override;
    float VtoWY(double y) const override;
    void SetForeColor(QRgb c) override;
    void SetDrawWidth(int w) override;
    void SetDrawMode(int m) override;
    void SetFillStyle(int s) override;
    void SetFillColor(QRgb c) override;
    void VLine(double x1, double y1, double x2, double y2, QRgb color) override;
    void VPset(double x, double y, QRgb color) override;
    void VCircle(double x, double y, double r, QRgb color) override;
    void VBox(double x1, double y1, double x2, double y2, QRgb color) override;
    void VFill(double x1, double y1, double x2, double y2, QRgb color) override;
    QImage image() override;
    ViewState &viewState() override { return m_view; }
    void showView() override;
    const PlotScene &scene() const override { return m_scene; }
    void AddLegend(const QString &title, QRgb color) override;
    void setFigureSaver(std::function<void()> save) override;

    // The image persists whether or not SetSize switched automatic redraw on; the flag is kept
    // for hosts that ask.
    bool autoRedraw() const { return m_autoRedraw; }
    // The read-out of the point under the pointer, as the canvas shows it.
    QString readout() const { return m_readout; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
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
    // The surface follows the control's size and pixel density, also while the control is hidden.
    void followSize();
    void changed();
    // The program's view draws straight through; the operator's view or a decade scale draws
    // through the scene.
    bool direct() const { return !m_view.zoomed() && !m_view.logY(); }
    void updateDrawMapping();
    void drawAxes(const WorldMapping &m, double dx, double dy, const QString &xlabel,
                  const QString &ylabel);
    void drawItem(const SceneItem &item);
    // A drawing call as the scene keeps it, with the pen and fill it was made with.
    SceneItem penItem(SceneItem::Kind kind, QRgb color, double x1, double y1, double x2 = 0,
                      double y2 = 0) const;
    // Keeps the call for redraws and draws it now.
    void addItem(const SceneItem &item);
    double drawY(double y) const { return m_view.logY() ? decadeY(y) : y; }
    void rerender();
    void rerenderIfStale();
    void updateReadout(const QPointF &at);

    RasterSurface m_surface;
    WorldMapping m_mapping; // the program's, as VtoWX and VtoWY report it
    WorldMapping m_draw;    // the one shown
    std::string m_xFormat;
    std::string m_yFormat;
    std::function<void(const QImage &)> m_clipboardSink;
    std::function<void()> m_figureSaver;
    bool m_autoRedraw = false;
    bool m_updatePending = false;
    bool m_stale = false;

    PlotScene m_scene;
    ViewState m_view;
    enum class Drag { None, Zoom, Pan } m_drag = Drag::None;
    QPointF m_dragStart;
    QPointF m_dragNow;
    bool m_spaceHeld = false;
    QString m_readout;
};

} // namespace kurvex
