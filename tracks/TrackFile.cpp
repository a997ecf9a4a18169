#include "TrackFile.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tervo {

namespace {

// Splits a byte buffer into lines at LF, dropping a CR before it.
class LineReader {
public:
    explicit LineReader(const QByteArray &bytes)
        : m_p(bytes.constData()), m_end(bytes.constData() + bytes.size())
    {
    }
    bool next(std::string_view &line)
    {
        if (m_p >= m_end)
            return false;
        const char *nl = static_cast<const char *>(std::memchr(m_p, '\n', m_end - m_p));
        const char *stop = nl ? nl : m_end;
        const char *e = stop;
        if (e > m_p && e[-1] == '\r')
            --e;
        line = std::string_view(m_p, static_cast<std::size_t>(e - m_p));
        m_p = nl ? nl + 1 : m_end;
        ++m_lineNo;
        return true;
    }
    int lineNumber() const { return m_lineNo; }

private:
    const char *m_p;
    const char *m_end;
    int m_lineNo = 0;
};

// A key line holds "=" after its first character.
bool splitKey(std::string_view line, std::string_view &key, std::string_view &value)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0)
        return false;
    key = line.substr(0, eq);
    value = line.substr(eq + 1);
    return true;
}

QString text(std::string_view v)
{
    return QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
}

std::int32_t toInt(std::string_view v)
{
    return roundHalfEven(parseDecimal(v));
}

// Applies one header key; unknown keys are ignored.
void applyHeaderKey(TrackHeader &h, std::string_view key, std::string_view v)
{
    struct DoubleKey {
        const char *name;
        double TrackHeader::*field;
    };
    static const DoubleKey doubles[] = {
        {"Scanrate", &TrackHeader::Scanrate},
        {"V1st", &TrackHeader::V1st},
        {"V2nd", &TrackHeader::V2nd},
        {"V3rd", &TrackHeader::V3rd},
        {"Vxmax", &TrackHeader::Vxmax},
        {"Vymax", &TrackHeader::Vymax},
        {"Vxmin", &TrackHeader::Vxmin},
        {"Vymin", &TrackHeader::Vymin},
        {"MaxTime", &TrackHeader::MaxTime},
        {"RingXValue", &TrackHeader::RingXValue},
        {"RPM", &TrackHeader::RPM},
        {"Conc", &TrackHeader::Conc},
        {"Area", &TrackHeader::Area},
        {"Weight", &TrackHeader::Weight},
        {"ne", &TrackHeader::ne},
        {"DiskYscale", &TrackHeader::DiskYscale},
        {"RingYscale", &TrackHeader::RingYscale},
        {"pH", &TrackHeader::pH},
        {"StepTime", &TrackHeader::StepTime},
        {"VoltStep", &TrackHeader::VoltStep},
    };
    if (key == "Mode") {
        h.Mode = toInt(v);
    } else if (key == "Title") {
        h.Title = text(v);
    } else if (key == "MeasTime") {
        h.MeasTime = text(v);
    } else if (key == "pnum") {
        h.pnum = std::clamp(toInt(v), 0, kMaxPoints);
    } else if (key == "ref") {
        h.ref = toInt(v);
    } else if (key == "TimeRecording") {
        h.TimeRecording = toInt(v);
    } else {
        for (const DoubleKey &d : doubles) {
            if (key == d.name) {
                h.*(d.field) = parseDecimal(v);
                return;
            }
        }
    }
}

// Splits a list value at every single space (after trimming) and parses each piece.
// A KL list replaces the whole array: missing values become 0, surplus ones are dropped.
template <typename T, typename Conv>
void readList(std::vector<T> &target, std::string_view v, Conv conv)
{
    std::vector<T> values(kUserTracks, T{});
    const std::vector<double> read = parseDecimalList(v, kUserTracks);
    for (std::size_t i = 0; i < read.size(); ++i)
        values[i] = conv(read[i]);
    target = std::move(values);
}

bool applyKLKey(KLSettings &kl, std::string_view key, std::string_view v)
{
    auto i16 = [](double x) { return roundHalfEven16(x); };
    auto i32 = [](double x) { return roundHalfEven(x); };
    auto dbl = [](double x) { return x; };
    if (key == "KLUseFlag")
        readList(kl.KLUseFlag, v, i16);
    else if (key == "KLNStart")
        readList(kl.KLNStart, v, i32);
    else if (key == "KLNEnd")
        readList(kl.KLNEnd, v, i32);
    else if (key == "KLBaseMode")
        readList(kl.KLBaseMode, v, i16);
    else if (key == "KLBaseTrack")
        readList(kl.KLBaseTrack, v, i16);
    else if (key == "KLBaseNEnd")
        readList(kl.KLBaseNEnd, v, i32);
    else if (key == "KLSubVal")
        readList(kl.KLSubVal, v, dbl);
    else
        return false;
    return true;
}

// Parses the first `count` TAB-separated values of a data line.
bool parseDataLine(std::string_view line, int count, double *values)
{
    std::size_t start = 0;
    for (int c = 0; c < count; ++c) {
        if (start > line.size())
            return false;
        std::size_t tab = line.find('\t', start);
        std::string_view field = line.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (!parseDataNumber(field, values[c]))
            return false;
        start = tab == std::string_view::npos ? line.size() + 1 : tab + 1;
    }
    return true;
}

bool readAll(const QString &path, QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bytes = f.readAll();
    return f.error() == QFileDevice::NoError;
}

bool hasSignature(LineReader &reader)
{
    std::string_view first;
    return reader.next(first) && first == kTrackFileSignature;
}

template <typename T> void appendList(std::string &out, const char *key, const std::vector<T> &v)
{
    out.append(key);
    for (int t = 0; t < kUserTracks; ++t) {
        out.push_back(' ');
        appendGeneral(out, t < static_cast<int>(v.size())
                               ? static_cast<double>(v[static_cast<std::size_t>(t)])
                               : 0.0);
    }
    out.append("\r\n");
}

void appendNumberLine(std::string &out, const char *key, double value)
{
    out.append(key);
    appendGeneralSigned(out, value);
    out.append(" \r\n");
}

void appendTextLine(std::string &out, const char *key, const QString &value)
{
    out.append(key);
    QByteArray utf8 = value.toUtf8();
    // A line break inside a title would split the record; it is saved as a space.
    for (char &c : utf8)
        if (c == '\r' || c == '\n')
            c = ' ';
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    out.append("\r\n");
}

void appendTrackBlock(std::string &out, const TrackStore &store, int t, char decimalSep)
{
    static const NumberPattern potential = NumberPattern::compile("0.0000");
    static const NumberPattern current = NumberPattern::compile("0.0###e+0");
    const TrackHeader &h = store[t];
    const int pnum = std::clamp(h.pnum, 0, kMaxPoints);
    appendNumberLine(out, "DataNum=", t);
    appendNumberLine(out, "Mode=", h.Mode);
    appendTextLine(out, "Title=", h.Title);
    appendTextLine(out, "MeasTime=", h.MeasTime);
    appendNumberLine(out, "Scanrate=", h.Scanrate);
    appendNumberLine(out, "V1st=", h.V1st);
    appendNumberLine(out, "V2nd=", h.V2nd);
    appendNumberLine(out, "V3rd=", h.V3rd);
    appendNumberLine(out, "Vxmax=", h.Vxmax);
    appendNumberLine(out, "Vymax=", h.Vymax);
    appendNumberLine(out, "Vxmin=", h.Vxmin);
    appendNumberLine(out, "Vymin=", h.Vymin);
    appendNumberLine(out, "MaxTime=", h.MaxTime);
    appendNumberLine(out, "RingXValue=", h.RingXValue);
    appendNumberLine(out, "RPM=", h.RPM);
    appendNumberLine(out, "pnum=", pnum);
    appendNumberLine(out, "Conc=", h.Conc);
    appendNumberLine(out, "Area=", h.Area);
    appendNumberLine(out, "Weight=", h.Weight);
    appendNumberLine(out, "ref=", h.ref);
    appendNumberLine(out, "ne=", h.ne);
    appendNumberLine(out, "DiskYscale=", h.DiskYscale);
    appendNumberLine(out, "RingYscale=", h.RingYscale);
    appendNumberLine(out, "TimeRecording=", h.TimeRecording);
    appendNumberLine(out, "pH=", h.pH);
    out.append("Table\r\n");
    const int columns = fileColumnCount(h, t, store[0]);
    const double *c0 = store.data.column(0, t);
    const double *c1 = store.data.column(1, t);
    const double *c2 = store.data.column(2, t);
    // A line is built in a small buffer and appended once; a value the fast route leaves to the
    // exact one is appended on its own.
    char line[3 * (kFastPatternChars + 1) + 2];
    const double *cols[3] = {c0, c1, c2};
    const NumberPattern *patterns[3] = {&potential, &current, &current};
    for (int i = 0; i < pnum; ++i) {
        char *q = line;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                *q++ = '\t';
            char *end = writePatternFast(q, cols[c][i], *patterns[c], decimalSep);
            if (!end) {
                out.append(line, q);
                appendPattern(out, cols[c][i], *patterns[c], decimalSep);
                end = q = line;
            }
            q = end;
        }
        *q++ = '\r';
        *q++ = '\n';
        out.append(line, q);
    }
}

} // namespace

QString TrackFileReadResult::message(const QString &path) const
{
    const QString name = QFileInfo(path).fileName();
    switch (status) {
    case Ok:
        return QString();
    case CannotOpen:
        return QStringLiteral("The file %1 could not be read: %2").arg(name, reason);
    case NotTrackFile:
        return QStringLiteral("This file type is not recognized.");
    case StoppedEarly:
        return QStringLiteral("Reading %1 stopped at line %2: %3. The tracks read before that "
                              "line were kept.")
            .arg(name)
            .arg(line)
            .arg(reason);
    }
    return QString();
}

QByteArray trackFileText(const TrackStore &store, char decimalSep)
{
    std::string out;
    std::size_t estimate = 4096;
    for (int t = 0; t < kUserTracks; ++t)
        if (!store.isVacant(t))
            estimate +=
                1024 + static_cast<std::size_t>(std::clamp(store[t].pnum, 0, kMaxPoints)) * 48;
    out.reserve(estimate);

    out.append(kTrackFileSignature).append("\r\n");
    const KLSettings &kl = store.kl;
    appendList(out, "KLUseFlag=", kl.KLUseFlag);
    appendList(out, "KLNStart=", kl.KLNStart);
    appendList(out, "KLNEnd=", kl.KLNEnd);
    appendList(out, "KLBaseMode=", kl.KLBaseMode);
    appendList(out, "KLBaseTrack=", kl.KLBaseTrack);
    appendList(out, "KLBaseNEnd=", kl.KLBaseNEnd);
    appendList(out, "KLSubVal=", kl.KLSubVal);

    for (int t = 0; t < kUserTracks; ++t)
        if (store[t].Mode > 0)
            appendTrackBlock(out, store, t, decimalSep);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

FileWriteResult writeTrackFile(const TrackStore &store, const QString &path, char decimalSep)
{
    return writeFileAtomically(path, trackFileText(store, decimalSep));
}

QString trackFileNameForSave(const QString &chosen)
{
    return chosen.endsWith(QLatin1String(".tvd"), Qt::CaseSensitive) ? chosen : chosen + ".tvd";
}

TrackFileReadResult loadTrackFile(TrackStore &store, const QString &path)
{
    TrackFileReadResult result;
    QByteArray bytes;
    if (!readAll(path, bytes)) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        result.status = TrackFileReadResult::CannotOpen;
        result.reason = f.errorString();
        return result;
    }
    LineReader reader(bytes);
    if (!hasSignature(reader)) {
        result.status = TrackFileReadResult::NotTrackFile;
        result.line = 1;
        return result;
    }
    for (int t = 0; t < kUserTracks; ++t)
        store.ClearTrack(t);

    auto stop = [&](int line, QString reason) {
        result.status = TrackFileReadResult::StoppedEarly;
        result.line = line;
        result.reason = std::move(reason);
    };

    int current = 0;
    bool skipping = false; // a block numbered outside 0..20
    TrackHeader discard;
    std::string_view line, key, value;
    bool atEnd = false;
    while (!atEnd && result.ok()) {
        bool table = false;
        while (reader.next(line)) {
            if (line == "Table") {
                table = true;
                break;
            }
            if (!splitKey(line, key, value))
                continue;
            if (applyKLKey(store.kl, key, value))
                continue;
            if (key == "DataNum") {
                const std::int32_t n = toInt(value);
                skipping = n < 0 || n >= kUserTracks;
                if (skipping)
                    discard = TrackHeader();
                else
                    current = n;
                continue;
            }
            applyHeaderKey(skipping ? discard : store[current], key, value);
        }
        if (!table)
            break;
        TrackHeader &h = skipping ? discard : store[current];
        const int columns =
            (!skipping && current == 0 && h.Mode == ModeMulti) ? 3 : loadColumnCount(h);
        const int pnum = h.pnum;
        double values[3] = {0, 0, 0};
        for (int i = 0; i < pnum; ++i) {
            if (!reader.next(line)) {
                stop(reader.lineNumber() + 1,
                     QStringLiteral("the file ends after %1 of the %2 points of track %3")
                         .arg(i)
                         .arg(pnum)
                         .arg(current));
                h.pnum = i;
                atEnd = true;
                break;
            }
            if (!parseDataLine(line, columns, values)) {
                stop(reader.lineNumber(),
                     QStringLiteral("a data line of track %1 does not hold %2 numbers")
                         .arg(current)
                         .arg(columns));
                h.pnum = i;
                break;
            }
            if (!skipping)
                for (int c = 0; c < columns; ++c)
                    store.data(c, current, i) = values[c];
        }
    }

    store.kl.redimension();
    if (store[0].Mode == ModeMulti) {
        const int n = std::clamp(store[0].pnum, 0, kMaxPoints);
        const double *time = store.data.column(2, 0);
        for (int t = 1; t <= 9; ++t)
            std::copy(time, time + n, store.data.column(2, t));
    }
    if (result.ok()) {
        store.CurrentFileTitle = QFileInfo(path).fileName();
        store.CurrentTrack = 0;
        ++store.FileLoadCount;
        store.markSaved();
    } else {
        store.markChanged();
    }
    return result;
}

bool IsTrackFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray first = f.readLine(4096);
    if (first.endsWith('\n'))
        first.chop(1);
    if (first.endsWith('\r'))
        first.chop(1);
    return first == kTrackFileSignature;
}

bool ReadTrackHeaders(const QString &path, std::array<TrackHeader, kTrackSlots> &table)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return false;
    LineReader reader(bytes);
    if (!hasSignature(reader))
        return false;
    int current = 0;
    bool skipping = false;
    std::string_view line, key, value;
    while (reader.next(line)) {
        if (!splitKey(line, key, value) || key.starts_with("KL"))
            continue;
        if (key == "DataNum") {
            const std::int32_t n = toInt(value);
            skipping = n < 0 || n >= kTrackSlots;
            if (!skipping)
                current = n;
            continue;
        }
        if (!skipping)
            applyHeaderKey(table[static_cast<std::size_t>(current)], key, value);
    }
    return true;
}

bool ReadTrackFromFile(const QString &path, int trackInFile, TrackStore &store, int destination)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return false;
    LineReader reader(bytes);
    if (!hasSignature(reader))
        return false;
    bool matching = false;
    std::string_view line, key, value;
    while (reader.next(line)) {
        if (line == "Table") {
            if (!matching)
                continue;
            TrackHeader &h = store[destination];
            const int columns = loadColumnCount(h);
            double values[3] = {0, 0, 0};
            for (int i = 0; i < h.pnum; ++i) {
                if (!reader.next(line) || !parseDataLine(line, columns, values)) {
                    h.pnum = i;
                    break;
                }
                for (int c = 0; c < columns; ++c)
                    store.data(c, destination, i) = values[c];
            }
            store.markChanged();
            return true;
        }
        if (!splitKey(line, key, value) || key.starts_with("KL"))
            continue;
        if (key == "DataNum") {
            matching = toInt(value) == trackInFile;
            continue;
        }
        if (matching)
            applyHeaderKey(store[destination], key, value);
    }
    if (matching)
        store.markChanged();
    return matching;
}

} // namespace tervo
