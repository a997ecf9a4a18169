#include "TrackFile.h"

#include "core/FileRead.h"
#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "state/TrackModes.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tervo {

namespace {

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

// Applies one header key; unknown keys are ignored. False when a numeric value is beyond the
// range of numbers (the field keeps its value).
bool applyHeaderKey(TrackHeader &h, std::string_view key, std::string_view v)
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
    struct IntKey {
        const char *name;
        std::int32_t TrackHeader::*field;
    };
    static const IntKey ints[] = {
        {"Mode", &TrackHeader::Mode},
        {"pnum", &TrackHeader::pnum},
        {"ref", &TrackHeader::ref},
        {"TimeRecording", &TrackHeader::TimeRecording},
    };
    if (key == "Title") {
        h.Title = text(v);
        return true;
    }
    if (key == "MeasTime") {
        h.MeasTime = text(v);
        return true;
    }
    for (const IntKey &k : ints) {
        if (key == k.name) {
            double x = 0;
            if (!readDecimal(v, x))
                return false;
            h.*(k.field) = roundHalfEven(x);
            if (k.field == &TrackHeader::pnum)
                h.pnum = std::clamp(h.pnum, 0, kMaxPoints);
            return true;
        }
    }
    for (const DoubleKey &d : doubles)
        if (key == d.name)
            return readDecimal(v, h.*(d.field));
    return true;
}

// Splits a list value at every single space (after trimming) and reads each piece.
// A KL list replaces the whole array: missing values become 0, surplus ones are dropped.
template <typename T, typename Conv>
bool readList(std::vector<T> &target, std::string_view v, Conv conv)
{
    std::vector<T> values(kUserTracks, T{});
    std::vector<double> read;
    if (!readDecimalList(v, kUserTracks, read))
        return false;
    for (std::size_t i = 0; i < read.size(); ++i)
        values[i] = conv(read[i]);
    target = std::move(values);
    return true;
}

bool isKLKey(std::string_view key)
{
    return key == "KLUseFlag" || key == "KLNStart" || key == "KLNEnd" || key == "KLBaseMode" ||
           key == "KLBaseTrack" || key == "KLBaseNEnd" || key == "KLSubVal";
}

// False when a value is beyond the range of numbers (the array keeps its contents).
bool applyKLKey(KLSettings &kl, std::string_view key, std::string_view v)
{
    auto i16 = [](double x) { return roundHalfEven16(x); };
    auto i32 = [](double x) { return roundHalfEven(x); };
    auto dbl = [](double x) { return x; };
    if (key == "KLUseFlag")
        return readList(kl.KLUseFlag, v, i16);
    if (key == "KLNStart")
        return readList(kl.KLNStart, v, i32);
    if (key == "KLNEnd")
        return readList(kl.KLNEnd, v, i32);
    if (key == "KLBaseMode")
        return readList(kl.KLBaseMode, v, i16);
    if (key == "KLBaseTrack")
        return readList(kl.KLBaseTrack, v, i16);
    if (key == "KLBaseNEnd")
        return readList(kl.KLBaseNEnd, v, i32);
    return readList(kl.KLSubVal, v, dbl);
}

// The line as the writer makes it: plain numbers between single TABs. False sends the line to
// the full rule, which also tells what is wrong with it.
bool parsePlainLine(std::string_view line, int count, double *values)
{
    const char *p = line.data();
    const char *const end = p + line.size();
    for (int c = 0; c < count; ++c) {
        while (p < end && *p == ' ')
            ++p;
        const std::size_t n = readPlainNumber(p, end, values[c]);
        if (n == 0)
            return false;
        p += n;
        while (p < end && *p == ' ')
            ++p;
        if (p < end && *p == '\t')
            ++p;
        else if (p != end || c + 1 < count)
            return false;
    }
    return true;
}

// Parses the first `count` TAB-separated values of a data line; a missing value is not a number.
DataNumber parseDataLine(std::string_view line, int count, double *values)
{
    if (parsePlainLine(line, count, values))
        return DataNumber::Ok;
    std::size_t start = 0;
    for (int c = 0; c < count; ++c) {
        if (start > line.size())
            return DataNumber::NotANumber;
        std::size_t tab = line.find('\t', start);
        std::string_view field = line.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        const DataNumber d = readDataNumber(field, values[c]);
        if (d != DataNumber::Ok)
            return d;
        start = tab == std::string_view::npos ? line.size() + 1 : tab + 1;
    }
    return DataNumber::Ok;
}

bool readAll(const QString &path, QByteArray &bytes)
{
    return readWholeFile(path, bytes).ok;
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
    // Lines are built in a buffer of many lines that is appended whole; a value the fast route
    // leaves to the exact one is appended on its own.
    constexpr std::size_t kLineMax = 3 * (kFastPatternChars + 1) + 2;
    char chunk[1 << 16];
    char *const flushAt = chunk + sizeof chunk - kLineMax;
    char *q = chunk;
    const double *cols[3] = {c0, c1, c2};
    const NumberPattern *patterns[3] = {&potential, &current, &current};
    for (int i = 0; i < pnum; ++i) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                *q++ = '\t';
            char *end = writePatternFast(q, cols[c][i], *patterns[c], decimalSep);
            if (!end) {
                out.append(chunk, static_cast<std::size_t>(q - chunk));
                appendPattern(out, cols[c][i], *patterns[c], decimalSep);
                end = chunk;
            }
            q = end;
        }
        *q++ = '\r';
        *q++ = '\n';
        if (q >= flushAt) {
            out.append(chunk, static_cast<std::size_t>(q - chunk));
            q = chunk;
        }
    }
    out.append(chunk, static_cast<std::size_t>(q - chunk));
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
    case EndsEarly:
        return QStringLiteral("Reading %1 stopped at line %2: %3.").arg(name).arg(line).arg(reason);
    }
    return QString();
}

namespace {

std::string fileHead(const TrackStore &store)
{
    std::string out;
    out.append(kTrackFileSignature).append("\r\n");
    const KLSettings &kl = store.kl;
    appendList(out, "KLUseFlag=", kl.KLUseFlag);
    appendList(out, "KLNStart=", kl.KLNStart);
    appendList(out, "KLNEnd=", kl.KLNEnd);
    appendList(out, "KLBaseMode=", kl.KLBaseMode);
    appendList(out, "KLBaseTrack=", kl.KLBaseTrack);
    appendList(out, "KLBaseNEnd=", kl.KLBaseNEnd);
    appendList(out, "KLSubVal=", kl.KLSubVal);
    return out;
}

} // namespace

// The head, then one block per occupied track. Saving a full store is mostly number formatting,
// so a large store's blocks are formatted on helper threads while the calling thread takes
// (writes) the finished ones.
bool forEachTrackFilePiece(const TrackStore &store, char decimalSep,
                           const std::function<bool(std::string_view)> &take)
{
    std::vector<int> tracks;
    std::size_t points = 0;
    for (int t = 0; t < kUserTracks; ++t) {
        if (store.isVacant(t))
            continue;
        tracks.push_back(t);
        points += static_cast<std::size_t>(std::clamp(store[t].pnum, 0, kMaxPoints));
    }
    if (!take(fileHead(store)))
        return false;
    auto format = [&](std::size_t i) {
        const int t = tracks[i];
        std::string out;
        out.reserve(1024 + static_cast<std::size_t>(std::clamp(store[t].pnum, 0, kMaxPoints)) * 40);
        appendTrackBlock(out, store, t, decimalSep);
        return out;
    };
    constexpr std::size_t kPointsPerThread = 50000;
    const std::size_t threads =
        std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 8,
                               points / kPointsPerThread, tracks.size()});
    if (threads <= 1) {
        for (std::size_t i = 0; i < tracks.size(); ++i)
            if (!take(format(i)))
                return false;
        return true;
    }
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<std::string> blocks(tracks.size());
    std::vector<char> done(tracks.size(), 0);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&] {
        for (std::size_t i; !stop && (i = next.fetch_add(1)) < tracks.size();) {
            std::string block = format(i);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                blocks[i] = std::move(block);
                done[i] = 1;
            }
            finished.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 0; i < threads; ++i)
        helpers.emplace_back(work);
    bool ok = true;
    for (std::size_t i = 0; i < tracks.size() && ok; ++i) {
        std::string block;
        {
            std::unique_lock<std::mutex> lock(mutex);
            finished.wait(lock, [&] { return done[i] != 0; });
            block = std::move(blocks[i]);
        }
        ok = take(block);
    }
    stop = true;
    for (std::thread &h : helpers)
        h.join();
    return ok;
}

QByteArray trackFileText(const TrackStore &store, char decimalSep)
{
    QByteArray out;
    forEachTrackFilePiece(store, decimalSep, [&](std::string_view piece) {
        out.append(piece.data(), static_cast<qsizetype>(piece.size()));
        return true;
    });
    return out;
}

FileWriteResult writeTrackFile(const TrackStore &store, const QString &path, char decimalSep)
{
    AtomicFileWriter file(path);
    forEachTrackFilePiece(store, decimalSep,
                          [&](std::string_view piece) { return file.write(piece); });
    return file.commit();
}

QString trackFileNameForSave(const QString &chosen)
{
    return chosen.endsWith(QLatin1String(".tvd"), Qt::CaseSensitive) ? chosen : chosen + ".tvd";
}

namespace {

// Values a data line carries for the reader: 3 for RDE, SSV, SSVAll and a rotation-rate sweep
// with time, else 2; a whole-file load also reads the time column of a Multi file's track 0.
int readColumnCount(const TrackHeader &h, int block, bool multiTimeColumn)
{
    if (multiTimeColumn && block == 0 && modeFacts(h.Mode).sharedTime)
        return 3;
    return loadColumnCount(h);
}

// What one reading operation keeps of the blocks the walker finds.
struct WalkTarget {
    // The header block n's key lines go to; nullptr reads them into a scratch header.
    std::function<TrackHeader *(int)> header;
    // The store slot block n's points go to, or -1 to skip them.
    std::function<int(int)> slot;
    TrackStore *store = nullptr;
    // Receives the Koutecky-Levich lines; they are ignored without it.
    KLSettings *kl = nullptr;
    bool multiTimeColumn = false;
    // The walk ends after the data of the block for which this says true.
    std::function<bool(int)> lastBlock = [](int) { return false; };
};

struct WalkResult {
    enum Outcome { Complete, EndsEarly, Stopped, NotTrackFile };
    Outcome outcome = Complete;
    int line = 0;
    QString reason;
    bool endedAfterLastBlock = false;
};

// The one walk over the block grammar: the signature, key lines (KL lines, "DataNum" opening a
// block, header fields) up to "Table", then pnum data lines of the block, again and again.
WalkResult walkTrackFile(const QByteArray &bytes, WalkTarget &target)
{
    WalkResult result;
    LineReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string_view line, key, value;
    if (!reader.next(line) || line != kTrackFileSignature) {
        result.outcome = WalkResult::NotTrackFile;
        result.line = 1;
        return result;
    }
    auto stop = [&](WalkResult::Outcome outcome, int at, QString reason) {
        result.outcome = outcome;
        result.line = at;
        result.reason = std::move(reason);
        return result;
    };
    auto beyondRange = [&](std::string_view k) {
        return stop(WalkResult::Stopped, reader.lineNumber(),
                    QStringLiteral("the value of %1 is beyond the range of numbers").arg(text(k)));
    };
    int block = 0;
    TrackHeader scratch;
    TrackHeader *h = target.header(block);
    if (!h)
        h = &scratch;
    for (;;) {
        bool table = false;
        while (reader.next(line)) {
            if (line == "Table") {
                table = true;
                break;
            }
            if (!splitKey(line, key, value))
                continue;
            if (isKLKey(key)) {
                if (target.kl && !applyKLKey(*target.kl, key, value))
                    return beyondRange(key);
                continue;
            }
            if (key == "DataNum") {
                double n = 0;
                if (!readDecimal(value, n))
                    return beyondRange(key);
                block = roundHalfEven(n);
                h = target.header(block);
                if (!h) {
                    scratch = TrackHeader();
                    h = &scratch;
                }
                continue;
            }
            if (!applyHeaderKey(*h, key, value))
                return beyondRange(key);
        }
        if (!table)
            return result;
        const int slot = target.slot(block);
        const int columns = readColumnCount(*h, block, target.multiTimeColumn);
        const int pnum = h->pnum;
        double values[3] = {0, 0, 0};
        for (int i = 0; i < pnum; ++i) {
            if (!reader.next(line)) {
                h->pnum = i;
                return stop(WalkResult::EndsEarly, reader.lineNumber() + 1,
                            QStringLiteral("the file ends after %1 of the %2 points of track %3")
                                .arg(i)
                                .arg(pnum)
                                .arg(block));
            }
            if (slot < 0)
                continue;
            const DataNumber d = parseDataLine(line, columns, values);
            if (d != DataNumber::Ok) {
                h->pnum = i;
                return stop(WalkResult::Stopped, reader.lineNumber(),
                            d == DataNumber::BeyondRange
                                ? QStringLiteral("a value of track %1 is beyond the range of "
                                                 "numbers")
                                      .arg(block)
                                : QStringLiteral("a data line of track %1 does not hold %2 numbers")
                                      .arg(block)
                                      .arg(columns));
            }
            for (int c = 0; c < columns; ++c)
                target.store->data(c, slot, i) = values[c];
        }
        if (target.lastBlock(block)) {
            result.endedAfterLastBlock = true;
            return result;
        }
    }
}

} // namespace

TrackFileReadResult loadTrackFile(TrackStore &store, const QString &path)
{
    TrackFileReadResult result;
    QByteArray bytes;
    if (const FileReadResult read = readWholeFile(path, bytes); !read.ok) {
        result.status = TrackFileReadResult::CannotOpen;
        result.reason = read.error;
        return result;
    }
    if (!IsTrackFileText(bytes)) {
        result.status = TrackFileReadResult::NotTrackFile;
        result.line = 1;
        return result;
    }
    for (int t = 0; t < kUserTracks; ++t)
        store.ClearTrack(t);

    WalkTarget target;
    auto user = [](int n) { return n >= 0 && n < kUserTracks; };
    target.header = [&](int n) { return user(n) ? &store[n] : nullptr; };
    target.slot = [&](int n) { return user(n) ? n : -1; };
    target.store = &store;
    target.kl = &store.kl;
    target.multiTimeColumn = true;
    const WalkResult walk = walkTrackFile(bytes, target);
    result.line = walk.line;
    result.reason = walk.reason;
    if (walk.outcome == WalkResult::EndsEarly)
        result.status = TrackFileReadResult::EndsEarly;
    else if (walk.outcome != WalkResult::Complete)
        result.status = TrackFileReadResult::StoppedEarly;

    store.kl.redimension();
    if (store[0].Mode == ModeMulti) {
        const int n = std::clamp(store[0].pnum, 0, kMaxPoints);
        const double *time = store.data.column(2, 0);
        for (int t = 1; t <= 9; ++t)
            std::copy(time, time + n, store.data.column(2, t));
    }
    if (result.loaded()) {
        store.CurrentFileTitle = QFileInfo(path).fileName();
        store.CurrentTrack = 0;
        ++store.FileLoadCount;
    }
    if (result.ok())
        store.markSaved();
    else
        store.markChanged();
    return result;
}

bool IsTrackFileText(const QByteArray &bytes)
{
    LineReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string_view first;
    return reader.next(first) && first == kTrackFileSignature;
}

bool IsTrackFile(const QString &path)
{
    QByteArray start;
    // Room for a byte-order mark, the signature and its CR LF.
    return readFileStart(path, sizeof kTrackFileSignature + 4, start).ok && IsTrackFileText(start);
}

bool ReadTrackHeaders(const QString &path, std::array<TrackHeader, kTrackSlots> &table)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return false;
    WalkTarget target;
    target.header = [&](int n) {
        return n >= 0 && n < kTrackSlots ? &table[static_cast<std::size_t>(n)] : nullptr;
    };
    target.slot = [](int) { return -1; };
    return walkTrackFile(bytes, target).outcome != WalkResult::NotTrackFile;
}

bool ReadTrackFromFile(const QString &path, int trackInFile, TrackStore &store, int destination)
{
    QByteArray bytes;
    if (!readAll(path, bytes))
        return false;
    bool found = false;
    WalkTarget target;
    target.header = [&](int n) {
        found = found || n == trackInFile;
        return n == trackInFile ? &store[destination] : nullptr;
    };
    target.slot = [&](int n) { return n == trackInFile ? destination : -1; };
    target.store = &store;
    target.lastBlock = [&](int n) { return n == trackInFile; };
    // A block that does not read to its last point would leave the file's header over the old
    // points: the slot is put back as it was instead.
    const TrackHeader savedHeader = store[destination];
    std::array<std::vector<double>, kColumns> savedPoints;
    for (int c = 0; c < kColumns; ++c)
        savedPoints[static_cast<std::size_t>(c)].assign(
            store.data.column(c, destination), store.data.column(c, destination) + kMaxPoints);
    const WalkResult walk = walkTrackFile(bytes, target);
    if (walk.outcome == WalkResult::NotTrackFile)
        return false;
    if (found && walk.outcome != WalkResult::Complete) {
        store[destination] = savedHeader;
        for (int c = 0; c < kColumns; ++c)
            std::copy(savedPoints[static_cast<std::size_t>(c)].begin(),
                      savedPoints[static_cast<std::size_t>(c)].end(),
                      store.data.column(c, destination));
        return false;
    }
    if (found)
        store.markChanged();
    return found;
}

} // namespace tervo
