#include "KouteckyLevich.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"
#include "tracks/FinitePoints.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

constexpr char kNoValidData[] = "No valid Data";
constexpr char kCheckUseKL[] = "Please check at least one 'Use' Check Box";
constexpr char kCheckUseLevich[] = "Please Check at least one 'Use' Check Box";
constexpr char kInfinitePoint[] =
    "The current of a used track equals its base value: its point would be infinite.";
constexpr char kNegativeRate[] = "The sweep track holds a negative rotation rate.";

template <typename T> T &at(std::vector<T> &v, int i)
{
    return v[static_cast<std::size_t>(i)];
}
template <typename T> T at(const std::vector<T> &v, int i)
{
    return v[static_cast<std::size_t>(i)];
}

} // namespace

KouteckyLevichAnalysis::KouteckyLevichAnalysis(TrackStore &store, Settings &settings,
                                               AnalysisPoints &points, Prompts &prompts)
    : m_store(store), m_settings(settings), m_points(points), m_prompts(prompts)
{
    computeWindow();
}

void KouteckyLevichAnalysis::InitializeParameters()
{
    KLSettings &kl = m_store.kl;
    kl.redimension();
    for (int t = 0; t < kUserTracks; ++t) {
        const TrackHeader &h = m_store[t];
        if (h.Mode == ModeNone) {
            at(kl.KLUseFlag, t) = 0;
            at(kl.KLNStart, t) = 0;
            at(kl.KLNEnd, t) = 0;
            at(kl.KLBaseNEnd, t) = 0;
            continue;
        }
        if (at(kl.KLNStart, t) < 0 || at(kl.KLNStart, t) >= h.pnum)
            at(kl.KLNStart, t) = 0;
        if (at(kl.KLNEnd, t) < 1 || at(kl.KLNEnd, t) >= h.pnum)
            at(kl.KLNEnd, t) = h.pnum - 1;
    }
}

void KouteckyLevichAnalysis::computeWindow()
{
    m_lower = m_settings.KLVuse - m_settings.KLVrange;
    m_upper = m_settings.KLVuse + m_settings.KLVrange;
}

void KouteckyLevichAnalysis::setUseVoltage(double v)
{
    m_settings.KLVuse = v;
    computeWindow();
}

void KouteckyLevichAnalysis::setRange(double v)
{
    m_settings.KLVrange = std::abs(v);
    computeWindow();
}

// The per-track choices travel with the track file, so changing them is a change to save.
void KouteckyLevichAnalysis::setUse(bool use)
{
    at(m_store.kl.KLUseFlag, m_track) = use ? 1 : 0;
    m_store.markChanged();
}

void KouteckyLevichAnalysis::setBaseMode(int mode)
{
    at(m_store.kl.KLBaseMode, m_track) = static_cast<std::int16_t>(std::clamp(mode, 0, 2));
    m_store.markChanged();
}

void KouteckyLevichAnalysis::setSubtractValue(double v)
{
    at(m_store.kl.KLSubVal, m_track) = v;
    m_store.markChanged();
}

bool KouteckyLevichAnalysis::selectedTrackUsable() const
{
    const int mode = m_store[m_track].Mode;
    return mode != ModeNone && mode != ModePS;
}

void KouteckyLevichAnalysis::setStart(int &p)
{
    if (!selectedTrackUsable())
        return;
    p = clampFirstPoint(p, m_store[m_track].pnum);
    at(m_store.kl.KLNStart, m_track) = p;
    m_store.markChanged();
}

void KouteckyLevichAnalysis::setEnd(int &p)
{
    if (!selectedTrackUsable())
        return;
    p = clampLastPoint(p, m_store[m_track].pnum);
    at(m_store.kl.KLNEnd, m_track) = p;
    m_store.markChanged();
}

void KouteckyLevichAnalysis::stepBaseTrack(int delta)
{
    std::int16_t &b = at(m_store.kl.KLBaseTrack, m_track);
    b = static_cast<std::int16_t>(wrapTrack(b + delta));
    m_store.markChanged();
}

int KouteckyLevichAnalysis::baseTrack() const
{
    return wrapTrack(at(m_store.kl.KLBaseTrack, m_track));
}

void KouteckyLevichAnalysis::setBaseEnd(int &p)
{
    const int base = wrapTrack(at(m_store.kl.KLBaseTrack, m_track));
    p = clampLastPoint(p, m_store[base].pnum);
    at(m_store.kl.KLBaseNEnd, m_track) = p;
    m_store.markChanged();
}

double KouteckyLevichAnalysis::baseValue(int t) const
{
    const KLSettings &kl = m_store.kl;
    switch (at(kl.KLBaseMode, t)) {
    case SubtractValue:
        return at(kl.KLSubVal, t);
    case BaseTrack: {
        const int base = wrapTrack(at(kl.KLBaseTrack, t));
        const int last = std::min(at(kl.KLBaseNEnd, t), pointCount(m_store[base]) - 1);
        double sum = 0;
        int n = 0;
        for (int p = 0; p <= last; ++p) {
            if (!isFinitePoint(m_store, base, p, 1))
                continue;
            const double x = m_store.data(0, base, p);
            if (x > m_lower && x < m_upper) {
                sum += m_store.data(1, base, p);
                ++n;
            }
        }
        return n > 0 ? sum / n : 0;
    }
    default:
        return 0;
    }
}

int KouteckyLevichAnalysis::buildPoints(bool &sweep, QString &problem)
{
    m_points.clear();
    m_skipped = 0;
    const KLSettings &kl = m_store.kl;
    const double area = m_settings.KLElectrodeArea;
    const bool levich = m_settings.KLMethod == Levich;
    sweep = m_store[m_track].Mode == ModeRPMvsJ;
    if (sweep) {
        const int t = m_track;
        const int last = std::min(at(kl.KLNEnd, t), pointCount(m_store[t]) - 1);
        int skipped = 0;
        for (const int p : finitePoints(m_store, t, at(kl.KLNStart, t), last, 1, &skipped)) {
            const double x = m_store.data(0, t, p), y = m_store.data(1, t, p);
            if (levich) {
                if (x < 0) {
                    problem = QString::fromLatin1(kNegativeRate);
                    return 0;
                }
                m_points.append(std::sqrt(x / 60), std::abs(y / area));
            } else if (x > 0 && y != 0) {
                m_points.append(1 / std::sqrt(x / 60), 1 / std::abs(y / area));
            }
        }
        m_skipped += skipped;
    } else {
        for (int t = 0; t < kUserTracks; ++t) {
            if (at(kl.KLUseFlag, t) != 1)
                continue;
            const double b = baseValue(t);
            const int last = std::min(at(kl.KLNEnd, t), pointCount(m_store[t]) - 1);
            double sum = 0;
            int n = 0;
            int skipped = 0;
            for (const int p : finitePoints(m_store, t, at(kl.KLNStart, t), last, 1, &skipped)) {
                const double x = m_store.data(0, t, p);
                if (x > m_lower && x < m_upper) {
                    sum += m_store.data(1, t, p);
                    ++n;
                }
            }
            m_skipped += skipped;
            const double rpm = m_store[t].RPM;
            if (n == 0 || !(rpm > 0))
                continue;
            const double f = rpm / 60, current = std::abs(sum / n - b);
            if (levich)
                m_points.append(std::sqrt(f), current / area);
            else
                m_points.append(1 / std::sqrt(f), area / current);
        }
    }
    for (int i = 0; i < m_points.k; ++i) {
        if (!std::isfinite(m_points.X[std::size_t(i)]) ||
            !std::isfinite(m_points.Y[std::size_t(i)])) {
            problem = QString::fromLatin1(kInfinitePoint);
            return 0;
        }
    }
    if (m_points.k == 0)
        problem = QString::fromLatin1(sweep    ? kNoValidData
                                      : levich ? kCheckUseLevich
                                               : kCheckUseKL);
    return m_points.k;
}

void KouteckyLevichAnalysis::plot(Graph &graph, const LineFit &line) const
{
    if (!graph.isVisible()) {
        graph.SetSize(1000, 1000, 5000, 5000);
        graph.Show();
    }
    graph.SetTitle(QStringLiteral("Koutecky-Levich Plot"));
    graph.SetYFormat(QStringLiteral("#.##e+#"));
    const bool levich = m_settings.KLMethod == Levich;
    graph.SetYTitle(levich ? QStringLiteral("j (A cm-2)") : QStringLiteral("j^-1 (cm2 A^-1)"));
    if (graph.View(m_rect.xmin, m_rect.ymax, m_rect.xmax, m_rect.ymin))
        graph.Axis(NiceStep(m_rect.xmin, m_rect.xmax), NiceStep(m_rect.ymin, m_rect.ymax), 0,
                   levich ? QStringLiteral("f^1/2 (Hz^1/2)") : QStringLiteral("f^-1/2 (Hz^-1/2)"));
    for (int i = 0; i < m_points.k; ++i)
        graph.VCircle(m_points.X[std::size_t(i)], m_points.Y[std::size_t(i)], 2,
                      paletteColor(kLightBlue));
    graph.VLine(0, line.intercept, m_rect.xmax, line.intercept + line.slope * m_rect.xmax,
                paletteColor(kLightGreen));
}

bool KouteckyLevichAnalysis::Calculate(Graph *graph)
{
    bool sweep = false;
    QString problem;
    if (buildPoints(sweep, problem) == 0) {
        m_prompts.message(problem);
        return false;
    }
    const bool levich = m_settings.KLMethod == Levich;
    PlotRange r{-0.2, -0.2, 1.0, 1.0};
    for (int i = 0; i < m_points.k; ++i) {
        const double x = m_points.X[std::size_t(i)], y = m_points.Y[std::size_t(i)];
        r.xmin = std::min(r.xmin, x);
        r.xmax = std::max(r.xmax, x);
        r.ymin = std::min(r.ymin, y);
        r.ymax = std::max(r.ymax, y);
    }
    m_rect = WidenRange(r, 10);

    LineFit line;
    bool defined = true;
    if (levich) {
        const std::optional<double> s =
            LeastSquaresSlopeThroughOrigin(m_points.X, m_points.Y, m_points.k);
        defined = s.has_value();
        line.slope = s.value_or(0);
    } else {
        const std::optional<LineFit> f = LeastSquaresLine(m_points.X, m_points.Y, m_points.k);
        defined = f.has_value();
        line = f.value_or(LineFit{});
    }
    if (graph)
        plot(*graph, defined ? line : LineFit{});
    if (!defined) {
        m_prompts.message(QString::fromLatin1(kNoLineMessage));
        return false;
    }

    Settings &s = m_settings;
    double n = s.KLne, nu = s.KLViscosity, d = s.KLDm, c = s.KLConc;
    const double k = kLevichConstant * kFaradayConstant;
    const double b = line.slope;
    const int variable = s.KLVariable;
    auto positive = [](std::initializer_list<double> v) {
        return std::all_of(v.begin(), v.end(), [](double x) { return x > 0; });
    };
    bool proper = false;
    switch (variable) {
    case Electrons:
        if ((proper = positive({nu, d, c})))
            n = levich ? b / (std::pow(nu, -1.0 / 6) * k * std::pow(d, 2.0 / 3) * c)
                       : 1 / (std::pow(nu, -1.0 / 6) * k * std::pow(d, 2.0 / 3) * c * b);
        break;
    case Viscosity:
        if ((proper = positive({n, d, c})))
            nu = levich ? std::pow(std::pow(d, 2.0 / 3) * n * k * c / b, 6)
                        : std::pow(std::pow(d, 2.0 / 3) * n * k * b * c, 6);
        break;
    case Diffusion:
        if ((proper = positive({n, nu, c})))
            d = levich ? std::pow(b / (std::pow(nu, -1.0 / 6) * n * k * c), 1.5)
                       : std::pow(1 / (std::pow(nu, -1.0 / 6) * n * k * b * c), 1.5);
        break;
    case Concentration:
        if ((proper = positive({n, nu, d})))
            c = levich ? b / (std::pow(nu, -1.0 / 6) * std::pow(d, 2.0 / 3) * n * k)
                       : 1 / (std::pow(nu, -1.0 / 6) * std::pow(d, 2.0 / 3) * n * k * b);
        break;
    default:
        break;
    }
    if (!proper) {
        m_report = QString::fromLatin1(kParametersNotProper);
        return true;
    }
    const double solved = variable == Electrons   ? n
                          : variable == Viscosity ? nu
                          : variable == Diffusion ? d
                                                  : c;
    if (!std::isfinite(solved)) {
        m_prompts.message(QString::fromLatin1(kNoLineMessage));
        return false;
    }
    if (variable == Viscosity)
        s.KLViscosity = nu;
    else if (variable == Diffusion)
        s.KLDm = d;
    else if (variable == Concentration)
        s.KLConc = c;

    const QString crlf = QStringLiteral("\r\n");
    auto row = [&](int which, const QString &label, const QString &value) {
        return (variable == which ? QStringLiteral("*") : QString()) + label + QLatin1Char('\t') +
               value + crlf;
    };
    QString text = QStringLiteral("File\t") + m_store.CurrentFileTitle + crlf;
    if (sweep)
        text += QStringLiteral("Title:\t") + m_store[m_track].Title + crlf;
    text += QStringLiteral("Area /cm2\t") + formatPattern(s.KLElectrodeArea, "0.0###") + crlf;
    text += row(Viscosity, QStringLiteral("\u03bd /cm2s-1"), formatPattern(nu, "0.0###"));
    text += row(Diffusion, QStringLiteral("Dm /cm2s-1"), formatPattern(d, "0.00e+00"));
    text += row(Concentration, QStringLiteral("Conc /molcm-3"), formatPattern(c, "0.00e+00"));
    const double potential = sweep ? m_store[m_track].V1st : s.KLVuse;
    text += QStringLiteral("Potential/V\t") + formatPattern(potential, "0.000") + crlf;
    text += row(Electrons, QStringLiteral("n"), formatPattern(n, "#0.00"));
    if (m_skipped > 0)
        text += skippedPointsText(m_skipped) + crlf;
    if (!levich) {
        const double jk = line.intercept != 0 ? 1 / line.intercept : 0;
        text += QStringLiteral("jk /Acm-2\t") + formatPattern(jk, "0.000e+00") + crlf;
        text += QStringLiteral("1/sqr(Hz)\tj-1 /cm2A-1 ") + crlf;
    } else {
        text += QStringLiteral("sqr(Hz)\tj /cm2A-1 ") + crlf;
    }
    for (int i = 0; i < m_points.k; ++i)
        text += formatPattern(m_points.X[std::size_t(i)], "0.0000") + QLatin1Char('\t') +
                formatPattern(m_points.Y[std::size_t(i)], levich ? "0.000e+0" : "0.0000e+0") + crlf;
    m_report = text;
    return true;
}

QString KouteckyLevichAnalysis::pointReadout(int track, int point) const
{
    const TrackHeader &h = m_store[track];
    if (point < 0 || point >= kMaxPoints)
        return {};
    const double x = m_store.data(0, track, point), y = m_store.data(1, track, point);
    const QString current =
        QStringLiteral("I:") + formatPattern(y, "0.0000e+0") + QStringLiteral("A");
    switch (h.Mode) {
    case ModeCV:
    case ModeRDE:
        return QStringLiteral("E:") + formatPattern(x, "0.0000") + QStringLiteral("V   ") + current;
    case ModePS:
        return QStringLiteral("t:") + formatPattern(x, "#0.000") + QStringLiteral("s   ") + current;
    case ModeRPMvsJ:
        return QStringLiteral("rpm:") + formatPattern(x, "###0") + QStringLiteral("   ") + current;
    default:
        return {};
    }
}

void KouteckyLevichAnalysis::drawPreview(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    const TrackHeader &h = m_store[m_track];
    if (h.Mode == ModeNone)
        return;
    const PlotRange r = WidenRange(h.Vxmin, h.Vymin, h.Vxmax, h.Vymax, 10);
    if (!canvas.View(r.xmin, r.ymax, r.xmax, r.ymin))
        return;
    canvas.Axis(NiceStep(r.xmin, r.xmax), NiceStep(r.ymin, r.ymax), QStringLiteral("Potential /V"),
                QStringLiteral("Current /A"));
    const KLSettings &kl = m_store.kl;
    const bool sweep = h.Mode == ModeRPMvsJ;
    const int first = at(kl.KLNStart, m_track), last = at(kl.KLNEnd, m_track);
    const int n = pointCount(h);
    for (int p = 0; p < n; ++p) {
        const double x = m_store.data(0, m_track, p), y = m_store.data(1, m_track, p);
        const bool inside = !sweep && x > m_lower && x < m_upper;
        const QRgb color = paletteColor(inside ? kLightRed : kLightBlue);
        if (p >= first && p <= last) {
            // The canvas draws circles in its foreground colour.
            canvas.SetForeColor(color);
            canvas.VCircle(x, y, 2, color);
        } else
            canvas.VPset(x, y, color);
    }
    const int base = wrapTrack(at(kl.KLBaseTrack, m_track));
    const int baseMode = m_store[base].Mode;
    if (at(kl.KLBaseMode, m_track) == BaseTrack && (baseMode == ModeCV || baseMode == ModeRDE)) {
        const int baseLast = std::min(at(kl.KLBaseNEnd, m_track), pointCount(m_store[base]) - 1);
        for (int p = 0; p <= baseLast; ++p)
            canvas.VPset(m_store.data(0, base, p), m_store.data(1, base, p),
                         paletteColor(kLightGreen));
    }
}

} // namespace tervo
