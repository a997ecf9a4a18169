#pragma once

// The public face of the KurvexCTRL plot canvas: the host includes only this header and creates
// the control by its identifier.

#include "PlotScene.h"
#include "PlotView.h"

#include <QImage>
#include <QRgb>
#include <QString>
#include <functional>

class QWidget;

#if defined(KURVEX_BUILD)
#define KURVEX_EXPORT __attribute__((visibility("default")))
#else
#define KURVEX_EXPORT
#endif

namespace kurvex {

inline constexpr char kProgId[] = "KurvexControl.KurvexCTRL";

// Raster drawing modes for SetDrawMode (the platform's standard pen modes).
inline constexpr int kDrawCopyPen = 13;
inline constexpr int kDrawXorPen = 7;
inline constexpr int kDrawInvert = 6;
inline constexpr int kDrawNotXorPen = 10;
// Fill styles for SetFillStyle.
inline constexpr int kFillSolid = 0;
inline constexpr int kFillTransparent = 1;

// A plot canvas: a world window mapped onto a persistent drawing surface that fills the control.
// Colours are 0xRRGGBB values (the alpha byte is ignored).
class KURVEX_EXPORT KurvexControl {
public:
    virtual ~KurvexControl() = default;

    // The control as a widget, for the host's layout.
    virtual QWidget *widget() = 0;

    // Clears the clipboard and puts the surface's image on it as a bitmap.
    virtual void CopyToClipboard() = 0;
    // Where CopyToClipboard delivers the image; unset, the system clipboard receives it.
    virtual void setClipboardSink(std::function<void(const QImage &)> sink) = 0;

    // Switches automatic redraw on; the size arguments have no effect (the surface always
    // follows the control's size).
    virtual void SetSize(int pTop, int pLeft, int pWidth, int pHeight) = 0;
    // Sets the world window: (x1, y1) maps to the top-left pixel and (x2, y2) to the
    // bottom-right. An empty or non-finite window is refused (false) and the previous mapping
    // stays.
    virtual bool View(double x1, double y1, double x2, double y2) = 0;
    virtual void Cls() = 0;
    // Number format patterns of the tick labels, e.g. "0.0" or "0.0e+0".
    virtual void XAxisFormat(const QString &pattern) = 0;
    virtual void YAxisFormat(const QString &pattern) = 0;
    // Clears the surface and draws grid, axes through the world origin, tick labels and titles.
    // A zero, non-finite or hopelessly fine step draws no grid for that axis.
    virtual void Axis(double xt, double yt, const QString &xlabel, const QString &ylabel) = 0;
    // Pixel column and row of a world coordinate: the largest integer not above the mapped value.
    virtual float VtoWX(double x) const = 0;
    virtual float VtoWY(double y) const = 0;

    virtual void SetForeColor(QRgb c) = 0;
    virtual void SetDrawWidth(int w) = 0;
    virtual void SetDrawMode(int m) = 0;
    virtual void SetFillStyle(int s) = 0;
    virtual void SetFillColor(QRgb c) = 0;

    virtual void VLine(double x1, double y1, double x2, double y2, QRgb color) = 0;
    virtual void VPset(double x, double y, QRgb color) = 0;
    // Circle of radius r pixels in the foreground colour (the colour argument is not used),
    // filled by the fill style.
    virtual void VCircle(double x, double y, double r, QRgb color) = 0;
    virtual void VBox(double x1, double y1, double x2, double y2, QRgb color) = 0;
    virtual void VFill(double x1, double y1, double x2, double y2, QRgb color) = 0;

    // The surface's image as it stands (device pixels, with its device pixel ratio).
    virtual QImage image() = 0;

    // Beyond the classic interface: the operator's view over the program's (zoom, pan, a decade
    // scale for |y|), what the canvas holds since it was last cleared, and a legend for figures.
    virtual ViewState &viewState() = 0;
    // Draws the held content again in the view shown now (after viewState() was changed).
    virtual void showView() = 0;
    virtual const PlotScene &scene() const = 0;
    virtual void AddLegend(const QString &title, QRgb color) = 0;
    // What "Save Figure..." in the canvas's context menu does; unset, the entry is not offered.
    virtual void setFigureSaver(std::function<void()> save) = 0;
};

// Creates the control registered under progId ("KurvexControl.KurvexCTRL"); nothing for an
// unknown identifier. The control belongs to parent (or to the caller when parent is null).
KURVEX_EXPORT KurvexControl *createControl(const QString &progId, QWidget *parent = nullptr);

} // namespace kurvex
