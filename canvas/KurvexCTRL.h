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

    // The image persists whether or not SetSize switched automatic redraw on; the flag is kept
    // for hosts that ask.
    bool autoRedraw() const { return m_autoRedraw; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // The surface follows the control's size and pixel density, also while the control is hidden.
    void followSize();
    void changed();

    RasterSurface m_surface;
    WorldMapping m_mapping;
    std::string m_xFormat;
    std::string m_yFormat;
    std::function<void(const QImage &)> m_clipboardSink;
    bool m_autoRedraw = false;
    bool m_updatePending = false;
};

} // namespace kurvex
