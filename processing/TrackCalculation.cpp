#include "TrackCalculation.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tervo {

namespace {

// The general text form of the title: "0.5", not ".5".
QString number(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

QString calcResultTitle(const CalcOperands &o, int bNumber, bool withShift)
{
    const QString op = o.op == 1 ? QStringLiteral("-") : QStringLiteral("+");
    QString t =
        QStringLiteral("(") + number(o.fa) + QStringLiteral("* Track") + QString::number(o.a);
    if (o.c != 0)
        t += QStringLiteral("+") + number(o.c);
    t += op + number(o.fb) + QStringLiteral("* Track") + QString::number(bNumber) +
         QStringLiteral(")");
    if (withShift)
        t += QStringLiteral("[xBshift=") + number(o.xBshift) + QStringLiteral("]");
    return t;
}

void buildShiftedB(TrackStore &store, int b, double xBshift)
{
    store.CopyTrackHeader(b, kShiftSlot);
    CopyTrackPoints(store, b, kShiftSlot);
    double *x = store.data.column(0, kShiftSlot);
    for (int p = 0; p < pointCount(store[b]); ++p)
        x[p] += xBshift;
}

namespace {

using Columns = std::array<std::vector<double>, 3>;

Columns copyColumns(const TrackStore &store, int track)
{
    Columns c;
    const int n = pointCount(store[track]);
    for (int k = 0; k < kColumns; ++k)
        c[static_cast<std::size_t>(k)].assign(store.data.column(k, track),
                                              store.data.column(k, track) + n);
    return c;
}

// The finite points of a track's columns 0..lastColumn; the other columns come along.
Columns copyFiniteColumns(const TrackStore &store, int track, int lastColumn, int &skipped)
{
    const std::vector<int> kept =
        finitePoints(store, track, 0, pointCount(store[track]) - 1, lastColumn, &skipped);
    Columns c;
    for (int k = 0; k < kColumns; ++k) {
        auto &col = c[static_cast<std::size_t>(k)];
        col.reserve(kept.size());
        for (const int p : kept)
            col.push_back(store.data(k, track, p));
    }
    return c;
}

double milli(double x)
{
    return roundHalfEvenDouble(x * 1000);
}

int dedupe(Columns &c)
{
    auto &x = c[0];
    std::size_t kept = x.empty() ? 0 : 1;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (milli(x[i]) == milli(x[kept - 1]))
            continue;
        for (auto &col : c)
            col[kept] = col[i];
        ++kept;
    }
    const int removed = static_cast<int>(x.size() - kept);
    for (auto &col : c)
        col.resize(kept);
    return removed;
}

std::vector<int> boundariesOf(const std::vector<double> &x, const TrackHeader &h)
{
    const int n = static_cast<int>(x.size());
    std::vector<int> list{0};
    int s = 0;
    for (int k = 1; s < n - 1 && list.size() < 1000; ++k) {
        const int e = findSweepEndIn(x.data(), n, s, h.V(k % 3 == 0 ? 0 : (k % 3 == 1 ? 1 : 2)));
        list.push_back(e);
        s = e + 1;
    }
    return list;
}

// Index k of B's bracket [k - 1, k] for x, searching from s.
int bracket(const std::vector<double> &xb, double x, int s)
{
    const int n = static_cast<int>(xb.size());
    int k = s + 1;
    for (; k <= n - 2; ++k)
        if (std::fabs(x - xb[static_cast<std::size_t>(k)]) >
            std::fabs(x - xb[static_cast<std::size_t>(k - 1)]))
            return k;
    return n - 1;
}

double interpolate(const std::vector<double> &xb, const std::vector<double> &yb, int k, double x)
{
    const auto i = static_cast<std::size_t>(k);
    return yb[i - 1] + (yb[i] - yb[i - 1]) / (xb[i] - xb[i - 1]) * (x - xb[i - 1]);
}

} // namespace

int removeDuplicatePoints(TrackStore &store, int track)
{
    Columns c = copyColumns(store, track);
    const int removed = dedupe(c);
    for (int k = 0; k < kColumns; ++k)
        std::copy(c[static_cast<std::size_t>(k)].begin(), c[static_cast<std::size_t>(k)].end(),
                  store.data.column(k, track));
    store[track].pnum = static_cast<std::int32_t>(c[0].size());
    return removed;
}

std::vector<int> sweepBoundaries(const TrackStore &store, int track)
{
    const int n = pointCount(store[track]);
    return boundariesOf(
        std::vector<double>(store.data.column(0, track), store.data.column(0, track) + n),
        store[track]);
}

CalcStatus calculateTracks(TrackStore &store, const CalcOperands &o, int *computedPoints,
                           int *skipped)
{
    const TrackHeader &ha = store[o.a];
    const TrackHeader &hb = store[kShiftSlot];
    if ((ha.Mode == ModeRPMvsJ && hb.Mode != ModeRPMvsJ) ||
        (ha.Mode == ModePS && hb.Mode != ModePS))
        return CalcStatus::Incompatible;
    if ((ha.Mode == ModeNone || modeFacts(ha.Mode).sweep) && ha.Scanrate != hb.Scanrate)
        return CalcStatus::ScanrateMismatch;
    if (ha.Mode != ModePS && ha.Mode != ModeRPMvsJ && !modeFacts(ha.Mode).sweep)
        return CalcStatus::NothingComputed;

    const bool ring = modeFacts(ha.Mode).ringColumn && modeFacts(hb.Mode).ringColumn;
    int skippedA = 0, skippedB = 0;
    Columns a = copyFiniteColumns(store, o.a, ring ? 2 : 1, skippedA);
    Columns b = copyFiniteColumns(store, kShiftSlot, ring ? 2 : 1, skippedB);
    if (skipped)
        *skipped = skippedA + skippedB;
    dedupe(a);
    dedupe(b);
    if (a[0].empty() || b[0].size() < 2)
        return CalcStatus::NothingComputed;

    const double sign = o.op == 1 ? -1.0 : 1.0;
    Columns r = a;
    auto combine = [&](int p, int &s) {
        const auto i = static_cast<std::size_t>(p);
        const double x = a[0][i];
        const int k = bracket(b[0], x, s);
        if (b[0][static_cast<std::size_t>(k)] == b[0][static_cast<std::size_t>(k - 1)])
            return false;
        r[1][i] = o.fa * a[1][i] + o.c + sign * o.fb * interpolate(b[0], b[1], k, x);
        if (ring)
            r[2][i] = o.fa * a[2][i] + sign * o.fb * interpolate(b[0], b[2], k, x);
        s = k - 1;
        return true;
    };

    int count = static_cast<int>(a[0].size());
    if (modeFacts(ha.Mode).sweep) {
        const std::vector<int> ba = boundariesOf(a[0], ha);
        const std::vector<int> bb = boundariesOf(b[0], hb);
        const std::size_t sweeps = std::min(ba.size(), bb.size()) - 1;
        if (sweeps == 0)
            return CalcStatus::NothingComputed;
        for (std::size_t i = 0; i < sweeps; ++i) {
            int s = bb[i];
            for (int p = ba[i]; p <= ba[i + 1]; ++p)
                if (!combine(p, s))
                    return CalcStatus::EqualBracket;
        }
        // Sweeps of A that B does not have are cut off.
        count = ba[sweeps] + 1;
    } else {
        int s = 0;
        for (int p = 0; p < count; ++p)
            if (!combine(p, s))
                return CalcStatus::EqualBracket;
    }

    // A's repeated points are dropped from the copy only; A stays whole in the store.
    store.CopyTrackHeader(o.a, kWorkSlot);
    for (int k = 0; k < kColumns; ++k)
        std::copy_n(r[static_cast<std::size_t>(k)].begin(), count, store.data.column(k, kWorkSlot));
    store[kWorkSlot].pnum = count;
    store[kWorkSlot].Title = calcResultTitle(o, kShiftSlot, false);
    if (computedPoints)
        *computedPoints = count;
    return CalcStatus::Done;
}

TrackCalculationController::TrackCalculationController(TrackStore &store, Prompts &prompts)
    : m_store(store), m_prompts(prompts)
{
}

void TrackCalculationController::open()
{
    m_o.a = 0;
    m_o.b = 0;
    m_c = 20;
    m_ready = false;
    buildShiftedB(m_store, m_o.b, m_o.xBshift);
}

void TrackCalculationController::setTrackA(int t)
{
    m_o.a = wrapTrack(t);
    clearResult();
}

void TrackCalculationController::setTrackB(int t)
{
    m_o.b = wrapTrack(t);
    clearResult();
    buildShiftedB(m_store, m_o.b, m_o.xBshift);
}

void TrackCalculationController::setFactorA(double v)
{
    m_o.fa = v;
    clearResult();
}

void TrackCalculationController::setFactorB(double v)
{
    m_o.fb = v;
    clearResult();
}

void TrackCalculationController::setConstant(double v)
{
    m_o.c = v;
    clearResult();
}

void TrackCalculationController::setXShift(double v)
{
    m_o.xBshift = v;
    clearResult();
    buildShiftedB(m_store, m_o.b, m_o.xBshift);
}

bool TrackCalculationController::calculate()
{
    // The shift slot is scratch space: build it again rather than trust it.
    buildShiftedB(m_store, m_o.b, m_o.xBshift);
    clearResult();
    m_skipped = 0;
    const CalcStatus st = calculateTracks(m_store, m_o, nullptr, &m_skipped);
    switch (st) {
    case CalcStatus::ScanrateMismatch:
        m_prompts.message(QString::fromLatin1(kScanrateMessage));
        return false;
    case CalcStatus::EqualBracket:
        m_prompts.message(QStringLiteral("Track %1 has two points with the same x where Track A "
                                         "needs a value; nothing was calculated.")
                              .arg(m_o.b));
        return false;
    case CalcStatus::Incompatible:
    case CalcStatus::NothingComputed:
        return false;
    case CalcStatus::Done:
        break;
    }
    m_resultHeader = m_store[kWorkSlot];
    const int n = pointCount(m_resultHeader);
    for (int k = 0; k < kColumns; ++k)
        m_result[static_cast<std::size_t>(k)].assign(m_store.data.column(k, kWorkSlot),
                                                     m_store.data.column(k, kWorkSlot) + n);
    m_titleC = calcResultTitle(m_o, m_o.b, true);
    m_ready = true;
    return true;
}

bool TrackCalculationController::update()
{
    if (!m_ready) {
        m_prompts.message(QString::fromLatin1(
            "There is no result for these tracks yet. Press \"Calculation\" first."));
        return false;
    }
    m_store[kWorkSlot] = m_resultHeader;
    for (int k = 0; k < kColumns; ++k)
        std::copy(m_result[static_cast<std::size_t>(k)].begin(),
                  m_result[static_cast<std::size_t>(k)].end(), m_store.data.column(k, kWorkSlot));
    m_store[kWorkSlot].Title = m_titleC;
    m_store.CopyTrackHeader(kWorkSlot, m_c);
    CopyTrackPoints(m_store, kWorkSlot, m_c);
    m_store.markChanged();
    if (trackChanged)
        trackChanged(m_c);
    return true;
}

void TrackCalculationController::drawPreview(kurvex::KurvexControl &canvas) const
{
    const TrackHeader &ha = m_store[m_o.a];
    const TrackHeader &hb = m_store[kShiftSlot];
    PlotRange range = storedRange(ha);
    if (modeFacts(ha.Mode).sweep && modeFacts(hb.Mode).sweep) {
        const PlotRange rb = storedRange(hb);
        range = {std::min(range.xmin, rb.xmin), std::min(range.ymin, rb.ymin),
                 std::max(range.xmax, rb.xmax), std::max(range.ymax, rb.ymax)};
    } else if (!modeFacts(ha.Mode).sweep && modeFacts(hb.Mode).sweep) {
        range = storedRange(hb);
    }
    if (!drawProcessingAxes(canvas, range, ha.Mode != ModeNone ? ha.Mode : hb.Mode))
        return;
    auto scaled = [&](int track, double f, double c, QRgb color) {
        const int n = pointCount(m_store[track]);
        const double *x = m_store.data.column(0, track);
        const double *y = m_store.data.column(1, track);
        for (int i = 0; i + 1 < n; ++i)
            canvas.VLine(x[i], f * y[i] + c, x[i + 1], f * y[i + 1] + c, color);
    };
    if (ha.Mode != ModeNone)
        scaled(m_o.a, m_o.fa, m_o.c, paletteColor(kLightBlue));
    if (hb.Mode != ModeNone)
        scaled(kShiftSlot, m_o.fb, 0, paletteColor(kLightGreen));
    if (m_ready) {
        const int n = pointCount(m_resultHeader);
        drawCurve(canvas, m_result[0].data(), m_result[1].data(), 0, n - 1,
                  paletteColor(kLightCyan), 0);
    }
}

} // namespace tervo
