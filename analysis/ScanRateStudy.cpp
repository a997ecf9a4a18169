#include "ScanRateStudy.h"

#include "core/NumberFormat.h"
#include "plot/Palette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tervo {

namespace {

constexpr double kGasConstant = 8.314462618;
// Randles-Sevcik: ip = 0.4463 n F A C (n F v D / R T)^1/2, reversible;
// ip = 0.4958 n F A C (alpha F v D / R T)^1/2, irreversible; Ep - Ep/2 = 1.857 R T / (alpha F).
constexpr double kReversible = 0.4463;
constexpr double kIrreversible = 0.4958;
constexpr double kPeakWidth = 1.857;
// Lavagnini's fit holds from a nearly reversible to a slow couple. Below 65 mV (psi above 5) a
// millivolt more or less changes k0 by half: the couple reads as reversible.
constexpr double kLeastSeparation = 65, kMostSeparation = 200;

const double kNoResult = std::numeric_limits<double>::quiet_NaN();

double rSquared(const std::vector<double> &x, const std::vector<double> &y, const LineFit &f)
{
    double my = 0;
    for (double v : y)
        my += v;
    my /= double(y.size());
    double ssRes = 0, ssTot = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        ssRes += std::pow(y[i] - (f.intercept + f.slope * x[i]), 2);
        ssTot += std::pow(y[i] - my, 2);
    }
    return ssTot > 0 ? 1 - ssRes / ssTot : 1;
}

} // namespace

double nicholsonPsi(double x)
{
    if (!(x >= kLeastSeparation && x <= kMostSeparation))
        return kNoResult;
    return (-0.6288 + 0.0021 * x) / (1 - 0.017 * x);
}

ScanRateStudy::ScanRateStudy(TrackStore &store, Prompts &prompts)
    : m_store(store), m_prompts(prompts)
{
}

void ScanRateStudy::takeHeaderValues()
{
    for (const int t : tracks) {
        const TrackHeader &h = m_store[t];
        if (h.ne > 0 && h.Conc > 0 && h.Area > 0) {
            electrons = h.ne;
            concentration = h.Conc;
            area = h.Area;
            return;
        }
    }
}

bool ScanRateStudy::Calculate()
{
    m_points.clear();
    m_report.clear();
    std::vector<int> used;
    for (const int t : tracks)
        if (std::find(used.begin(), used.end(), t) == used.end())
            used.push_back(t);
    if (used.size() < 2) {
        m_prompts.message(QStringLiteral("The study needs tracks at two scan rates at least."));
        return false;
    }
    const double f = kFaradayConstant / (kGasConstant * (273.15 + temperature));
    std::vector<double> x, y, logV, logI;
    double alphaSum = 0;
    int alphaCount = 0;
    for (const int t : used) {
        const TrackHeader &h = m_store[t];
        const auto fail = [&](const QString &why) {
            m_points.clear();
            m_prompts.message(why);
            return false;
        };
        if (h.Mode != ModeCV && h.Mode != ModeRDE)
            return fail(
                QStringLiteral("Track %1 is not a cyclic voltammogram (CV or RDE).").arg(t));
        if (!(h.Scanrate > 0))
            return fail(QStringLiteral("Track %1 has no scan rate.").arg(t));
        const std::vector<Sweep> sweeps = voltammogramSweeps(m_store, t);
        if (sweeps.empty())
            return fail(QStringLiteral("The potential of track %1 does not sweep.").arg(t));
        const SweepPeaks s = readSweepPeaks(
            m_store, t, sweeps[0],
            sweeps.size() > 1 ? std::optional<Sweep>(sweeps[1]) : std::nullopt, std::nullopt, 1);
        if (!s.forwardPeak)
            return fail(QStringLiteral("Track %1: %2").arg(t).arg(s.problem));
        ScanRatePoint p;
        p.track = t;
        p.rate = h.Scanrate / 1000;
        p.current = std::abs(s.forwardPeak->current);
        p.potential = s.forwardPeak->potential;
        p.halfPotential = s.forwardPeak->halfPotential;
        if (s.complete())
            p.separation = s.anodic().potential - s.cathodic().potential;
        m_points.push_back(p);
        x.push_back(std::sqrt(p.rate));
        y.push_back(p.current);
        logV.push_back(std::log10(p.rate));
        logI.push_back(std::log10(p.current));
        const double width = std::abs(p.potential - p.halfPotential);
        if (width > 0) {
            alphaSum += kPeakWidth / (f * width);
            ++alphaCount;
        }
    }
    const std::optional<LineFit> line = LeastSquaresLine(x, y, int(x.size()));
    const std::optional<LineFit> logLine = LeastSquaresLine(logV, logI, int(logV.size()));
    if (!line || !logLine || !(line->slope > 0)) {
        m_points.clear();
        m_prompts.message(QString::fromLatin1(kNoLineMessage));
        return false;
    }
    m_fit = *line;
    m_alpha = alphaCount > 0 ? alphaSum / alphaCount : kNoResult;
    if (irreversible && !(m_alpha > 0)) {
        m_points.clear();
        m_prompts.message(QStringLiteral("The peaks give no half-peak potential for alpha."));
        return false;
    }
    // K = g A C D^1/2 with g from the kind of couple.
    const double n = electrons;
    const double g = irreversible ? kIrreversible * n * kFaradayConstant * std::sqrt(m_alpha * f)
                                  : kReversible * n * kFaradayConstant * std::sqrt(n * f);
    const double k = m_fit.slope;
    const bool proper = n > 0 && (solve == Area || area > 0) &&
                        (solve == Concentration || concentration > 0) &&
                        (solve == Diffusion || diffusion > 0);
    if (!proper) {
        m_points.clear();
        m_prompts.message(QStringLiteral(
            "ne and the known ones of the area, the concentration and D must be above zero."));
        return false;
    }
    if (solve == Diffusion)
        diffusion = std::pow(k / (g * area * concentration), 2);
    else if (solve == Concentration)
        concentration = k / (g * area * std::sqrt(diffusion));
    else
        area = k / (g * concentration * std::sqrt(diffusion));

    double k0Sum = 0;
    int k0Count = 0;
    for (ScanRatePoint &p : m_points) {
        p.psi = nicholsonPsi(n * p.separation * 1000);
        if (std::isfinite(p.psi)) {
            p.k0 = p.psi * std::sqrt(std::numbers::pi * diffusion * n * f * p.rate);
            k0Sum += p.k0;
            ++k0Count;
        }
    }

    const QString crlf = QStringLiteral("\r\n");
    auto row = [&](int which, const QString &label, const QString &value) {
        return (solve == which ? QStringLiteral("*") : QString()) + label + QLatin1Char('\t') +
               value + crlf;
    };
    const auto optional = [](double v, const char *pattern) {
        return std::isfinite(v) ? formatPattern(v, pattern) : QStringLiteral("-");
    };
    QString text = QStringLiteral("File\t") + m_store.CurrentFileTitle + crlf;
    text += QStringLiteral("ne\t") + formatGeneral(n) + crlf;
    text += QStringLiteral("Couple\t") +
            (irreversible ? QStringLiteral("irreversible") : QStringLiteral("reversible")) + crlf;
    text += row(Diffusion, QStringLiteral("D /cm2s-1"), formatPattern(diffusion, "0.00e+00"));
    text +=
        row(Concentration, QStringLiteral("C /molcm-3"), formatPattern(concentration, "0.00e+00"));
    text += row(Area, QStringLiteral("Area /cm2"), formatPattern(area, "0.0###"));
    text += QStringLiteral("Slope /AV-1/2s1/2\t") + formatPattern(m_fit.slope, "0.000e+00") + crlf;
    text += QStringLiteral("Intercept /A\t") + formatPattern(m_fit.intercept, "0.000e+00") + crlf;
    text += QStringLiteral("r2\t") + formatPattern(rSquared(x, y, m_fit), "0.00000") + crlf;
    if (irreversible)
        text += QStringLiteral("alpha\t") + optional(m_alpha, "0.000") + crlf;
    text += QStringLiteral("dlog ip/dlog v\t") + formatPattern(logLine->slope, "0.000") + crlf;
    text += QStringLiteral("k0 /cms-1\t") +
            optional(k0Count ? k0Sum / k0Count : kNoResult, "0.000e+00") + crlf;
    text +=
        QStringLiteral("Track\tv /Vs-1\t|ip| /A\tEp /V\tEp/2 /V\tdEp /V\tpsi\tk0 /cms-1") + crlf;
    for (const ScanRatePoint &p : m_points)
        text += QString::number(p.track) + QLatin1Char('\t') + formatPattern(p.rate, "0.000") +
                QLatin1Char('\t') + formatPattern(p.current, "0.000e+00") + QLatin1Char('\t') +
                formatPattern(p.potential, "0.0000") + QLatin1Char('\t') +
                optional(p.halfPotential, "0.0000") + QLatin1Char('\t') +
                optional(p.separation, "0.0000") + QLatin1Char('\t') + optional(p.psi, "0.000") +
                QLatin1Char('\t') + optional(p.k0, "0.000e+00") + crlf;
    m_report = text;
    return true;
}

void ScanRateStudy::drawPlot(kurvex::KurvexControl &canvas) const
{
    canvas.Cls();
    if (m_points.empty())
        return;
    PlotRange r{0, 0, 0, 0};
    for (const ScanRatePoint &p : m_points) {
        r.xmax = std::max(r.xmax, std::sqrt(p.rate));
        r.ymax = std::max(r.ymax, p.current);
    }
    r = WidenRange(r, 10);
    if (!canvas.View(r.xmin, r.ymax, r.xmax, r.ymin))
        return;
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    canvas.Axis(NiceStep(r.xmin, r.xmax), NiceStep(r.ymin, r.ymax),
                QStringLiteral("v^1/2 (V/s)^1/2"), QStringLiteral("|ip| /A"));
    const QRgb red = paletteColor(kLightRed);
    canvas.SetForeColor(red);
    for (const ScanRatePoint &p : m_points)
        canvas.VCircle(std::sqrt(p.rate), p.current, 3, red);
    canvas.VLine(0, m_fit.intercept, r.xmax, m_fit.intercept + m_fit.slope * r.xmax,
                 paletteColor(kLightBlue));
}

} // namespace tervo
