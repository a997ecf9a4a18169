#include "ClipboardText.h"

#include "Tables.h"
#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <algorithm>
#include <string>

namespace tervo {

namespace {

int sign(double v)
{
    return (v > 0) - (v < 0);
}

enum class Label { Unknown, Taken, BeyondRange };

// Applies a "label TAB value" line. Numbers are read with "." or ",", since Copy All writes some
// of them with the user's decimal separator.
Label applyLabel(TrackHeader &h, const QString &label, const QString &value)
{
    if (label == QLatin1String("Mode")) {
        h.Mode = modeFromText(value);
        return Label::Taken;
    }
    if (label == QLatin1String("Title")) {
        h.Title = value;
        return Label::Taken;
    }
    if (label == QLatin1String("MeasTime")) {
        h.MeasTime = value;
        return Label::Taken;
    }
    double *field = nullptr;
    if (label == QLatin1String("Scanrate"))
        field = &h.Scanrate;
    else if (label == QLatin1String("V1st"))
        field = &h.V1st;
    else if (label == QLatin1String("V2nd"))
        field = &h.V2nd;
    else if (label == QLatin1String("V3rd"))
        field = &h.V3rd;
    // "RingXValue=" and "Weight/mg" are what Copy All writes, so its text pastes back whole.
    else if (label == QLatin1String("RingXValue") || label == QLatin1String("RingXValue="))
        field = &h.RingXValue;
    else if (label == QLatin1String("RPM"))
        field = &h.RPM;
    else if (label == QLatin1String("Conc/molcm-3"))
        field = &h.Conc;
    else if (label == QLatin1String("Area/cm2"))
        field = &h.Area;
    else if (label == QLatin1String("Weight /mg") || label == QLatin1String("Weight/mg"))
        field = &h.Weight;
    else if (label == QLatin1String("ne"))
        field = &h.ne;
    else if (label == QLatin1String("pH"))
        field = &h.pH;
    if (!field)
        return Label::Unknown;
    return readDecimalEitherSeparator(QStringView(value), *field) ? Label::Taken
                                                                  : Label::BeyondRange;
}

} // namespace

int modeFromText(const QString &value)
{
    for (int k = kModeCount - 1; k > 0; --k)
        if (value.contains(ModeNames().at(k)))
            return k;
    return ModeNone;
}

void findProgrammePotentials(TrackStore &store, int track)
{
    TrackHeader &h = store[track];
    const double *x = store.data.column(0, track);
    const int n = std::clamp(h.pnum, 0, kMaxPoints);
    int previous = 0;
    int found = 0;
    for (int i = 1; i < n && found < 3; ++i) {
        const int s = sign(x[i] - x[i - 1]);
        if (s != previous)
            h.V(found++) = x[i - 1];
        previous = s;
    }
}

PasteResult pasteTrackText(TrackStore &store, int track, const QString &text)
{
    PasteResult r;
    if (text.isEmpty())
        return r;
    r.changed = true;
    TrackHeader &h = store[track];
    h.V1st = h.V2nd = h.V3rd = 0;
    h.pnum = 0;

    const QByteArray utf8 = text.toUtf8();
    LineReader lines(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    for (std::string_view line; lines.next(line);) {
        const QStringList fields =
            QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))
                .split(QLatin1Char('\t'));
        if (fields.size() < 2)
            continue;
        const Label label = applyLabel(h, fields.at(0), fields.at(1));
        if (label == Label::BeyondRange)
            r.refusedLabels << fields.at(0);
        if (label != Label::Unknown)
            continue;
        double values[kColumns] = {0, 0, 0};
        DataNumber d = readDataNumber(fields.at(0).toStdString(), values[0]);
        if (d == DataNumber::NotANumber)
            continue;
        if (d == DataNumber::Ok && h.pnum >= kMaxPoints) {
            r.truncated = true;
            break;
        }
        const int count = static_cast<int>(std::min<qsizetype>(fields.size(), kColumns));
        for (int c = 1; c < count && d == DataNumber::Ok; ++c)
            d = readDataNumber(fields.at(c).toStdString(), values[c]);
        if (d != DataNumber::Ok) {
            r.stoppedAtLine = lines.lineNumber();
            r.beyondRange = d == DataNumber::BeyondRange;
            break;
        }
        for (int c = 0; c < kColumns; ++c)
            store.data(c, track, h.pnum) = values[c];
        ++h.pnum;
    }
    r.points = h.pnum;
    store.markChanged();
    if (h.Mode == ModeNone)
        return r;

    double xmin = 10, ymin = 10, xmax = -10, ymax = -10;
    const double *x = store.data.column(0, track);
    const double *y = store.data.column(1, track);
    for (int i = 0; i < h.pnum; ++i) {
        xmin = std::min(xmin, x[i]);
        xmax = std::max(xmax, x[i]);
        ymin = std::min(ymin, y[i]);
        ymax = std::max(ymax, y[i]);
    }
    h.Vxmin = xmin;
    h.Vymin = ymin;
    h.Vxmax = xmax;
    h.Vymax = ymax;
    if (h.V2nd == 0 && h.V3rd == 0)
        findProgrammePotentials(store, track);
    return r;
}

QString multiTableText(const TrackStore &store, int currentTrack, MultiTable table,
                       const ProgressFn &progress)
{
    const TrackHeader &h0 = store[0];
    QString head = QStringLiteral("Filename\t") + store.CurrentFileTitle + QStringLiteral("\r\n") +
                   QStringLiteral("MeasTime\t") + store[currentTrack].MeasTime +
                   QStringLiteral("\r\n");
    for (int c = 0; c < 10; ++c)
        head += QLatin1Char('\t') + store[c].Title;
    head += QStringLiteral("\r\n");

    const int n = std::clamp(h0.pnum, 0, kMaxPoints);
    const int firstColumn = table == MultiTable::CurrentVsTime ? 2 : 0;
    std::string out;
    out.reserve(static_cast<std::size_t>(n) * 200);
    for (int i = 0; i < n; ++i) {
        if (progress)
            progress(i);
        appendGeneral(out, store.data(firstColumn, 0, i));
        for (int c = 0; c < 10; ++c) {
            out.push_back('\t');
            appendGeneral(out, store.data(1, c, i));
        }
        out.append("\r\n");
    }
    return head + QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace tervo
