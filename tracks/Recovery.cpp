#include "Recovery.h"

#include "Tables.h"
#include "core/FileRead.h"

#include <QDir>
#include <QTemporaryFile>
#include <QUrl>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace tervo {

namespace {

std::uint32_t crc32(std::string_view bytes)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint64_t hashBytes(std::uint64_t h, const void *data, std::size_t size)
{
    // FNV-1a over 64-bit words, enough to tell whether a track's points changed.
    const auto *p = static_cast<const unsigned char *>(data);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * 0x100000001b3ull;
    }
    for (; i < size; ++i)
        h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

std::uint64_t trackHash(const TrackStore &store, int track)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    const int n = std::clamp(store[track].pnum, 0, kMaxPoints);
    for (int c = 0; c < kColumns; ++c)
        h = hashBytes(h, store.data.column(c, track), static_cast<std::size_t>(n) * sizeof(double));
    const KLSettings &kl = store.kl;
    const auto t = static_cast<std::size_t>(track);
    const double klValues[] = {double(kl.KLUseFlag[t]),
                               double(kl.KLNStart[t]),
                               double(kl.KLNEnd[t]),
                               double(kl.KLBaseMode[t]),
                               double(kl.KLBaseTrack[t]),
                               double(kl.KLBaseNEnd[t]),
                               kl.KLSubVal[t]};
    return hashBytes(h, klValues, sizeof klValues);
}

void appendNumber(QByteArray &out, double v)
{
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, static_cast<qsizetype>(r.ptr - buffer));
}

QByteArray encodeText(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QString decodeText(const QByteArray &text)
{
    return QUrl::fromPercentEncoding(text);
}

bool parseNumber(const QByteArray &field, double &v)
{
    const char *end = field.constData() + field.size();
    const auto r = std::from_chars(field.constData(), end, v);
    return r.ec == std::errc() && r.ptr == end;
}

// The body of a record whose checksum matches, or nothing.
std::optional<QByteArray> checkedBody(const QByteArray &line)
{
    const qsizetype tab = line.lastIndexOf('\t');
    if (tab < 0 || line.size() - tab - 1 != 8)
        return std::nullopt;
    bool ok = false;
    const std::uint32_t stored = line.mid(tab + 1).toUInt(&ok, 16);
    const QByteArray body = line.left(tab);
    if (!ok || stored != crc32(std::string_view(body.constData(), std::size_t(body.size()))))
        return std::nullopt;
    return body;
}

// The header fields a journal keeps, in the order of its "F" record; the plot range and the
// point count follow from the points.
struct HeaderField {
    double TrackHeader::*real = nullptr;
    std::int32_t TrackHeader::*whole = nullptr;
};
const HeaderField kJournalFields[] = {
    {&TrackHeader::Scanrate, nullptr},   {&TrackHeader::V1st, nullptr},
    {&TrackHeader::V2nd, nullptr},       {&TrackHeader::V3rd, nullptr},
    {&TrackHeader::RingXValue, nullptr}, {&TrackHeader::MaxTime, nullptr},
    {&TrackHeader::RPM, nullptr},        {&TrackHeader::Conc, nullptr},
    {&TrackHeader::Area, nullptr},       {&TrackHeader::Weight, nullptr},
    {&TrackHeader::ne, nullptr},         {&TrackHeader::DiskYscale, nullptr},
    {&TrackHeader::RingYscale, nullptr}, {nullptr, &TrackHeader::TimeRecording},
    {nullptr, &TrackHeader::ref},        {&TrackHeader::pH, nullptr},
    {&TrackHeader::StepTime, nullptr},   {&TrackHeader::VoltStep, nullptr}};

QByteArray headerRecord(const TrackHeader &h)
{
    QByteArray body = "F";
    for (const HeaderField &f : kJournalFields) {
        body += '\t';
        if (f.real)
            appendNumber(body, h.*f.real);
        else
            body += QByteArray::number(h.*f.whole);
    }
    return body;
}

bool readHeaderRecord(const QList<QByteArray> &f, TrackHeader &h)
{
    if (f.size() != static_cast<qsizetype>(std::size(kJournalFields)) + 1)
        return false;
    for (std::size_t i = 0; i < std::size(kJournalFields); ++i) {
        double v = 0;
        if (!parseNumber(f[static_cast<qsizetype>(i) + 1], v))
            return false;
        if (kJournalFields[i].real)
            h.*kJournalFields[i].real = v;
        else
            h.*kJournalFields[i].whole = static_cast<std::int32_t>(v);
    }
    return true;
}

template <std::size_t N> bool readPoint(const QList<QByteArray> &f, std::array<double, N> &p)
{
    if (f.size() != qsizetype(N) + 1)
        return false;
    for (std::size_t i = 0; i < N; ++i)
        if (!parseNumber(f[qsizetype(i) + 1], p[i]))
            return false;
    return true;
}

// Opens path for writing as a new regular file: a symbolic link in its place is removed, never
// written through.
std::unique_ptr<QFile> createNoFollow(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    ::unlink(name.constData());
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

// Writes bytes to a new temporary file beside path and renames it over path; the rename
// replaces a symbolic link at path instead of following it.
FileWriteResult replaceNoFollow(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    QTemporaryFile temp(info.dir().filePath(info.fileName() + QStringLiteral(".XXXXXX")));
    const auto fail = [&path](const QString &why) {
        return FileWriteResult{false, QStringLiteral("%1 could not be written: %2").arg(path, why)};
    };
    if (!temp.open())
        return fail(temp.errorString());
    if (temp.write(bytes) != bytes.size() || !temp.flush() || ::fdatasync(temp.handle()) != 0)
        return fail(temp.errorString());
    if (::rename(QFile::encodeName(temp.fileName()).constData(),
                 QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    temp.setAutoRemove(false);
    return {};
}

QString pluralTracks(std::size_t n)
{
    return n == 1 ? QStringLiteral("1 track") : QStringLiteral("%1 tracks").arg(n);
}

} // namespace

void TrackSnapshot::take(const TrackStore &store)
{
    for (int t = 0; t < kUserTracks; ++t) {
        m_headers[static_cast<std::size_t>(t)] = store[t];
        m_hashes[static_cast<std::size_t>(t)] = trackHash(store, t);
    }
}

std::vector<int> TrackSnapshot::changedTracks(const TrackStore &store) const
{
    std::vector<int> changed;
    for (int t = 0; t < kUserTracks; ++t) {
        const auto i = static_cast<std::size_t>(t);
        // A track made vacant since the save needs no recovery: there is nothing to restore.
        if (store[t].Mode == ModeNone)
            continue;
        if (!(store[t] == m_headers[i]) || trackHash(store, t) != m_hashes[i])
            changed.push_back(t);
    }
    return changed;
}

RunJournalWriter::RunJournalWriter(QString path) : m_path(std::move(path)) {}

RunJournalWriter::~RunJournalWriter() = default;

bool RunJournalWriter::begin(std::int32_t mode, std::int32_t track, const QString &title,
                             const QString &measTime)
{
    m_written = 0;
    m_companionWritten = 0;
    m_lastHeader.clear();
    m_file = createNoFollow(m_path);
    if (!m_file)
        return false;
    QByteArray body = "H\t";
    body += QByteArray::number(mode) + '\t' + QByteArray::number(track) + '\t' + encodeText(title) +
            '\t' + encodeText(measTime);
    return writeRecord(body) && m_file->flush() && ::fdatasync(m_file->handle()) == 0;
}

template <std::size_t N>
bool RunJournalWriter::appendRecords(const char *tag, const std::array<double, N> *points,
                                     int count, int &written)
{
    if (!m_file)
        return false;
    for (int i = 0; i < count; ++i) {
        QByteArray body = tag;
        for (double v : points[i]) {
            body += '\t';
            appendNumber(body, v);
        }
        if (!writeRecord(body))
            return false;
    }
    written += count;
    // Once the points are on the disk a power cut cannot take them.
    return m_file->flush() && ::fdatasync(m_file->handle()) == 0;
}

bool RunJournalWriter::append(const std::array<double, 3> *points, int count)
{
    return appendRecords("P", points, count, m_written);
}

bool RunJournalWriter::writeHeader(const TrackHeader &h)
{
    if (!m_file)
        return false;
    const QByteArray body = headerRecord(h);
    if (body == m_lastHeader)
        return true;
    if (!writeRecord(body) || !m_file->flush() || ::fdatasync(m_file->handle()) != 0)
        return false;
    m_lastHeader = body;
    return true;
}

bool RunJournalWriter::setCompanion(std::int32_t track)
{
    return m_file && writeRecord("C\t" + QByteArray::number(track));
}

bool RunJournalWriter::appendCompanion(const std::array<double, 3> *points, int count)
{
    return appendRecords("Q", points, count, m_companionWritten);
}

bool RunJournalWriter::setChannel(int channel, const QString &title, double scale)
{
    if (!m_file)
        return false;
    QByteArray body = "T\t" + QByteArray::number(channel) + '\t' + encodeText(title) + '\t';
    appendNumber(body, scale);
    return writeRecord(body);
}

bool RunJournalWriter::appendChannels(const ChannelPoint *points, int count)
{
    return appendRecords("M", points, count, m_written);
}

bool RunJournalWriter::isOpen() const
{
    return m_file != nullptr;
}

void RunJournalWriter::remove()
{
    m_file.reset();
    m_written = 0;
    m_companionWritten = 0;
    QFile::remove(m_path);
}

bool RunJournalWriter::writeRecord(const QByteArray &body)
{
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x",
                  crc32(std::string_view(body.constData(), std::size_t(body.size()))));
    QByteArray line = body;
    line += '\t';
    line += crc;
    line += '\n';
    return m_file->write(line) == line.size();
}

JournalRun readRunJournal(const QString &path)
{
    JournalRun run;
    QByteArray all;
    if (!readWholeFile(path, all).ok)
        return run;
    qsizetype pos = 0;
    bool headerSeen = false;
    while (pos < all.size()) {
        const qsizetype end = all.indexOf('\n', pos);
        if (end < 0) { // the last record was cut off
            run.damaged = true;
            break;
        }
        const std::optional<QByteArray> body = checkedBody(all.mid(pos, end - pos));
        pos = end + 1;
        if (!body) {
            run.damaged = true;
            break;
        }
        const QList<QByteArray> f = body->split('\t');
        if (!headerSeen) {
            if (f.size() != 5 || f[0] != "H") {
                run.damaged = true;
                break;
            }
            run.mode = f[1].toInt();
            run.track = std::clamp(f[2].toInt(), 0, kUserTracks - 1);
            run.title = decodeText(f[3]);
            run.measTime = decodeText(f[4]);
            headerSeen = true;
            continue;
        }
        bool ok = false;
        std::array<double, 3> p{};
        if (f[0] == "P") {
            ok = readPoint(f, p) && run.points.size() < std::size_t(kMaxPoints);
            if (ok)
                run.points.push_back(p);
        } else if (f[0] == "Q") {
            ok = readPoint(f, p) && run.companionPoints.size() < std::size_t(kMaxPoints);
            if (ok)
                run.companionPoints.push_back(p);
        } else if (f[0] == "F") {
            TrackHeader h;
            ok = readHeaderRecord(f, h);
            if (ok)
                run.header = h;
        } else if (f[0] == "M") {
            ChannelPoint m{};
            ok = readPoint(f, m) && run.channelPoints.size() < std::size_t(kMaxPoints);
            if (ok)
                run.channelPoints.push_back(m);
        } else if (f[0] == "T" && f.size() == 4) {
            bool number = false;
            const int channel = f[1].toInt(&number);
            double scale = 0;
            ok = number && channel >= 0 && channel < kJournalChannels && parseNumber(f[3], scale);
            if (ok) {
                run.channelTitles[std::size_t(channel)] = decodeText(f[2]);
                run.channelScales[std::size_t(channel)] = scale;
            }
        } else if (f[0] == "C" && f.size() == 2) {
            bool number = false;
            const int track = f[1].toInt(&number);
            ok = number && track >= 0 && track < kUserTracks;
            if (ok)
                run.companionTrack = track;
        }
        if (!ok) {
            run.damaged = true;
            break;
        }
    }
    if (!headerSeen) {
        const bool damaged = run.damaged;
        run = JournalRun();
        run.damaged = damaged;
    }
    return run;
}

QString RecoveryReport::summary() const
{
    const QString runText = run.pointCount() == 0 ? QString()
                                                  : QStringLiteral("a %1 run of %2 points")
                                                        .arg(modeName(run.mode).isEmpty()
                                                                 ? QStringLiteral("measurement")
                                                                 : modeName(run.mode))
                                                        .arg(run.pointCount());
    if (trackNumbers.empty() && runText.isEmpty())
        return {};
    if (trackNumbers.empty())
        return runText.left(1).toUpper() + runText.mid(1) + QStringLiteral(" was not saved");
    if (runText.isEmpty())
        return pluralTracks(trackNumbers.size()) + (trackNumbers.size() == 1
                                                        ? QStringLiteral(" was not saved")
                                                        : QStringLiteral(" were not saved"));
    return pluralTracks(trackNumbers.size()) + QStringLiteral(" and ") + runText +
           QStringLiteral(" were not saved");
}

RecoveryReport readRecovery(const QString &folder)
{
    RecoveryReport report;
    const QDir dir(folder);
    const QString trackPath = dir.filePath(QString::fromLatin1(kRecoveryFileName));
    if (QFileInfo::exists(trackPath)) {
        auto store = std::make_unique<TrackStore>();
        for (int t = 0; t < kTrackSlots; ++t)
            store->ClearTrack(t);
        const TrackFileReadResult r = loadTrackFile(*store, trackPath);
        if (r.status == TrackFileReadResult::Ok || r.status == TrackFileReadResult::StoppedEarly) {
            for (int t = 0; t < kUserTracks; ++t)
                if (!store->isVacant(t))
                    report.trackNumbers.push_back(t);
            if (!report.trackNumbers.empty())
                report.tracks = std::move(store);
        }
    }
    report.run = readRunJournal(dir.filePath(QString::fromLatin1(kJournalFileName)));
    return report;
}

namespace {

// Puts an interrupted run's points into track t with header h; the plot range follows from them.
void putRun(TrackStore &store, int t, const TrackHeader &header, const JournalRun &run,
            const std::vector<std::array<double, 3>> &points)
{
    store.ClearTrack(t);
    TrackHeader &h = store[t];
    h = header;
    h.Title = run.title;
    h.MeasTime = run.measTime;
    h.pnum = static_cast<std::int32_t>(points.size());
    for (int i = 0; i < h.pnum; ++i) {
        const auto &p = points[static_cast<std::size_t>(i)];
        for (int c = 0; c < kColumns; ++c)
            store.data(c, t, i) = p[static_cast<std::size_t>(c)];
        // A potential step records milliseconds and stores seconds.
        if (h.Mode == ModePS)
            store.data(0, t, i) /= 1000.0;
    }
    double xmin = store.data(0, t, 0), xmax = xmin, ymin = store.data(1, t, 0), ymax = ymin;
    for (int i = 1; i < h.pnum; ++i) {
        xmin = std::min(xmin, store.data(0, t, i)), xmax = std::max(xmax, store.data(0, t, i));
        ymin = std::min(ymin, store.data(1, t, i)), ymax = std::max(ymax, store.data(1, t, i));
    }
    h.Vxmin = xmin, h.Vxmax = xmax, h.Vymin = ymin, h.Vymax = ymax;
}

} // namespace

std::vector<int> restoreRecovery(const RecoveryReport &report, TrackStore &store)
{
    std::vector<int> written;
    for (int t : report.trackNumbers) {
        store[t] = (*report.tracks)[t];
        const int n = std::clamp(store[t].pnum, 0, kMaxPoints);
        for (int c = 0; c < kColumns; ++c)
            std::copy_n(report.tracks->data.column(c, t), n, store.data.column(c, t));
        const auto i = static_cast<std::size_t>(t);
        store.kl.KLUseFlag[i] = report.tracks->kl.KLUseFlag[i];
        store.kl.KLNStart[i] = report.tracks->kl.KLNStart[i];
        store.kl.KLNEnd[i] = report.tracks->kl.KLNEnd[i];
        store.kl.KLBaseMode[i] = report.tracks->kl.KLBaseMode[i];
        store.kl.KLBaseTrack[i] = report.tracks->kl.KLBaseTrack[i];
        store.kl.KLBaseNEnd[i] = report.tracks->kl.KLBaseNEnd[i];
        store.kl.KLSubVal[i] = report.tracks->kl.KLSubVal[i];
        written.push_back(t);
    }
    const JournalRun &run = report.run;
    // The companion first, so a run whose companion wrapped onto its own track keeps the run.
    if (!run.points.empty() && run.companionTrack >= 0 && !run.companionPoints.empty() &&
        run.companionTrack != run.track) {
        TrackHeader h = run.header.value_or(TrackHeader());
        h.Mode = ModeSSVAll;
        putRun(store, run.companionTrack, h, run, run.companionPoints);
        written.push_back(run.companionTrack);
    }
    // A multipotentiostat run: channel k into track k, as the run would have stored it.
    for (int k = 0; !run.channelPoints.empty() && k < kJournalChannels; ++k) {
        std::vector<std::array<double, 3>> points;
        points.reserve(run.channelPoints.size());
        for (const ChannelPoint &m : run.channelPoints)
            points.push_back({m[std::size_t(1 + 2 * k)], m[std::size_t(2 + 2 * k)], m[0]});
        TrackHeader h;
        h.Mode = ModeMulti;
        h.DiskYscale = run.channelScales[std::size_t(k)];
        putRun(store, k, h, run, points);
        TrackHeader &stored = store[k];
        stored.Title = run.channelTitles[std::size_t(k)];
        // Against time, as the run plots it.
        stored.Vxmin = points.front()[2];
        stored.Vxmax = points.back()[2];
        if (std::find(written.begin(), written.end(), k) == written.end())
            written.push_back(k);
    }
    if (!run.points.empty()) {
        const int t = run.track;
        TrackHeader h = run.header.value_or(TrackHeader());
        h.Mode = run.mode > 0 ? run.mode : ModeCV;
        putRun(store, t, h, run, run.points);
        if (std::find(written.begin(), written.end(), t) == written.end())
            written.push_back(t);
    }
    if (!written.empty())
        store.markChanged();
    return written;
}

FileWriteResult writeRecoveryTracks(const TrackStore &store, const std::vector<int> &tracks,
                                    const QString &path)
{
    if (tracks.empty()) {
        QFile::remove(path);
        return {};
    }
    auto copy = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        copy->ClearTrack(t);
    for (int t : tracks) {
        (*copy)[t] = store[t];
        const int n = std::clamp(store[t].pnum, 0, kMaxPoints);
        for (int c = 0; c < kColumns; ++c)
            std::copy_n(store.data.column(c, t), n, copy->data.column(c, t));
    }
    copy->kl = store.kl;
    // A recovery file is read back by this program only, so "." is its decimal separator.
    return replaceNoFollow(path, trackFileText(*copy, '.'));
}

QStringList setRecoveryAside(const QString &folder, const QDateTime &when)
{
    const QDir dir(folder);
    const QString stamp =
        QStringLiteral("recovery-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // One name for both files of a set, taken by no earlier set.
    QString base = stamp;
    for (int n = 2; QFileInfo::exists(dir.filePath(base + QStringLiteral(".tvd"))) ||
                    QFileInfo::exists(dir.filePath(base + QStringLiteral(".journal")));
         ++n)
        base = stamp + QStringLiteral("-%1").arg(n);
    QStringList moved;
    for (const auto &[name, suffix] :
         {std::pair{kRecoveryFileName, ".tvd"}, std::pair{kJournalFileName, ".journal"}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        const QString aside = dir.filePath(base + QString::fromLatin1(suffix));
        if (QFileInfo(path).isFile() && QFile::rename(path, aside))
            moved << aside;
    }
    return moved;
}

} // namespace tervo
