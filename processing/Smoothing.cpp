#include "Smoothing.h"

#include "core/FileRead.h"
#include "core/LineReader.h"
#include "core/NumberParse.h"
#include "plot/Palette.h"
#include "state/TrackModes.h"
#include "tracks/FinitePoints.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/Tables.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace tervo {

CoefficientFile readCoefficientFile(const QString &path)
{
    CoefficientFile f;
    f.name = path;
    const QString name = QFileInfo(path).fileName();
    QByteArray bytes;
    if (const FileReadResult read = readWholeFile(path, bytes); !read.ok) {
        f.error = QStringLiteral("The coefficient file \"%1\" cannot be read (%2).")
                      .arg(name, read.error);
        return f;
    }
    QStringList lines;
    LineReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (std::string_view line; reader.next(line);)
        lines << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    // The line read when the end of the file is reached is not a row.
    if (!lines.isEmpty())
        lines.removeLast();
    for (int k = 0; k < lines.size() && k < kMaxCoefficientRows; ++k) {
        const QStringList fields = lines.at(k).split(QLatin1Char(','));
        CoefficientRow row;
        for (int i = 0; i < fields.size() && i < kMaxCoefficients; ++i) {
            double v = 0;
            if (!parseDataNumber(QStringView(fields.at(i)), v)) {
                f.error = QStringLiteral("The coefficient file \"%1\", line %2: \"%3\" is not a "
                                         "number.")
                              .arg(name)
                              .arg(k + 1)
                              .arg(fields.at(i).trimmed());
                f.rows.clear();
                return f;
            }
            if (i == 0)
                row.divisor = v;
            else
                row.a.push_back(v);
        }
        if (row.divisor == 0) {
            f.error = QStringLiteral("The coefficient file \"%1\", line %2: the divisor is 0.")
                          .arg(name)
                          .arg(k + 1);
            f.rows.clear();
            return f;
        }
        f.rows.push_back(std::move(row));
    }
    return f;
}

IntegerRow savitzkyGolayRow(int points)
{
    // Least squares of a parabola through j = -h..h: the fitted centre value is
    // sum (S4 - S2 j^2) y(j) / (S0 S4 - S2^2), with Sk = sum j^k.
    const int h = points / 2;
    std::int64_t s0 = 0, s2 = 0, s4 = 0;
    for (std::int64_t j = -h; j <= h; ++j) {
        s0 += 1;
        s2 += j * j;
        s4 += j * j * j * j;
    }
    IntegerRow r;
    r.divisor = s0 * s4 - s2 * s2;
    std::int64_t g = r.divisor;
    for (std::int64_t j = 0; j <= h; ++j) {
        r.a.push_back(s4 - s2 * j * j);
        g = std::gcd(g, r.a.back());
    }
    if (g != 0) {
        r.divisor /= g;
        for (auto &a : r.a)
            a /= g;
    }
    return r;
}

QByteArray coefficientFileText()
{
    QByteArray out;
    for (int n = 5; n <= 15; n += 2) {
        const IntegerRow r = savitzkyGolayRow(n);
        out += QByteArray::number(static_cast<qlonglong>(r.divisor));
        for (std::int64_t a : r.a)
            out += ',' + QByteArray::number(static_cast<qlonglong>(a));
        out += "\r\n";
    }
    // The reader never takes the last line as a row.
    out += "\r\n";
    return out;
}

PointLimits pointLimits(int filter)
{
    switch (filter) {
    case MovingAverage:
        return {3, 15, 3};
    case SpikeLimiter:
        return {3, 15, 3};
    default:
        return {5, 15, 5};
    }
}

void filterSegment(const double *y, double *out, int s, int e, const SmoothOptions &options,
                   const CoefficientRow *row, double spikeScale)
{
    const int n = options.points;
    const int h = n / 2;
    auto at = [&](int p) { return y[std::clamp(p, s, e)]; };
    switch (options.filter) {
    case MovingAverage:
        for (int p = s; p <= e; ++p) {
            double sum = 0;
            for (int j = -h; j <= h; ++j)
                sum += at(p + j);
            out[p] = sum / n;
        }
        break;
    case SavitzkyGolay:
        for (int p = s; p <= e; ++p) {
            double sum = row->a[0] * y[p];
            for (int j = 1; j <= h; ++j)
                sum += row->a[static_cast<std::size_t>(j)] * (at(p - j) + at(p + j));
            out[p] = sum / row->divisor;
        }
        break;
    case SpikeLimiter: {
        const double t = spikeScale;
        out[s] = y[s];
        for (int p = s + 1; p <= e; ++p) {
            double sum = 0;
            for (int j = -h; j <= h; ++j)
                if (j != 0)
                    sum += at(p + j);
            const double m = sum / (n - 1);
            const double d = std::fabs(y[p] - m);
            // Without a scale every deviation is pulled onto the mean.
            out[p] = t + d > 0 ? t / (t + d) * (y[p] - m) + m : y[p];
        }
        break;
    }
    default:
        break;
    }
    const int edge = options.edge;
    if (edge > 0) {
        for (int p = s; p <= std::min(s + edge, e); ++p)
            out[p] = y[p];
        for (int p = std::max(e - edge, s); p <= e; ++p)
            out[p] = y[p];
    }
}

std::vector<std::pair<int, int>> smoothingSegments(const TrackStore &store, int track)
{
    const TrackHeader &h = store[track];
    const int pnum = pointCount(h);
    std::vector<std::pair<int, int>> segments;
    if (pnum < 1)
        return segments;
    switch (h.Mode) {
    case ModeCV:
    case ModeRDE:
    case ModeSSV: {
        const double *y = store.data.column(1, track);
        int s = 0;
        for (int k = 1; s < pnum - 1; ++k) {
            int e = FindSweepEnd(store, track, s, h.V(k % 3 == 0 ? 0 : (k % 3 == 1 ? 1 : 2)));
            if (e > s && e < pnum - 1 && std::fabs(y[e]) < std::fabs(y[e - 1]))
                --e;
            if (e > pnum - 3)
                e = pnum - 1;
            e = std::max(e, s);
            segments.emplace_back(s, e);
            s = e + 1;
        }
        break;
    }
    case ModePS:
    case ModeRPMvsJ:
    case ModeMulti:
        segments.emplace_back(0, pnum - 1);
        break;
    default:
        break;
    }
    return segments;
}

namespace {

QString missingRowText(const QString &path, int points, int row)
{
    return QStringLiteral("The coefficient file \"%1\" has no row for %2 points (line %3).")
        .arg(QFileInfo(path).fileName())
        .arg(points)
        .arg(row + 1);
}

} // namespace

bool smoothTrack(TrackStore &store, int track, const SmoothOptions &options,
                 const CoefficientFile &coefficients, QString *error, int *skipped)
{
    const TrackHeader &h = store[track];
    const CoefficientRow *row = nullptr;
    if (options.filter == SavitzkyGolay) {
        const int r = (options.points - 5) / 2;
        if (options.points < 5 || options.points % 2 == 0 ||
            r >= static_cast<int>(coefficients.rows.size()) ||
            static_cast<int>(coefficients.rows[static_cast<std::size_t>(r)].a.size()) <=
                options.points / 2) {
            if (error)
                *error = missingRowText(coefficients.name.isEmpty()
                                            ? QString::fromLatin1(kCoefficientFileName)
                                            : coefficients.name,
                                        options.points, std::max(r, 0));
            return false;
        }
        row = &coefficients.rows[static_cast<std::size_t>(r)];
    }
    const int pnum = pointCount(h);
    store.CopyTrackHeader(track, kWorkSlot);
    for (int c = 0; c < kColumns; ++c)
        std::copy_n(store.data.column(c, track), pnum, store.data.column(c, kWorkSlot));
    const bool third = h.Mode == ModeRDE || h.Mode == ModeMulti || h.Mode == ModeSSV;
    const double spikeScale = h.DiskYscale / 1000;
    const int lastColumn = third ? 2 : 1;
    int skippedPoints = 0;
    std::vector<double> in, out;
    for (const auto &[s, e] : smoothingSegments(store, track)) {
        int segmentSkipped = 0;
        const std::vector<int> kept = finitePoints(store, track, s, e, lastColumn, &segmentSkipped);
        skippedPoints += segmentSkipped;
        if (kept.empty())
            continue;
        const int last = static_cast<int>(kept.size()) - 1;
        for (int c = options.smoothX ? 0 : 1; c <= lastColumn; ++c) {
            if (segmentSkipped == 0) {
                filterSegment(store.data.column(c, track), store.data.column(c, kWorkSlot), s, e,
                              options, row, spikeScale);
                continue;
            }
            // The finite points side by side, filtered, and put back where they came from.
            in.resize(kept.size());
            out.resize(kept.size());
            for (std::size_t j = 0; j < kept.size(); ++j)
                in[j] = store.data(c, track, kept[j]);
            filterSegment(in.data(), out.data(), 0, last, options, row, spikeScale);
            for (std::size_t j = 0; j < kept.size(); ++j)
                store.data(c, kWorkSlot, kept[j]) = out[j];
        }
    }
    if (skipped)
        *skipped = skippedPoints;
    return true;
}

SmoothingController::SmoothingController(TrackStore &store, Settings &settings, Prompts &prompts,
                                         QString coefficientPath)
    : m_store(store), m_settings(settings), m_prompts(prompts),
      m_coefficientPath(std::move(coefficientPath))
{
}

void SmoothingController::open()
{
    m_destination = 10;
    setFilter(SavitzkyGolay);
    selectTrack(0);
}

void SmoothingController::selectTrack(int track)
{
    m_selected = wrapTrack(track);
    m_resultTrack = -1;
    m_results.clear();
}

void SmoothingController::setFilter(int filter)
{
    m_options.filter = std::clamp(filter, 0, 2);
    m_options.points = pointLimits(m_options.filter).def;
}

void SmoothingController::setPoints(int points)
{
    const PointLimits l = pointLimits(m_options.filter);
    points = std::clamp(points, l.min, l.max);
    if (points % 2 == 0)
        --points;
    m_options.points = points;
    m_skip = points / 2;
}

void SmoothingController::stepPoints(int delta)
{
    setPoints(m_options.points + 2 * delta);
}

SmoothOptions SmoothingController::currentOptions() const
{
    SmoothOptions o = m_options;
    o.smoothX = applyX;
    o.edge = skipAtEdge ? m_skip : 0;
    return o;
}

bool SmoothingController::loadCoefficients(CoefficientFile &file)
{
    if (m_options.filter != SavitzkyGolay)
        return true;
    file = readCoefficientFile(m_coefficientPath);
    if (!file.ok()) {
        m_prompts.message(file.error);
        return false;
    }
    return true;
}

SmoothingController::Snapshot SmoothingController::snapshot(int track) const
{
    Snapshot s;
    s.track = track;
    s.pnum = pointCount(m_store[kWorkSlot]);
    for (int c = 0; c < kColumns; ++c)
        s.columns[static_cast<std::size_t>(c)].assign(m_store.data.column(c, kWorkSlot),
                                                      m_store.data.column(c, kWorkSlot) + s.pnum);
    return s;
}

bool SmoothingController::calculate()
{
    if (m_store.isVacant(m_selected))
        return false;
    CoefficientFile file;
    if (!loadCoefficients(file))
        return false;
    const SmoothOptions o = currentOptions();
    std::vector<Snapshot> results;
    int skipped = 0;
    for (int t = applyAllTracks ? 0 : m_selected;
         t <= (applyAllTracks ? kUserTracks - 1 : m_selected); ++t) {
        if (m_store.isVacant(t))
            continue;
        QString error;
        int trackSkipped = 0;
        if (!smoothTrack(m_store, t, o, file, &error, &trackSkipped)) {
            m_prompts.message(error);
            return false;
        }
        skipped += trackSkipped;
        results.push_back(snapshot(t));
    }
    m_results = std::move(results);
    m_skipped = skipped;
    m_resultTrack = m_selected;
    return true;
}

bool SmoothingController::resultUsable()
{
    if (m_store.isVacant(m_selected))
        return false;
    for (const Snapshot &s : m_results)
        if (m_resultTrack == m_selected && s.track == m_selected &&
            s.pnum == m_store[m_selected].pnum) {
            // The work slot is shared: put this window's result back before it is copied.
            for (int c = 0; c < kColumns; ++c)
                std::copy(s.columns[static_cast<std::size_t>(c)].begin(),
                          s.columns[static_cast<std::size_t>(c)].end(),
                          m_store.data.column(c, kWorkSlot));
            m_store.CopyTrackHeader(m_selected, kWorkSlot);
            return true;
        }
    m_prompts.message(
        QString::fromLatin1("There is no result for this track yet. Press \"Calculation\" first."));
    return false;
}

bool SmoothingController::updateData()
{
    if (applyAllTracks) {
        CoefficientFile file;
        if (!loadCoefficients(file))
            return false;
        const SmoothOptions o = currentOptions();
        // A missing row fails on the first track, before any track is overwritten.
        QString error;
        for (int t = 0; t < kUserTracks; ++t) {
            if (m_store.isVacant(t))
                continue;
            if (!smoothTrack(m_store, t, o, file, &error)) {
                m_prompts.message(error);
                return false;
            }
            CopyTrackPoints(m_store, kWorkSlot, t);
            m_store.markChanged();
            if (trackChanged)
                trackChanged(t);
        }
        m_results.clear();
        m_resultTrack = -1;
        return true;
    }
    if (!resultUsable())
        return false;
    CopyTrackPoints(m_store, kWorkSlot, m_selected);
    m_store.markChanged();
    if (trackChanged)
        trackChanged(m_selected);
    return true;
}

bool SmoothingController::recordAnotherTrack()
{
    if (!resultUsable())
        return false;
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    m_store.CopyTrackHeader(m_selected, m_destination);
    CopyTrackPoints(m_store, kWorkSlot, m_destination);
    m_store.markChanged();
    if (trackChanged)
        trackChanged(m_destination);
    return true;
}

void SmoothingController::drawPreview(kurvex::KurvexControl &canvas) const
{
    const TrackHeader &h = m_store[m_selected];
    if (h.Mode == ModeNone || !drawProcessingAxes(canvas, storedRange(h), h.Mode)) {
        canvas.Cls();
        return;
    }
    const int xColumn = modeFacts(h.Mode).xColumn;
    auto source = [&](int t, QRgb color, int setting) {
        const int n = pointCount(m_store[t]);
        drawCurve(canvas, m_store.data.column(xColumn, t), m_store.data.column(1, t), 0, n - 1,
                  color, setting);
    };
    if (applyAllTracks) {
        for (int t = 0; t < kUserTracks; ++t)
            if (!m_store.isVacant(t))
                source(t, TrackColors()[static_cast<std::size_t>(t % 10)], 0);
    } else {
        source(m_selected, paletteColor(kLightBlue), m_settings.PrevGraphDrawSetting);
    }
    for (const Snapshot &s : m_results) {
        const auto &x = s.columns[static_cast<std::size_t>(xColumn)];
        drawCurve(canvas, x.data(), s.columns[1].data(), 0, s.pnum - 1, paletteColor(kLightRed),
                  applyAllTracks ? 0 : m_settings.PrevGraphDrawSetting);
    }
}

} // namespace tervo
