#include "FFTFilter.h"

#include "FFT.h"
#include "plot/Palette.h"
#include "plot/TrackPreview.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"
#include "tracks/OccupiedTracks.h"

#include <algorithm>
#include <cmath>

namespace tervo {

int transformLength(int count)
{
    int n = 1;
    while (n <= count)
        n *= 2;
    return n;
}

FFTSpectrum computeSpectrum(const TrackStore &store, int track)
{
    FFTSpectrum s;
    const TrackHeader &h = store[track];
    const int pnum = pointCount(h);
    if (h.Mode == ModeNone || pnum < 1)
        return s;
    s.columns = modeFacts(h.Mode).ringColumn ? 2 : 1;
    s.kept = finitePoints(store, track, 0, pnum - 1, s.columns, &s.skipped);
    const int count = static_cast<int>(s.kept.size());
    if (count < 1)
        return FFTSpectrum{};
    s.track = track;
    s.pnum = pnum;
    s.n = transformLength(count);
    s.dt = h.MaxTime / pnum / 1000;
    s.df = s.dt > 0 ? 1 / (s.n * s.dt) : 0;
    s.fs = s.n * s.df;
    s.rect = {0, 0, s.fs / 2, 1e-6};
    const FFTPlan plan(s.n);
    for (int c = 0; c <= s.columns; ++c) {
        auto &re = s.re[static_cast<std::size_t>(c)];
        auto &im = s.im[static_cast<std::size_t>(c)];
        auto &amp = s.amplitude[static_cast<std::size_t>(c)];
        re.assign(static_cast<std::size_t>(s.n), 0.0);
        im.assign(static_cast<std::size_t>(s.n), 0.0);
        const double *column = store.data.column(c, track);
        s.source[static_cast<std::size_t>(c)].assign(column, column + pnum);
        for (std::size_t j = 0; j < s.kept.size(); ++j)
            re[j] = column[s.kept[j]];
        plan.transform(re.data(), im.data(), +1);
        amp.resize(re.size());
        for (std::size_t k = 0; k < re.size(); ++k) {
            amp[k] = std::hypot(re[k], im[k]);
            s.rect.ymax = std::max(s.rect.ymax, amp[k]);
        }
    }
    return s;
}

void zeroAbove(std::vector<double> &re, std::vector<double> &im, int n, double df, double fmax)
{
    for (int k = 0; k <= n / 2; ++k) {
        if (k * df > fmax) {
            const auto a = static_cast<std::size_t>(k);
            const auto b = static_cast<std::size_t>((n - k) % n);
            re[a] = im[a] = re[b] = im[b] = 0;
        }
    }
}

FFTResult filterSpectrum(const FFTSpectrum &spectrum, bool filterX, double fxmax, double fymax)
{
    FFTResult r;
    if (!spectrum.valid())
        return r;
    r.track = spectrum.track;
    r.pnum = spectrum.pnum;
    r.columns = spectrum.columns;
    const FFTPlan plan(spectrum.n);
    for (int c = 0; c <= spectrum.columns; ++c) {
        std::vector<double> re = spectrum.re[static_cast<std::size_t>(c)];
        std::vector<double> im = spectrum.im[static_cast<std::size_t>(c)];
        if (c > 0)
            zeroAbove(re, im, spectrum.n, spectrum.df, fymax);
        else if (filterX)
            zeroAbove(re, im, spectrum.n, spectrum.df, fxmax);
        plan.transform(re.data(), im.data(), -1);
        // Skipped points keep their value; the others take the filtered one in order.
        std::vector<double> out = spectrum.source[static_cast<std::size_t>(c)];
        for (std::size_t j = 0; j < spectrum.kept.size(); ++j)
            out[static_cast<std::size_t>(spectrum.kept[j])] = re[j];
        r.values[static_cast<std::size_t>(c)] = std::move(out);
    }
    return r;
}

double sanitizedCutoff(double hz)
{
    return hz > 0 ? hz : 0.1;
}

void drawSpectrum(kurvex::KurvexControl &canvas, const FFTSpectrum &spectrum)
{
    if (!spectrum.valid() || !(spectrum.rect.xmax > 0)) {
        canvas.Cls();
        return;
    }
    const PlotRange w = WidenRange(spectrum.rect, 10);
    const double xmax = w.xmax, ymax = w.ymax;
    canvas.XAxisFormat(QStringLiteral("0.0"));
    canvas.YAxisFormat(QStringLiteral("0.0e+0"));
    if (!canvas.View(-0.2 * xmax, ymax, xmax, -0.2 * ymax)) {
        canvas.Cls();
        return;
    }
    canvas.Axis(NiceStep(-0.2 * xmax, xmax), NiceStep(-0.2 * ymax, ymax),
                QStringLiteral("Frequency /Hz"), QString());
    for (int c = 0; c <= spectrum.columns; ++c) {
        const QRgb color = paletteColor(9 + c);
        const auto &amp = spectrum.amplitude[static_cast<std::size_t>(c)];
        for (int k = 0; k <= spectrum.n / 2; ++k) {
            const double f = k * spectrum.df;
            canvas.VLine(f, 0, f, std::min(amp[static_cast<std::size_t>(k)], ymax), color);
        }
    }
}

FFTFilterController::FFTFilterController(TrackStore &store, Settings &settings, Prompts &prompts)
    : m_store(store), m_settings(settings), m_prompts(prompts)
{
}

void FFTFilterController::open()
{
    m_destination = 10;
    m_xFilter = 0;
    m_settings.FFTFxmax = sanitizedCutoff(m_settings.FFTFxmax);
    m_settings.FFTFymax = sanitizedCutoff(m_settings.FFTFymax);
    selectTrack(0);
}

void FFTFilterController::selectTrack(int track)
{
    m_selected = wrapTrack(track);
    m_spectrum = computeSpectrum(m_store, m_selected);
}

double FFTFilterController::setXMaxFrequency(double hz)
{
    return m_settings.FFTFxmax = sanitizedCutoff(hz);
}

double FFTFilterController::setYMaxFrequency(double hz)
{
    return m_settings.FFTFymax = sanitizedCutoff(hz);
}

bool FFTFilterController::calculate()
{
    if (m_store.isVacant(m_selected))
        return false;
    // The spectrum may be older than the track: a paste or another window changed it.
    m_spectrum = computeSpectrum(m_store, m_selected);
    if (!m_spectrum.valid())
        return false;
    if (!(m_spectrum.dt > 0)) {
        m_prompts.message(QStringLiteral("Track %1 has no measurement time (MaxTime), so its "
                                         "frequencies are unknown.")
                              .arg(m_selected));
        return false;
    }
    m_result = filterSpectrum(m_spectrum, m_xFilter == 1, m_settings.FFTFxmax, m_settings.FFTFymax);
    m_destTitle = QStringLiteral("FFT_") + m_store[m_selected].Title;
    // The work slot shows the result to the other windows; the buttons use the window's copy.
    m_store.CopyTrackHeader(m_selected, kWorkSlot);
    for (int c = 0; c <= m_result.columns; ++c)
        std::copy(m_result.values[static_cast<std::size_t>(c)].begin(),
                  m_result.values[static_cast<std::size_t>(c)].end(),
                  m_store.data.column(c, kWorkSlot));
    return true;
}

bool FFTFilterController::resultReadyFor(int track)
{
    if (m_store.isVacant(track))
        return false;
    if (!m_result.valid() || m_result.track != track || m_result.pnum != m_store[track].pnum) {
        m_prompts.message(QString::fromLatin1(kNoResultMessage));
        return false;
    }
    return true;
}

void FFTFilterController::writeResult(int destination)
{
    for (int c = 0; c <= m_result.columns; ++c)
        std::copy(m_result.values[static_cast<std::size_t>(c)].begin(),
                  m_result.values[static_cast<std::size_t>(c)].end(),
                  m_store.data.column(c, destination));
    m_store.markChanged();
    if (trackChanged)
        trackChanged(destination);
}

bool FFTFilterController::updateData()
{
    if (!resultReadyFor(m_selected))
        return false;
    writeResult(m_selected);
    return true;
}

bool FFTFilterController::recordAnotherTrack()
{
    if (!resultReadyFor(m_selected))
        return false;
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    m_store.CopyTrackHeader(m_selected, m_destination);
    m_store[m_destination].Title = m_destTitle;
    writeResult(m_destination);
    return true;
}

void FFTFilterController::scaleGraph(bool up)
{
    m_spectrum.rect.ymax = up ? m_spectrum.rect.ymax * 2 : m_spectrum.rect.ymax / 2;
}

void FFTFilterController::drawPreview(kurvex::KurvexControl &canvas) const
{
    DrawTrackPreview(canvas, m_store, m_selected, m_settings.PrevGraphDrawSetting);
    if (m_store.isVacant(m_selected) || !m_result.valid() || m_result.track != m_selected)
        return;
    const auto &x = m_result.values[0];
    const auto &y = m_result.values[1];
    drawCurve(canvas, x.data(), y.data(), 0, m_result.pnum - 1, paletteColor(kLightRed), 0);
}

} // namespace tervo
