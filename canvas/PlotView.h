#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <utility>

// The operator's view of a plot: the window the program set, a window the operator zoomed or
// panned to, and a decade scale for |y|. Pure operations on world windows; nothing here touches a
// display.
namespace kurvex {

// A world window as View takes it: (x1, y1) at the top-left pixel, (x2, y2) at the bottom-right.
struct WorldRect {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;
    bool operator==(const WorldRect &) const = default;
    bool usable() const;
};

enum class ZoomAxes { Both, XOnly, YOnly };

// The world point under a pixel of a width x height surface showing r.
QPointF worldAt(const WorldRect &r, double px, double py, double width, double height);
// r scaled by factor about the world point (wx, wy), which stays under the same pixel; a factor
// below 1 zooms in.
WorldRect zoomAbout(const WorldRect &r, double wx, double wy, double factor, ZoomAxes axes);
// The world window under a rectangle of pixels (either corner order).
WorldRect rectFromPixels(const WorldRect &r, const QRectF &pixels, double width, double height);
// r moved so that the content follows the pointer by (dx, dy) pixels.
WorldRect panByPixels(const WorldRect &r, double dx, double dy, double width, double height);

// The decade window (exponents, top first) of a |y| scale for data between lo and hi (positive):
// whole decades around them with a tenth of the span spare on either side.
std::pair<double, double> decadeWindow(double lo, double hi);
// The step between labelled decades, a whole number of decades.
double decadeStep(double top, double bottom, double pixels);
// The label of a decade: "1e-6".
QString decadeText(double exponent);

// A view stack: the program's view, the operator's view over it, and the |y| decade flag.
// While the operator has a view of his own, the program's new views do not move what is shown
// (a live plot stops following) until home() returns to the program's view.
class ViewState {
public:
    static constexpr double kWheelFactor = 0.8; // one wheel notch in
    static constexpr double kMinDragPixels = 4; // smaller rectangles are clicks

    void setProgramView(const WorldRect &r) { m_program = r; }
    const WorldRect &programView() const { return m_program; }
    // The decades the program view stands for on a log scale (exponents, top > bottom).
    void setLogDecades(double top, double bottom) { m_logProgram = {top, bottom}; }
    // What is shown: the operator's view, else the program's (in decades on a log scale).
    WorldRect shown() const;
    bool zoomed() const { return m_user.has_value(); }
    bool following() const { return !zoomed(); }
    bool logY() const { return m_logY; }
    // Switching the scale drops the operator's view (its y means something else now).
    void setLogY(bool on);

    // The operator's moves on a width x height surface; each returns whether the view changed.
    bool wheel(double px, double py, double notches, ZoomAxes axes, double width, double height);
    bool zoomRect(const QRectF &pixels, double width, double height);
    bool pan(double dx, double dy, double width, double height);
    bool home();

private:
    bool setUser(const WorldRect &r);

    WorldRect m_program;
    std::pair<double, double> m_logProgram{0, -1};
    std::optional<WorldRect> m_user;
    bool m_logY = false;
};

} // namespace kurvex
