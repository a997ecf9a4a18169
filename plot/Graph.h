#pragma once

#include "canvas/PlotGeometry.h"
#include "canvas/PlotScene.h"
#include "canvas/PlotView.h"
#include "canvas/RasterSurface.h"
#include "core/Prompts.h"

#include <QImage>
#include <QObject>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <string>

namespace tervo {

// The graph window as the measurement and analysis windows drive it: a persistent surface with a
// world window, axes with linear or decade labels, and the window's place on the screen. Window
// positions and sizes are in screen units (twips), getPictureX of them to a pixel. The widget
// (frmGraph) only shows what this holds and reports the operator's moves and resizes back.
class Graph : public QObject {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kCaptionRoom = 26;
    // Pixel coordinates beyond this are clamped before rounding.
    static constexpr double kPixelClamp = 2.1e9;
    // A line is drawn only when all its pixel coordinates lie within this.
    static constexpr double kLineGuard = 32767.0;

    explicit Graph(Clipboard &clipboard, QObject *parent = nullptr);

    // Window operations.
    void SetSize(int pTop, int pLeft, int pWidth, int pHeight);
    void SetPosition(int top, int left);
    void SetTitle(const QString &text);
    void SetXFormat(const QString &pattern);
    void SetYFormat(const QString &pattern);
    void SetAutoRedraw(bool flag);
    // Prints text with its top-left corner at pixel (x, y) in the given font size.
    void CurPrn(double x, double y, double fontSize, const QString &text);
    // World window and mapping; an empty or non-finite window is refused (false) and the previous
    // mapping stays.
    bool View(double x1, double y1, double x2, double y2);
    // Grid, axes and labels; islog 0 labels y linearly, 1 as decades (y values are exponents).
    void Axis(double xStep, double yStep, int islog, const QString &xlabel);
    // The y title of the next Axis, printed beside the top of the y axis; Axis uses it up.
    void SetYTitle(const QString &title) { m_nextYTitle = title; }
    // A legend entry of a figure of what is drawn since the last Axis or Cls.
    void AddLegend(const QString &title, QRgb color) { m_scene.addLegend(title, color); }
    double VtoWX(double x) const;
    double VtoWY(double y) const;
    void VLine(double x1, double y1, double x2, double y2, QRgb color);
    void VPset(double x, double y, QRgb color);
    // Circle of radius r pixels in the colour, filled with it.
    void VCircle(double x, double y, double r, QRgb color);
    void VBox(double x1, double y1, double x2, double y2, QRgb color);
    void VFill(double x1, double y1, double x2, double y2, QRgb color);
    int getPictureX() const { return kTwipsPerPixel; }
    struct Position {
        std::int16_t top;
        std::int16_t left;
    };
    Position getPosition() const;
    struct Size {
        std::int16_t width;
        std::int16_t height;
    };
    // The window's width and its height less the caption room: the inverse of SetSize.
    Size getSize() const;
    // Clears the clipboard and puts the surface's image on it.
    void CopyToClipboard();
    void Cls();

    // Who put up the present picture, and whether a run still draws on it. The graph windows
    // are shared: a monitor draws only on a picture of its own and leaves one a run is drawing.
    void claim(const void *holder, bool drawing)
    {
        m_holder = holder;
        m_drawing = drawing;
    }
    // The run is over; its picture stays until someone claims the graph.
    void release(const void *holder)
    {
        if (m_holder == holder)
            m_drawing = false;
    }
    const void *holder() const { return m_holder; }
    bool drawnByOther(const void *holder) const { return m_drawing && m_holder != holder; }

    // Showing and hiding, for the windows that use the graph.
    void Show();
    void Hide();
    bool isVisible() const { return m_visible; }

    QString title() const { return m_title; }
    bool autoRedraw() const { return m_autoRedraw; }
    // The window's rectangle in screen units (top, left, width, height including caption room).
    int top() const { return m_top; }
    int left() const { return m_left; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The surface's size in pixels.
    QSize surfaceSize() const { return {m_surface.width(), m_surface.height()}; }
    const QImage &image();

    // The operator's view over the program's (zoom, pan, decade scale for |y|), and what the
    // graph holds since the last Axis or Cls, drawn again in it by showView().
    kurvex::ViewState &viewState() { return m_view; }
    const kurvex::ViewState &viewState() const { return m_view; }
    const kurvex::PlotScene &scene() const { return m_scene; }
    void showView();
    // The world window shown now (in decades on a log scale).
    kurvex::WorldRect shownView() const;
    // The point under a pixel and the nearest drawn data point, as the status line shows them.
    QString readout(const QPointF &pixel) const;

    // What the window reports: the operator moved or resized it, or it was shown or hidden.
    void windowMoved(int topPixels, int leftPixels);
    void windowResized(int widthPixels, int heightPixels, qreal devicePixelRatio);
    void windowVisibilityChanged(bool visible);

signals:
    void imageChanged();
    // The operator's view changed (zoomed, panned, back home, scale switched).
    void viewChanged();
    void geometryChanged();
    void titleChanged();
    void visibilityRequested(bool visible);

private:
    void changed();
    bool direct() const { return !m_view.zoomed() && !m_view.logY(); }
    void updateDrawMapping();
    void drawAxes(const kurvex::WorldMapping &m, double xStep, double yStep, int islog,
                  const QString &xlabel, const QString &ytitle);
    void drawItem(const kurvex::SceneItem &item);
    void lineOnSurface(const kurvex::WorldMapping &m, double x1, double y1, double x2, double y2,
                       QRgb color);
    double drawY(double y) const { return m_view.logY() ? kurvex::decadeY(y) : y; }
    void rerender();
    double clampPixel(double c) const;
    double surfaceX(double x) const;
    double surfaceY(double y) const;
    void resizeSurfaceToWindow(qreal devicePixelRatio);

    Clipboard &m_clipboard;
    kurvex::RasterSurface m_surface;
    kurvex::WorldMapping m_mapping; // the program's, as VtoWX and VtoWY report it
    kurvex::WorldMapping m_draw;    // the one shown
    kurvex::PlotScene m_scene;
    kurvex::ViewState m_view;
    QString m_nextYTitle;
    bool m_stale = false;
    std::string m_xFormat = "0.0";
    std::string m_yFormat = "0.0e+0";
    QString m_title;
    const void *m_holder = nullptr;
    bool m_drawing = false;
    bool m_autoRedraw = false;
    bool m_visible = false;
    int m_top = 0;
    int m_left = 0;
    int m_width = 500 * kTwipsPerPixel;
    int m_height = 375 * kTwipsPerPixel + kCaptionRoom;
};

// A decade label of the graph's y axis: "1" for exponent 0, otherwise "10" with the exponent
// raised 8 pixels, placed to the left of the y axis column at the grid row.
struct DecadeLabel {
    QString base;
    QString exponent; // empty for "1"
    double baseLeft = 0, baseTop = 0;
    double exponentLeft = 0, exponentTop = 0;
};
DecadeLabel decadeLabel(double y, double axisColumn, double row, int baseTextWidth);

// The label font of the graph's axes, in points.
inline constexpr double kGraphLabelFontSize = 8;

} // namespace tervo
