#include "PeakAnalysis.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervo {

namespace {

constexpr double kTurnShare = 0.05;       // of the track's potential span
constexpr double kDefaultBaseShare = 0.1; // of the sweep's potential span
constexpr int kTurnPoints = 3;            // averaged on each side of a turn

// A peak stands out of the noise of the base window and the current falls after it.
constexpr double kNoiseFactor = 10;
constexpr double kLeastHeight = 0.02; // of the largest current above the base line
constexpr double kLeastFall = 0.05;
// The apex is the vertex of a parabola over the points within 3 % of the highest one, which
// reads it between samples and through the converter's steps.
constexpr double kApexShare = 0.03;

// Nicholson's reverse-peak relation: the forward current's decay below the reverse peak is
// 0.485 of the current at the turn plus 0.086 of the forward peak.
constexpr double kNicholsonTurn = 0.485;
constexpr double kNicholsonPeak = 0.086;

const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Stretch {
    std::vector<double> e, i;
};

Stretch finiteStretch(const TrackStore &store, int track, const Sweep &s)
{
    Stretch out;
    for (const int p : finitePoints(store, track, s.first, s.last, 1)) {
        out.e.push_back(store.data(0, track, p));
        out.i.push_back(store.data(1, track, p));
    }
    return out;
}

double lineAt(const LineFit &f, double e)
{
    return f.intercept + f.slope * e;
}

QString peakName(int direction)
{
    return direction > 0 ? QStringLiteral("anodic") : QStringLiteral("cathodic");
}

struct Apex {
    std::size_t index = 0;
    double potential = 0, height = 0;
};

// The highest point of h over [from, h.size()) when it is a peak: well above the noise, with
// the current lower on both sides of it.
std::optional<Apex> findApex(const std::vector<double> &e, const std::vector<double> &h,
                             std::size_t from, double noise, double scale)
{
    if (from >= h.size())
        return std::nullopt;
    std::size_t k = from;
    for (std::size_t j = from; j < h.size(); ++j)
        if (h[j] > h[k])
            k = j;
    const double top = h[k];
    if (!(top > kNoiseFactor * noise) || !(top > kLeastHeight * scale))
        return std::nullopt;
    const auto low = [&](std::size_t a, std::size_t b) {
        double m = std::numeric_limits<double>::infinity();
        for (std::size_t j = a; j < b; ++j)
            m = std::min(m, h[j]);
        return m;
    };
    if (!(low(from, k) < (1 - kLeastFall) * top) ||
        !(low(k + 1, h.size()) < (1 - kLeastFall) * top))
        return std::nullopt;

    std::size_t a = k, b = k;
    while (a > from && h[a - 1] >= (1 - kApexShare) * top)
        --a;
    while (b + 1 < h.size() && h[b + 1] >= (1 - kApexShare) * top)
        ++b;
    Apex apex{k, e[k], top};
    if (b - a < 4)
        return apex;
    // h = c0 + c1 x + c2 x^2 about the highest point, by the normal equations.
    double s[5] = {}, t[3] = {};
    for (std::size_t j = a; j <= b; ++j) {
        const double x = e[j] - e[k];
        double xp = 1;
        for (int m = 0; m < 5; ++m) {
            if (m < 3)
                t[m] += xp * h[j];
            s[m] += xp;
            xp *= x;
        }
    }
    const double det = s[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (s[1] * s[4] - s[3] * s[2]) +
                       s[2] * (s[1] * s[3] - s[2] * s[2]);
    if (!(std::abs(det) > 0))
        return apex;
    const double c0 = (t[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (t[1] * s[4] - s[3] * t[2]) +
                       s[2] * (t[1] * s[3] - s[2] * t[2])) /
                      det;
    const double c1 = (s[0] * (t[1] * s[4] - s[3] * t[2]) - t[0] * (s[1] * s[4] - s[3] * s[2]) +
                       s[2] * (s[1] * t[2] - t[1] * s[2])) /
                      det;
    const double c2 = (s[0] * (s[2] * t[2] - t[1] * s[3]) - s[1] * (s[1] * t[2] - t[1] * s[2]) +
                       t[0] * (s[1] * s[3] - s[2] * s[2])) /
                      det;
    if (!(c2 < 0))
        return apex;
    const double x = -c1 / (2 * c2);
    const double lo = std::min(e[a], e[b]) - e[k], hi = std::max(e[a], e[b]) - e[k];
    if (!(x >= lo && x <= hi))
        return apex;
    apex.potential = e[k] + x;
    apex.height = c0 + c1 * x + c2 * x * x;
    return apex;
}

// Where h, walking back from the apex, first falls to half its height; NaN when it never does.
double halfPotential(const std::vector<double> &e, const std::vector<double> &h, std::size_t from,
                     const Apex &apex)
{
    const double half = apex.height / 2;
    for (std::size_t j = apex.index; j > from; --j) {
        if (h[j - 1] <= half) {
            const double dh = h[j] - h[j - 1];
            return dh != 0 ? e[j - 1] + (half - h[j - 1]) * (e[j] - e[j - 1]) / dh : e[j - 1];
        }
    }
    return kNaN;
}

double mean(const std::vector<double> &v, std::size_t a, std::size_t b)
{
    double sum = 0;
    for (std::size_t j = a; j < b; ++j)
        sum += v[j];
    return b > a ? sum / double(b - a) : 0;
}

} // namespace

std::vector<Sweep> voltammogramSweeps(const TrackStore &store, int track)
{
    std::vector<Sweep> sweeps;
    const std::vector<int> pts = finitePoints(store, track, 0, pointCount(store[track]) - 1, 1);
    if (pts.size() < 3)
        return sweeps;
    const auto e = [&](std::size_t k) { return store.data(0, track, pts[k]); };
    double lo = e(0), hi = e(0);
    for (std::size_t k = 0; k < pts.size(); ++k) {
        lo = std::min(lo, e(k));
        hi = std::max(hi, e(k));
    }
    const double turn = kTurnShare * (hi - lo);
    if (!(turn > 0))
        return sweeps;
    std::size_t start = 0, extreme = 0;
    int direction = 0;
    for (std::size_t k = 1; k < pts.size(); ++k) {
        const double x = e(k);
        if (direction == 0) {
            if (std::abs(x - e(start)) >= turn) {
                direction = x > e(start) ? 1 : -1;
                extreme = k;
            }
            continue;
        }
        if (direction * (x - e(extreme)) > 0) {
            extreme = k;
        } else if (direction * (e(extreme) - x) >= turn) {
            sweeps.push_back({pts[start], pts[extreme], direction});
            start = extreme;
            direction = -direction;
            std::size_t best = extreme;
            for (std::size_t j = extreme + 1; j <= k; ++j)
                if (direction * (e(j) - e(best)) > 0)
                    best = j;
            extreme = best;
        }
    }
    if (direction != 0)
        sweeps.push_back({pts[start], pts[extreme], direction});
    return sweeps;
}

SweepPeaks readSweepPeaks(const TrackStore &store, int track, const Sweep &forward,
                          const std::optional<Sweep> &reverse,
                          const std::optional<BaseWindow> &window, int number)
{
    SweepPeaks r;
    r.number = number;
    r.forward = forward;
    r.reverse = reverse;
    const int dir = forward.direction;
    const Stretch f = finiteStretch(store, track, forward);
    if (f.e.size() < 3) {
        r.problem = QStringLiteral("Sweep %1 has too few points.").arg(number);
        return r;
    }
    const double e0 = f.e.front(), e1 = f.e.back();
    const BaseWindow w = window.value_or(BaseWindow{e0, e0 + kDefaultBaseShare * (e1 - e0)});
    r.baseFrom = w.from;
    r.baseTo = w.to;
    const double wLo = std::min(w.from, w.to), wHi = std::max(w.from, w.to);
    const double sLo = std::min(e0, e1), sHi = std::max(e0, e1);
    std::vector<double> x, y;
    for (std::size_t j = 0; j < f.e.size(); ++j) {
        if (f.e[j] >= wLo && f.e[j] <= wHi) {
            x.push_back(f.e[j]);
            y.push_back(f.i[j]);
        }
    }
    // A window reaching past the sweep's end takes the part within it.
    const std::optional<LineFit> base =
        x.size() >= 3 ? LeastSquaresLine(x, y, static_cast<int>(x.size())) : std::nullopt;
    if (!base) {
        const bool outside = wHi < sLo || wLo > sHi;
        r.problem = (outside ? QStringLiteral("The base window %1 V to %2 V lies outside sweep %3, "
                                              "which runs from %4 V to %5 V.")
                             : QStringLiteral("The base window %1 V to %2 V holds too few points "
                                              "of sweep %3, which runs from %4 V to %5 V."))
                        .arg(formatPattern(w.from, "0.000"), formatPattern(w.to, "0.000"))
                        .arg(number)
                        .arg(formatPattern(e0, "0.000"), formatPattern(e1, "0.000"));
        return r;
    }
    r.base = *base;
    double noise = 0;
    for (std::size_t j = 0; j < x.size(); ++j)
        noise += std::pow(y[j] - lineAt(r.base, x[j]), 2);
    noise = std::sqrt(noise / double(x.size()));

    // The forward wave lies beyond the window's far edge.
    const double far = dir > 0 ? wHi : wLo;
    std::vector<double> h(f.e.size());
    double scale = 0;
    std::size_t beyond = f.e.size();
    for (std::size_t j = 0; j < f.e.size(); ++j) {
        h[j] = dir * (f.i[j] - lineAt(r.base, f.e[j]));
        scale = std::max(scale, std::abs(h[j]));
        if (beyond == f.e.size() && dir * (f.e[j] - far) > 0)
            beyond = j;
    }
    const std::optional<Apex> apex = findApex(f.e, h, beyond, noise, scale);
    if (!apex) {
        r.problem = QStringLiteral("Sweep %1 has no %2 peak.").arg(number).arg(peakName(dir));
        return r;
    }
    PeakReading fp;
    fp.potential = apex->potential;
    fp.base = lineAt(r.base, fp.potential);
    fp.current = dir * apex->height;
    fp.raw = fp.base + fp.current;
    fp.halfPotential = halfPotential(f.e, h, beyond, *apex);
    r.forwardPeak = fp;

    const Stretch b = reverse ? finiteStretch(store, track, *reverse) : Stretch{};
    if (b.e.size() < 2 * kTurnPoints + 3) {
        r.problem = QStringLiteral("Sweep %1 does not turn back: it has no %2 peak.")
                        .arg(number)
                        .arg(peakName(-dir));
        return r;
    }
    // The turning point itself belongs to both sweeps; the current steps there as the charging
    // current changes sign, so the reverse background is the forward base line moved by that
    // step.
    const std::size_t nf = f.e.size();
    const double forwardEnd = mean(f.i, nf - 1 - kTurnPoints, nf - 1);
    const double forwardEndE = mean(f.e, nf - 1 - kTurnPoints, nf - 1);
    const double reverseStart = mean(b.i, 1, 1 + kTurnPoints);
    const double turnCurrent = forwardEnd - lineAt(r.base, forwardEndE);
    const double step = reverseStart - forwardEnd;
    std::vector<double> g(b.e.size());
    for (std::size_t j = 0; j < b.e.size(); ++j)
        g[j] = -dir * (b.i[j] - lineAt(r.base, b.e[j]) - step);
    const std::optional<Apex> back = findApex(b.e, g, 1, noise, scale);
    if (!back) {
        r.problem = QStringLiteral("Sweep %1 has no %2 peak on its way back.")
                        .arg(number)
                        .arg(peakName(-dir));
        return r;
    }
    PeakReading rp;
    rp.potential = back->potential;
    const double fromZero = -dir * back->height;
    rp.current = fromZero - (kNicholsonTurn * turnCurrent + kNicholsonPeak * fp.current);
    rp.raw = lineAt(r.base, rp.potential) + step + fromZero;
    rp.base = rp.raw - rp.current;
    r.turnPotential = b.e.front();
    r.turnCurrent = reverseStart;
    // The half-peak potential over the straight base line from the turn to the reverse peak.
    const double de = rp.potential - r.turnPotential;
    std::vector<double> hb(b.e.size());
    for (std::size_t j = 0; j < b.e.size(); ++j) {
        const double line =
            de != 0 ? r.turnCurrent + (rp.base - r.turnCurrent) * (b.e[j] - r.turnPotential) / de
                    : rp.base;
        hb[j] = -dir * (b.i[j] - line);
    }
    Apex over = *back;
    over.height = -dir * rp.current;
    rp.halfPotential = halfPotential(b.e, hb, 1, over);
    r.reversePeak = rp;
    return r;
}

PeakAnalysis::PeakAnalysis(TrackStore &store, Prompts &prompts) : m_store(store), m_prompts(prompts)
{
}

void PeakAnalysis::selectTrack(int track)
{
    m_track = wrapTrack(track);
    int k = m_sweep;
    selectSweep(k);
}

int PeakAnalysis::sweepCount() const
{
    if (!analysable())
        return 0;
    return static_cast<int>((voltammogramSweeps(m_store, m_track).size() + 1) / 2);
}

void PeakAnalysis::selectSweep(int &k)
{
    k = std::clamp(k, 0, std::max(sweepCount(), 0));
    m_sweep = k;
}

bool PeakAnalysis::analysable() const
{
    const int mode = m_store[m_track].Mode;
    return mode == ModeCV || mode == ModeRDE;
}

bool PeakAnalysis::Calculate()
{
    m_results.clear();
    m_resultTrack = -1;
    m_report.clear();
    if (!analysable()) {
        m_prompts.message(
            QStringLiteral("Track %1 is not a cyclic voltammogram (CV or RDE).").arg(m_track));
        return false;
    }
    const std::vector<Sweep> sweeps = voltammogramSweeps(m_store, m_track);
    const int pairs = static_cast<int>((sweeps.size() + 1) / 2);
    if (pairs == 0) {
        m_prompts.message(QStringLiteral("The potential of track %1 does not sweep.").arg(m_track));
        return false;
    }
    if (m_sweep > pairs) {
        m_prompts.message(
            QStringLiteral("Track %1 has %2 sweeps there and back.").arg(m_track).arg(pairs));
        return false;
    }
    for (int k = 1; k <= pairs; ++k) {
        if (m_sweep != 0 && k != m_sweep)
            continue;
        const std::size_t at = std::size_t(2 * (k - 1));
        const std::optional<Sweep> back =
            at + 1 < sweeps.size() ? std::optional<Sweep>(sweeps[at + 1]) : std::nullopt;
        m_results.push_back(readSweepPeaks(m_store, m_track, sweeps[at], back, baseWindow, k));
    }
    const auto found = std::find_if(m_results.begin(), m_results.end(),
                                    [](const SweepPeaks &p) { return p.complete(); });
    if (found == m_results.end()) {
        m_prompts.message(m_results.front().problem);
        m_results.clear();
        return false;
    }
    int skipped = 0;
    finitePoints(m_store, m_track, 0, pointCount(m_store[m_track]) - 1, 1, &skipped);
    m_resultTrack = m_track;
    m_report = peakReport(m_store, m_track, m_results, skipped);
    return true;
}

QString peakReport(const TrackStore &store, int track, const std::vector<SweepPeaks> &peaks,
                   int skipped)
{
    const QString crlf = QStringLiteral("\r\n");
    const auto row = [&crlf](const char *label, const QString &value) {
        return QLatin1String(label) + QLatin1Char('\t') + value + crlf;
    };
    const auto volts = [](double v) {
        return std::isfinite(v) ? formatPattern(v, "0.0000") : QStringLiteral("-");
    };
    const auto amps = [](double v) { return formatPattern(v, "0.000e+00"); };
    QString text = row("File", store.CurrentFileTitle);
    text += row("Track:", QString::number(track));
    text += row("Title:", store[track].Title);
    if (skipped > 0)
        text += skippedPointsText(skipped) + crlf;
    for (const SweepPeaks &p : peaks) {
        text += row("Sweep", QString::number(p.number));
        text += row("Base /V", volts(p.baseFrom) + QLatin1Char(':') + volts(p.baseTo));
        if (!p.complete()) {
            text += p.problem + crlf;
            continue;
        }
        const PeakReading &c = p.cathodic(), &a = p.anodic();
        text += row("Epc /V", volts(c.potential));
        text += row("ipc /A", amps(c.current));
        text += row("Epa /V", volts(a.potential));
        text += row("ipa /A", amps(a.current));
        text += row("E1/2 /V", volts((a.potential + c.potential) / 2));
        text += row("dEp /V", volts(a.potential - c.potential));
        text += row("ipa/ipc", formatPattern(-a.current / c.current, "0.000"));
        text += row("Epc/2 /V", volts(c.halfPotential));
        text += row("Epa/2 /V", volts(a.halfPotential));
    }
    return text;
}

void PeakAnalysis::drawPlot(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    if (!analysable())
        return;
    const std::vector<Sweep> sweeps = voltammogramSweeps(m_store, m_track);
    int first = 0, last = pointCount(m_store[m_track]) - 1;
    if (m_sweep > 0 && std::size_t(2 * (m_sweep - 1)) < sweeps.size()) {
        const std::size_t at = std::size_t(2 * (m_sweep - 1));
        first = sweeps[at].first;
        last = (at + 1 < sweeps.size() ? sweeps[at + 1] : sweeps[at]).last;
    }
    const std::vector<int> pts = finitePoints(m_store, m_track, first, last, 1);
    if (pts.empty())
        return;
    const auto e = [this](int p) { return m_store.data(0, m_track, p); };
    const auto i = [this](int p) { return m_store.data(1, m_track, p); };
    PlotRange r{e(pts[0]), i(pts[0]), e(pts[0]), i(pts[0])};
    for (const int p : pts) {
        r.xmin = std::min(r.xmin, e(p));
        r.xmax = std::max(r.xmax, e(p));
        r.ymin = std::min(r.ymin, i(p));
        r.ymax = std::max(r.ymax, i(p));
    }
    r = WidenRange(r, 10);
    if (!canvas.View(r.xmin, r.ymax, r.xmax, r.ymin))
        return;
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    canvas.XAxisFormat(QStringLiteral("0.0"));
    canvas.Axis(NiceStep(r.xmin, r.xmax), NiceStep(r.ymin, r.ymax), QStringLiteral("Potential /V"),
                QStringLiteral("Current /A"));
    for (std::size_t k = 1; k < pts.size(); ++k)
        canvas.VLine(e(pts[k - 1]), i(pts[k - 1]), e(pts[k]), i(pts[k]), paletteColor(kLightBlue));
    if (m_resultTrack != m_track)
        return;
    const QRgb green = paletteColor(kLightGreen), red = paletteColor(kLightRed);
    canvas.SetForeColor(red);
    for (const SweepPeaks &p : m_results) {
        if (m_sweep != 0 && p.number != m_sweep)
            continue;
        if (!p.forwardPeak)
            continue;
        const PeakReading &f = *p.forwardPeak;
        canvas.VLine(p.baseFrom, lineAt(p.base, p.baseFrom), f.potential, f.base, green);
        canvas.VLine(f.potential, f.base, f.potential, f.raw, red);
        canvas.VCircle(f.potential, f.raw, 4, red);
        if (p.reversePeak) {
            const PeakReading &b = *p.reversePeak;
            canvas.VLine(p.turnPotential, p.turnCurrent, b.potential, b.base, green);
            canvas.VLine(b.potential, b.base, b.potential, b.raw, red);
            canvas.VCircle(b.potential, b.raw, 4, red);
        }
    }
}

} // namespace tervo
