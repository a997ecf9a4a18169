#include "SpecialCopy.h"

#include "core/NumberParse.h"
#include "plot/TrackPreview.h"
#include "state/TrackModes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tervo {

namespace {

struct Run {
    const double *x;
    std::vector<double> y;
    double scale = 1; // x extent over y extent
    double theta = 0; // reference direction of the present run
};

double direction(const Run &r, int a, int c)
{
    const double dx = r.x[c] - r.x[a];
    const double dy =
        r.scale * (r.y[static_cast<std::size_t>(c)] - r.y[static_cast<std::size_t>(a)]);
    if (dx == 0)
        return dy > 0 ? std::numbers::pi / 2 : (dy < 0 ? -std::numbers::pi / 2 : 0);
    return std::atan(dy / dx);
}

double distance(const Run &r, int a, int c)
{
    return std::hypot(r.x[c] - r.x[a], r.scale * (r.y[static_cast<std::size_t>(c)] -
                                                  r.y[static_cast<std::size_t>(a)]));
}

Run makeRun(const TrackStore &store, int track, int column, bool logarithm)
{
    Run r;
    const int n = pointCount(store[track]);
    r.x = store.data.column(0, track);
    const double *y = store.data.column(column, track);
    r.y.assign(y, y + n);
    if (logarithm)
        for (double &v : r.y)
            v = roundHalfEvenDouble(std::log10(std::max(std::fabs(v), 1e-8)) * 1000) / 1000;
    if (n > 0) {
        const auto [xmin, xmax] = std::minmax_element(r.x, r.x + n);
        const auto [ymin, ymax] = std::minmax_element(r.y.begin(), r.y.end());
        const double yExtent = *ymax - *ymin;
        r.scale = yExtent > 0 ? (*xmax - *xmin) / yExtent : 1;
    }
    return r;
}

} // namespace

std::vector<int> thinPoints(const TrackStore &store, int track, int r0, int r1,
                            const ThinningOptions &options)
{
    const TrackHeader &h = store[track];
    const int n = pointCount(h);
    std::vector<int> kept;
    if (h.Mode == ModeNone || h.Mode == ModeMulti || h.Mode == ModeSSVAll)
        return kept;
    r0 = std::clamp(r0, 0, n);
    r1 = std::clamp(r1, r0, n);
    if (r1 <= r0)
        return kept;
    std::vector<Run> runs{makeRun(store, track, 1, options.logarithm)};
    if (modeFacts(h.Mode).ringColumn && !options.logarithm)
        runs.push_back(makeRun(store, track, 2, false));
    const double *x = store.data.column(0, track);
    const double theta0 = options.degree * std::numbers::pi / 180;
    const double delta = n > 1 ? std::fabs(x[1] - x[0]) : 0;
    const bool sweeps = modeFacts(h.Mode).sweep;
    // Sign of the x step from p to the next point with another x.
    auto sweepDirection = [&](int p) {
        for (int q = p + 1; q < n; ++q)
            if (x[q] != x[p])
                return x[q] > x[p] ? 1 : -1;
        return 0;
    };
    auto startRun = [&](int a) {
        for (Run &r : runs) {
            r.theta = 0;
            for (int q = a + 1; q < r1; ++q)
                if (distance(r, a, q) > 0) {
                    r.theta = direction(r, a, q);
                    break;
                }
        }
        return sweepDirection(a);
    };
    auto continues = [&](const Run &r, int a, int c) {
        const double dTheta = std::fabs(direction(r, a, c) - r.theta);
        const double allowed =
            dTheta < theta0
                ? options.distance * std::pow((theta0 - dTheta) / theta0, options.order) + delta
                : 0;
        return distance(r, a, c) <= allowed;
    };

    int a = r0;
    kept.push_back(a);
    int previousDirection = startRun(a);
    for (int c = a + 1; c < r1; ++c) {
        const int dir = sweepDirection(c);
        bool ok = !sweeps || dir == previousDirection || dir == 0;
        for (const Run &r : runs)
            ok = ok && continues(r, a, c);
        if (ok) {
            if (dir != 0)
                previousDirection = dir;
            continue;
        }
        // The point before the candidate ends the run; a run of one point moves on by one.
        const int anchor = c - 1 > a ? c - 1 : c;
        kept.push_back(anchor);
        a = anchor;
        previousDirection = startRun(a);
        if (anchor < c)
            --c; // the candidate is tried again against the new anchor
    }
    if (kept.back() != r1 - 1)
        kept.push_back(r1 - 1);
    return kept;
}

QStringList cycleEntries(const TrackStore &store, int track)
{
    QStringList list;
    const std::vector<int> b = CycleBoundaries(store, track);
    for (std::size_t i = 1; i < b.size(); ++i)
        list << QStringLiteral("Cycle %1").arg(i);
    return list;
}

QString specialCopyText(TrackStore &store, int track, const SpecialCopyOptions &o,
                        double collectionEfficiency, QChar decimalSep, QString *message)
{
    const TrackHeader &h = store[track];
    auto refuse = [&](const char *text) {
        if (message)
            *message = QString::fromLatin1(text);
        return QString();
    };
    if (h.Mode == ModeNone)
        return refuse("No Data");
    if (o.conversion == 1 && h.Area == 0)
        return refuse("Please Input the electrode area.");
    if (o.conversion == 2 && h.Weight == 0)
        return refuse("Please Input the weight.");
    store.CopyTrackHeader(track, kWorkSlot);
    int r0 = 0, r1 = pointCount(h);
    if (o.cycle >= 0) {
        const std::vector<int> b = CycleBoundaries(store, track);
        const auto c = static_cast<std::size_t>(o.cycle);
        if (c + 1 < b.size()) {
            r0 = b[c];
            r1 = b[c + 1] - 1;
        }
    }
    const std::vector<int> kept = thinPoints(store, track, r0, r1, o.thinning);
    const double factor = o.conversion == 1 ? 1 / h.Area : (o.conversion == 2 ? 1 / h.Weight : 1);
    const bool ring = modeFacts(h.Mode).ringColumn;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const int p = kept[i], q = static_cast<int>(i);
        store.data(0, kWorkSlot, q) = store.data(0, track, p);
        store.data(1, kWorkSlot, q) = store.data(1, track, p) * factor;
        store.data(2, kWorkSlot, q) = store.data(2, track, p) * (ring ? factor : 1);
    }
    store[kWorkSlot].pnum = static_cast<std::int32_t>(kept.size());

    DataTextOptions d;
    d.diskUnit = o.diskUnit;
    d.ringUnit = o.ringUnit;
    d.normalisation = o.conversion;
    d.h2o = o.h2o;
    d.logarithm = o.logarithm;
    d.absolute = o.absolute;
    d.filter = o.polarity;
    store.CollectionEfficiency = collectionEfficiency;
    QString text = o.information ? HeaderText(store, kWorkSlot) : QString();
    text += QStringLiteral("\r\n");
    text += TrackDataText(store, kWorkSlot, d, decimalSep);
    return text;
}

SpecialCopyController::SpecialCopyController(TrackStore &store, Settings &settings,
                                             Clipboard &clipboard, Prompts &prompts)
    : m_store(store), m_settings(settings), m_clipboard(clipboard), m_prompts(prompts)
{
}

void SpecialCopyController::activate()
{
    m_cycles = cycleEntries(m_store, track());
    if (options.cycle >= m_cycles.size())
        options.cycle = m_cycles.isEmpty() ? -1 : 0;
}

double SpecialCopyController::area() const
{
    return m_store[track()].Area;
}

double SpecialCopyController::weight() const
{
    return m_store[track()].Weight;
}

void SpecialCopyController::setArea(double cm2)
{
    if (m_store[track()].Area != cm2) {
        m_store[track()].Area = cm2;
        m_store.markChanged();
    }
}

void SpecialCopyController::setWeight(double mg)
{
    if (m_store[track()].Weight != mg) {
        m_store[track()].Weight = mg;
        m_store.markChanged();
    }
}

bool SpecialCopyController::go(QChar decimalSep)
{
    QString message;
    const QString text = specialCopyText(m_store, track(), options, m_store.CollectionEfficiency,
                                         decimalSep, &message);
    if (text.isNull()) {
        m_prompts.message(message);
        return false;
    }
    m_clipboard.clear();
    m_clipboard.setText(text);
    return true;
}

void SpecialCopyController::drawPreview(kurvex::KurvexControl &canvas) const
{
    DrawTrackPreview(canvas, m_store, track(), m_settings.PrevGraphDrawSetting);
}

} // namespace tervo
