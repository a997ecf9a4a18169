#include "PlotScene.h"

#include <cmath>

namespace kurvex {

double decadeY(double y)
{
    const double a = std::fabs(y);
    return a > 0 && std::isfinite(a) ? std::log10(a) : std::nan("");
}

void PlotScene::clear()
{
    m_items.clear();
    m_texts.clear();
    m_axes.reset();
    m_legend.clear();
}

void PlotScene::addText(double left, double top, double fontSize, const QString &text, QRgb fore)
{
    SceneItem t;
    t.kind = SceneItem::Text;
    t.fore = fore;
    t.x1 = left;
    t.y1 = top;
    t.x2 = fontSize;
    t.y2 = static_cast<double>(m_texts.size());
    m_texts.push_back(text);
    m_items.push_back(t);
}

const QString &PlotScene::text(const SceneItem &item) const
{
    static const QString none;
    const auto i = static_cast<std::size_t>(item.y2);
    return item.kind == SceneItem::Text && i < m_texts.size() ? m_texts[i] : none;
}

std::optional<std::pair<double, double>> PlotScene::absYRange() const
{
    double lo = HUGE_VAL, hi = 0;
    auto take = [&](double y) {
        const double a = std::fabs(y);
        if (a > 0 && std::isfinite(a)) {
            lo = std::min(lo, a);
            hi = std::max(hi, a);
        }
    };
    for (const SceneItem &i : m_items) {
        if (i.kind == SceneItem::Text)
            continue;
        take(i.y1);
        if (i.kind == SceneItem::Line)
            take(i.y2);
    }
    if (!(hi > 0))
        return std::nullopt;
    return std::make_pair(lo, hi);
}

std::optional<PlotScene::Hit>
PlotScene::nearest(const std::function<QPointF(double, double)> &toPixel, const QPointF &at,
                   double maxDistance) const
{
    // Series are found as the items are walked: a line that starts where a recent chain ended
    // continues it (a curve keeps its point numbers across colour changes); points continue the
    // recent series of their colour.
    struct Chain {
        SceneItem::Kind kind;
        QRgb color;
        double lastX, lastY;
        int count;
    };
    std::vector<Chain> chains;
    auto find = [&](const SceneItem &i) -> int {
        const int n = static_cast<int>(chains.size());
        for (int k = n - 1; k >= 0 && k >= n - 4; --k) {
            const Chain &c = chains[static_cast<std::size_t>(k)];
            if (c.kind != i.kind)
                continue;
            if (i.kind == SceneItem::Line ? (c.lastX == i.x1 && c.lastY == i.y1)
                                          : c.color == i.color)
                return k;
        }
        return -1;
    };
    std::optional<Hit> best;
    double bestDistance = maxDistance * maxDistance;
    auto consider = [&](double x, double y, int series, int index) {
        const QPointF p = toPixel(x, y);
        const double dx = p.x() - at.x(), dy = p.y() - at.y(), d = dx * dx + dy * dy;
        if (std::isfinite(d) && d <= bestDistance) {
            bestDistance = d;
            best = Hit{x, y, series, index};
        }
    };
    for (const SceneItem &i : m_items) {
        if (i.kind != SceneItem::Line && i.kind != SceneItem::Point && i.kind != SceneItem::Circle)
            continue;
        int k = find(i);
        if (k < 0) {
            chains.push_back({i.kind, i.color, i.x1, i.y1, i.kind == SceneItem::Line ? 1 : 0});
            k = static_cast<int>(chains.size()) - 1;
            if (i.kind == SceneItem::Line)
                consider(i.x1, i.y1, k, 0);
        }
        Chain &c = chains[static_cast<std::size_t>(k)];
        if (i.kind == SceneItem::Line) {
            consider(i.x2, i.y2, k, c.count);
            c.lastX = i.x2;
            c.lastY = i.y2;
        } else {
            consider(i.x1, i.y1, k, c.count);
        }
        c.color = i.color;
        ++c.count;
    }
    return best;
}

} // namespace kurvex
