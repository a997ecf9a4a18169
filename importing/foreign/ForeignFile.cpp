#include "ForeignFile.h"

#include "TextLines.h"
#include "core/FileRead.h"
#include "tracks/Tables.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace tervo::foreign {

namespace {

struct UnitEntry {
    const char *name;
    Quantity quantity;
    double factor;
};

// Spellings first as the files write them; the first of each quantity's names is what we offer.
constexpr UnitEntry kUnits[] = {
    {"V", Quantity::Potential, 1},    {"mV", Quantity::Potential, 1e-3},
    {"s", Quantity::Time, 1},         {"ms", Quantity::Time, 1e-3},
    {"min", Quantity::Time, 60},      {"h", Quantity::Time, 3600},
    {"A", Quantity::Current, 1},      {"mA", Quantity::Current, 1e-3},
    {"µA", Quantity::Current, 1e-6},  {"nA", Quantity::Current, 1e-9},
    {"pA", Quantity::Current, 1e-12}, {"C", Quantity::Charge, 1},
    {"mC", Quantity::Charge, 1e-3},   {"µC", Quantity::Charge, 1e-6},
    {"sec", Quantity::Time, 1},       {"uA", Quantity::Current, 1e-6},
    {"μA", Quantity::Current, 1e-6},  {"uC", Quantity::Charge, 1e-6},
    {"μC", Quantity::Charge, 1e-6},
};

int quantityOf(const QString &unit)
{
    const std::optional<UnitInfo> u = unitFromText(unit);
    return u ? static_cast<int>(u->quantity) : static_cast<int>(Quantity::Unknown);
}

double factorOf(const QString &unit)
{
    const std::optional<UnitInfo> u = unitFromText(unit);
    return u ? u->factor : 1.0;
}

} // namespace

QString formatName(Format format)
{
    switch (format) {
    case Format::ECLab:
        return QStringLiteral("EC-Lab text export");
    case Format::Gamry:
        return QStringLiteral("Gamry EXPLAIN file");
    case Format::CHI:
        return QStringLiteral("CH Instruments text export");
    case Format::Delimited:
        break;
    }
    return QStringLiteral("Delimited text");
}

std::optional<UnitInfo> unitFromText(const QString &text)
{
    QString t = text.trimmed();
    // Gamry writes "V vs. Ref."; the reference is not part of the unit.
    const qsizetype vs = t.indexOf(QLatin1String(" vs"));
    if (vs > 0)
        t = t.left(vs).trimmed();
    for (const UnitEntry &e : kUnits) {
        if (t != QString::fromUtf8(e.name))
            continue;
        // Other spellings come back as the name the unit lists use.
        for (const UnitEntry &c : kUnits)
            if (c.quantity == e.quantity && c.factor == e.factor)
                return UnitInfo{QString::fromUtf8(c.name), e.quantity, e.factor};
    }
    return std::nullopt;
}

std::optional<UnitInfo> unitFromTitle(const QString &title)
{
    static const QRegularExpression bracketed(QStringLiteral("[(\\[]([^)\\]]+)[)\\]]"));
    static const QRegularExpression slashed(QStringLiteral("/\\s*([^/,;]+)$"));
    if (std::optional<UnitInfo> u = unitFromText(title))
        return u;
    const QRegularExpressionMatch s = slashed.match(title.trimmed());
    if (s.hasMatch())
        if (std::optional<UnitInfo> u = unitFromText(s.captured(1)))
            return u;
    QRegularExpressionMatchIterator it = bracketed.globalMatch(title);
    while (it.hasNext())
        if (std::optional<UnitInfo> u = unitFromText(it.next().captured(1)))
            return u;
    return std::nullopt;
}

QStringList xUnitNames()
{
    return {QStringLiteral("V"),  QStringLiteral("mV"),  QStringLiteral("s"),
            QStringLiteral("ms"), QStringLiteral("min"), QStringLiteral("h")};
}

QStringList yUnitNames()
{
    return {QStringLiteral("A"), QStringLiteral("mA"), QStringLiteral("µA"), QStringLiteral("nA"),
            QStringLiteral("pA")};
}

QString ReadError::message() const
{
    const QString name = QFileInfo(path).fileName();
    if (line > 0)
        return QStringLiteral("%1: line %2: expected %3.").arg(name).arg(line).arg(expected);
    return QStringLiteral("%1: %2.").arg(name, expected);
}

QStringList ForeignFile::titles() const
{
    QStringList list;
    for (const Column &c : columns)
        list << c.title;
    return list;
}

int ForeignFile::step() const
{
    const int n = rows();
    if (n <= kMaxPoints || thinning == Thinning::First)
        return 1;
    return (n + kMaxPoints - 1) / kMaxPoints;
}

int ForeignFile::points() const
{
    const int n = rows();
    if (n <= kMaxPoints)
        return n;
    if (thinning == Thinning::First)
        return kMaxPoints;
    const int k = step();
    return (n + k - 1) / k;
}

std::optional<Format> detectFormat(const QByteArray &bytes)
{
    LineReader lines = linesOf(bytes);
    std::string_view first, second;
    lines.next(first);
    lines.next(second);
    first = trimmed(first);
    if (first == "EC-Lab ASCII FILE")
        return Format::ECLab;
    if (first == "EXPLAIN")
        return Format::Gamry;
    if (modeForTechnique(decodeText(trimmed(second))) != ModeNone &&
        trimmed(second).find_first_of("\t,;") == std::string_view::npos)
        return Format::CHI;
    if (first == "TERVO File")
        return std::nullopt;
    return Format::Delimited;
}

ReadResult readForeignBytes(const QByteArray &bytes, const QString &path)
{
    const std::optional<Format> format = detectFormat(bytes);
    if (!format) {
        ReadResult r;
        r.error = {path, 1,
                   QStringLiteral("an export of another instrument; this is a TERVO track file, "
                                  "open it with File > Open")};
        return r;
    }
    ReadResult r;
    switch (*format) {
    case Format::ECLab:
        r = readEcLab(bytes, path);
        break;
    case Format::Gamry:
        r = readGamry(bytes, path);
        break;
    case Format::CHI:
        r = readChi(bytes, path);
        break;
    case Format::Delimited:
        r = readDelimited(bytes, path);
        break;
    }
    if (r.file) {
        r.file->rpm = rpmFromFileName(path);
        if (r.file->rpm > 0 && r.file->mode == ModeCV)
            r.file->mode = ModeRDE;
    }
    return r;
}

QString thinningNote(const ForeignFile &file)
{
    if (file.rows() <= kMaxPoints)
        return QString();
    const QString head =
        QStringLiteral("%1 rows; a track holds %2 points: ").arg(file.rows()).arg(kMaxPoints);
    if (file.thinning == Thinning::First)
        return head + QStringLiteral("the first %1 rows are kept").arg(kMaxPoints);
    return head +
           QStringLiteral("one row in %1 is kept (%2 points)").arg(file.step()).arg(file.points());
}

ReadResult readForeignFile(const QString &path)
{
    QByteArray bytes;
    if (const FileReadResult read = readWholeFile(path, bytes); !read.ok) {
        ReadResult r;
        r.error = {path, 0, read.error};
        return r;
    }
    return readForeignBytes(bytes, path);
}

int modeForTechnique(const QString &technique)
{
    const QString t = technique.trimmed().toLower();
    if (t.isEmpty())
        return ModeNone;
    static const char *const voltammetry[] = {"cv",
                                              "lsv",
                                              "cyclic voltammetry",
                                              "linear sweep voltammetry",
                                              "linear sweep",
                                              "cyclic voltammetry advanced"};
    static const char *const chrono[] = {"chronoa", "ca", "chronoamperometry",
                                         "amperometric i-t curve",
                                         "chronoamperometry / chronocoulometry"};
    for (const char *v : voltammetry)
        if (t == QLatin1String(v))
            return ModeCV;
    for (const char *c : chrono)
        if (t == QLatin1String(c))
            return ModePS;
    return ModeNone;
}

double rpmFromFileName(const QString &path)
{
    static const QRegularExpression rpm(QStringLiteral("(\\d+(?:\\.\\d+)?)\\s*rpm"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = rpm.match(QFileInfo(path).fileName());
    return m.hasMatch() ? m.captured(1).toDouble() : 0;
}

void setMode(ForeignFile &file, int mode)
{
    file.mode = mode;
    const int wanted = static_cast<int>(mode == ModePS ? Quantity::Time : Quantity::Potential);
    if (quantityOf(file.xUnit) == wanted)
        return;
    for (std::size_t c = 0; c < file.columns.size(); ++c) {
        if (quantityOf(file.columns[c].unit) == wanted) {
            file.x = static_cast<int>(c);
            file.xUnit = file.columns[c].unit;
            return;
        }
    }
    const bool known = file.x >= 0 && file.x < static_cast<int>(file.columns.size()) &&
                       !file.columns[static_cast<std::size_t>(file.x)].unit.isEmpty();
    if (!known)
        file.xUnit = mode == ModePS ? QStringLiteral("s") : QStringLiteral("V");
}

std::optional<ReadError> checkChoices(const ForeignFile &file)
{
    const int count = static_cast<int>(file.columns.size());
    if (file.rows() == 0)
        return ReadError{file.path, 0, QStringLiteral("rows of numbers, but the file has none")};
    if (file.x < 0 || file.x >= count || file.y < 0 || file.y >= count)
        return ReadError{file.path, 0,
                         QStringLiteral("an x and a y column among the %1 columns").arg(count)};
    for (const int c : {file.x, file.y}) {
        const Column &col = file.columns[static_cast<std::size_t>(c)];
        if (col.badLine > 0)
            return ReadError{file.path, col.badLine,
                             QStringLiteral("a number in column \"%1\"").arg(col.title)};
    }
    const int xq = quantityOf(file.xUnit);
    const bool timeMode = file.mode == ModePS;
    if (xq != static_cast<int>(timeMode ? Quantity::Time : Quantity::Potential))
        return ReadError{
            file.path, 0,
            QStringLiteral("%1 for x in mode %2, not \"%3\"")
                .arg(timeMode ? QStringLiteral("a time unit") : QStringLiteral("a potential unit"),
                     modeName(file.mode), file.xUnit)};
    if (quantityOf(file.yUnit) != static_cast<int>(Quantity::Current))
        return ReadError{file.path, 0,
                         QStringLiteral("a current unit for y, not \"%1\"").arg(file.yUnit)};
    if (file.mode != ModeCV && file.mode != ModeRDE && file.mode != ModePS)
        return ReadError{file.path, 0, QStringLiteral("mode CV, RDE or PS")};
    return std::nullopt;
}

int writeTrack(TrackStore &store, int track, const ForeignFile &file)
{
    store.ClearTrack(track);
    TrackHeader &h = store[track];
    const std::vector<double> &xs = file.columns[static_cast<std::size_t>(file.x)].values;
    const std::vector<double> &ys = file.columns[static_cast<std::size_t>(file.y)].values;
    const double xf = factorOf(file.xUnit);
    const double yf = factorOf(file.yUnit) * (file.flipCurrent ? -1.0 : 1.0);
    const int n = file.points();
    const std::size_t k = static_cast<std::size_t>(file.step());
    double *c0 = store.data.column(0, track);
    double *c1 = store.data.column(1, track);
    double *c2 = store.data.column(2, track);
    for (int i = 0; i < n; ++i) {
        const std::size_t r = static_cast<std::size_t>(i) * k;
        c0[i] = xs[r] * xf;
        c1[i] = ys[r] * yf;
        c2[i] = 0;
    }
    // Clearing keeps these for a re-measured track; an imported one must not inherit them.
    h.ref = 0;
    h.pH = 0;
    h.Weight = 0;
    h.DiskYscale = h.RingYscale = 0;
    h.TimeRecording = 0;
    h.Mode = file.mode;
    h.Title = file.title;
    h.MeasTime = file.measTime;
    h.Scanrate = file.scanrate;
    h.Area = file.area;
    h.RPM = file.mode == ModeRDE ? file.rpm : 0;
    h.pnum = n;
    if (n > 0) {
        const auto [xmin, xmax] = std::minmax_element(c0, c0 + n);
        const auto [ymin, ymax] = std::minmax_element(c1, c1 + n);
        h.Vxmin = *xmin;
        h.Vxmax = *xmax;
        h.Vymin = *ymin;
        h.Vymax = *ymax;
    }
    if (file.mode == ModePS) {
        // A potential column beside the time gives the potentials before and after the step.
        h.V1st = h.V2nd = h.V3rd = 0;
        for (const Column &c : file.columns) {
            const std::optional<UnitInfo> u = unitFromText(c.unit);
            if (u && u->quantity == Quantity::Potential && c.badLine == 0 && !c.values.empty()) {
                h.V1st = c.values.front() * u->factor;
                h.V2nd = c.values.back() * u->factor;
                break;
            }
        }
    } else {
        const std::array<double, 3> v = file.programme ? *file.programme : turningPotentials(c0, n);
        h.V1st = v[0];
        h.V2nd = v[1];
        h.V3rd = v[2];
    }
    store.markChanged();
    return n;
}

std::array<double, 3> turningPotentials(const double *x, int n)
{
    if (n <= 0)
        return {0, 0, 0};
    const auto [lo, hi] = std::minmax_element(x, x + n);
    // A turn is a retreat from the running extreme by more than noise: 1 % of the span, 1 mV at
    // least.
    const double h = std::max(1e-3, (*hi - *lo) * 0.01);
    std::array<double, 3> v = {x[0], x[n - 1], x[n - 1]};
    int found = 0;
    int direction = 0;
    double extreme = x[0];
    for (int i = 1; i < n && found < 2; ++i) {
        if (direction == 0) {
            if (std::fabs(x[i] - x[0]) > h) {
                direction = x[i] > x[0] ? 1 : -1;
                extreme = x[i];
            }
            continue;
        }
        if ((x[i] - extreme) * direction > 0) {
            extreme = x[i];
        } else if ((extreme - x[i]) * direction > h) {
            v[static_cast<std::size_t>(1 + found++)] = extreme;
            direction = -direction;
            extreme = x[i];
        }
    }
    if (found == 0)
        v[1] = v[2] = extreme;
    return v;
}

int currentConvention(const std::vector<double> &potential, const std::vector<double> &current)
{
    const std::size_t n = std::min(potential.size(), current.size());
    double up = 0, down = 0;
    std::size_t nUp = 0, nDown = 0;
    for (std::size_t i = 1; i < n; ++i) {
        const double d = potential[i] - potential[i - 1];
        if (d > 0) {
            up += current[i];
            ++nUp;
        } else if (d < 0) {
            down += current[i];
            ++nDown;
        }
    }
    // Too few points of one direction to be a loop.
    if (nUp < 3 || nDown < 3)
        return 0;
    const double meanUp = up / static_cast<double>(nUp);
    const double meanDown = down / static_cast<double>(nDown);
    if (!std::isfinite(meanUp) || !std::isfinite(meanDown) || meanUp == meanDown)
        return 0;
    return meanUp > meanDown ? 1 : -1;
}

} // namespace tervo::foreign
