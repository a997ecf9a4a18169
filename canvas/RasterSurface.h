#pragma once

#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QRgb>
#include <QString>
#include <cmath>
#include <memory>
#include <vector>

namespace kurvex {

// The raster drawing modes of the classic 16-colour surface (pen combined with the screen).
enum DrawMode : int {
    Blackness = 1,
    NotMergePen = 2,
    MaskNotPen = 3,
    NotCopyPen = 4,
    MaskPenNot = 5,
    Invert = 6,
    XorPen = 7,
    NotMaskPen = 8,
    MaskPen = 9,
    NotXorPen = 10,
    Nop = 11,
    MergeNotPen = 12,
    CopyPen = 13,
    MergePenNot = 14,
    MergePen = 15,
    Whiteness = 16,
};

// Fill styles used by circles.
enum FillStyle : int {
    FillSolid = 0,
    FillTransparent = 1,
    FillHorizontalLine = 2,
    FillVerticalLine = 3,
    FillUpwardDiagonal = 4,
    FillDownwardDiagonal = 5,
    FillCross = 6,
    FillDiagonalCross = 7,
};

inline constexpr QRgb kSurfaceBackground = 0xffffffff;

// A persistent raster image in logical pixels, backed by device pixels (devicePixelRatio) so it
// stays sharp on dense screens. All coordinates are logical pixels; anything far outside the
// image is clipped or dropped before it reaches the rasterizer.
class RasterSurface {
public:
    RasterSurface();
    ~RasterSurface();
    RasterSurface(const RasterSurface &) = delete;
    RasterSurface &operator=(const RasterSurface &) = delete;

    // Sizes the surface, keeping the present image at the top-left. A size of 0 or less keeps the
    // previous size in that direction.
    void resize(int width, int height, qreal devicePixelRatio = 1.0);
    int width() const { return m_width; }
    int height() const { return m_height; }
    qreal devicePixelRatio() const { return m_dpr; }

    void clear();

    void setForeColor(QRgb c) { m_foreColor = c; }
    QRgb foreColor() const { return m_foreColor; }
    void setDrawWidth(int w) { m_drawWidth = w < 1 ? 1 : (w > 1000 ? 1000 : w); }
    int drawWidth() const { return m_drawWidth; }
    void setDrawMode(int mode)
    {
        m_drawMode = (mode >= Blackness && mode <= Whiteness) ? mode : CopyPen;
    }
    int drawMode() const { return m_drawMode; }
    void setFillStyle(int style)
    {
        m_fillStyle = (style >= 0 && style <= 7) ? style : FillTransparent;
    }
    int fillStyle() const { return m_fillStyle; }
    void setFillColor(QRgb c) { m_fillColor = c; }
    QRgb fillColor() const { return m_fillColor; }
    // The pen settings together, to be put back after drawing in other ones.
    struct PenState {
        QRgb fore, fill;
        int width, mode, fillStyle;
    };
    PenState penState() const
    {
        return {m_foreColor, m_fillColor, m_drawWidth, m_drawMode, m_fillStyle};
    }
    void setPenState(const PenState &s)
    {
        m_foreColor = s.fore;
        m_fillColor = s.fill;
        m_drawWidth = s.width;
        m_drawMode = s.mode;
        m_fillStyle = s.fillStyle;
    }
    void setFontSize(double points);
    double fontSize() const { return m_font.pointSizeF(); }

    // Primitives in logical pixels, placed to the nearest device pixel below (on a plain screen:
    // the largest integer not above); the colour argument is the pen's.
    void line(double x1, double y1, double x2, double y2, QRgb color);
    void pset(double x, double y, QRgb color);
    // Outline in the foreground colour, inside by the fill style and fill colour.
    void circle(double cx, double cy, double radius);
    void box(double x1, double y1, double x2, double y2, QRgb color);
    void fillBox(double x1, double y1, double x2, double y2, QRgb color);
    // Text in the foreground colour with its top-left corner at the position.
    void text(double left, double top, const QString &text);
    int textWidth(const QString &text) const;
    int textHeight() const;

    // The image as it stands; pending painting is flushed first.
    const QImage &image();

private:
    QPainter &painter();
    void flush();
    double snap(double v) const { return std::floor(v * m_dpr) / m_dpr; }
    void applyMode(QPainter &p);
    void usePen(QRgb color);

    QImage m_image;
    int m_width = 1;
    int m_height = 1;
    qreal m_dpr = 1.0;
    QRgb m_foreColor = 0xff000000;
    int m_drawWidth = 1;
    int m_drawMode = CopyPen;
    int m_fillStyle = FillTransparent;
    QRgb m_fillColor = 0xff000000;
    QFont m_font;

    std::unique_ptr<QPainter> m_painter;
    // What the open painter is set to, so a long run of lines does not reset it each time.
    QRgb m_penColor = 0;
    int m_penWidth = -1;
    int m_painterMode = -1;
    // Lines of one pen in a mode that does not depend on the screen, waiting to be drawn in one
    // call; a curve of many points per pixel repeats its last line, which is then left out.
    struct LineBatch {
        QRgb color = 0;
        int width = 0;
        int mode = 0;
        std::vector<QLineF> lines;
        std::vector<QPointF> dots; // lines of no length
        bool hasLast = false;
        QLineF last;
    } m_batch;
    void drawBatch();
    void discardBatch();
    void copyBatchDirect(int scale);
};

} // namespace kurvex
