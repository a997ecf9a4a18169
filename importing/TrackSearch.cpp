#include "TrackSearch.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/Tables.h"

#include <QDir>
#include <algorithm>

namespace tervo {

bool SearchCriteria::matches(const TrackHeader &h) const
{
    if (h.Mode < 1)
        return false;
    if (useMode && h.Mode != mode)
        return false;
    if (useScanrate && h.Scanrate != scanrate)
        return false;
    if (useRpm && h.RPM != rpm)
        return false;
    if (useKeywords)
        for (const QString &k : keywords)
            if (!h.Title.contains(k, Qt::CaseInsensitive))
                return false;
    return true;
}

QString buildCriteria(const SearchFields &f, SearchCriteria &c)
{
    c = SearchCriteria();
    if (f.keywordsOn) {
        if (f.keywords.isEmpty())
            return QStringLiteral("Please input keywords!");
        c.useKeywords = true;
        c.keywords = f.keywords.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    }
    if (f.rpmOn) {
        c.useRpm = true;
        c.rpm = parseDecimal(QStringView(f.rpm));
        if (c.rpm < 0)
            return QStringLiteral("Please input RPM!");
    }
    if (f.scanrateOn) {
        c.useScanrate = true;
        c.scanrate = parseDecimal(QStringView(f.scanrate));
        if (!(c.scanrate > 0))
            return QStringLiteral("Please input scanrate!");
    }
    if (f.modeOn) {
        c.useMode = true;
        c.mode = std::clamp(f.modeIndex + 1, 1, kModeCount - 1);
    }
    return QString();
}

QStringList searchModeNames()
{
    return ModeNames().mid(1);
}

QStringList searchHeadings()
{
    return {QStringLiteral("Filename"), QStringLiteral("Track"), QStringLiteral("Title"),
            QStringLiteral("Method"),   QStringLiteral("RPM"),   QStringLiteral("Scanrate")};
}

QStringList hitCells(const SearchHit &hit)
{
    return {hit.path.right(30), QString::number(hit.track), hit.Title,
            modeName(hit.Mode), formatGeneral(hit.RPM),     formatGeneral(hit.Scanrate)};
}

QStringList searchFileList(const QString &folder)
{
    // Only regular files: a pipe or a device in the folder would block the reader.
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    QStringList files;
    files.reserve(entries.size());
    for (const QFileInfo &fi : entries)
        files << fi.filePath();
    return files;
}

QString unreadableText(int count)
{
    if (count <= 0)
        return QString();
    return count == 1 ? QStringLiteral("1 file could not be read")
                      : QStringLiteral("%1 files could not be read").arg(count);
}

SearchSummary runSearch(const QStringList &files, const SearchCriteria &criteria,
                        const std::function<void(const SearchHit &)> &onHit,
                        const std::function<void(int, int)> &onProgress,
                        const std::atomic<bool> *cancel)
{
    SearchSummary summary;
    const int total = static_cast<int>(files.size());
    HeaderTable table;
    for (int i = 0; i < total && summary.hits < kMaxSearchHits; ++i) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            summary.cancelled = true;
            break;
        }
        const QString &path = files.at(i);
        const FileStamp stamp = FileStamp::of(path);
        ++summary.filesSearched;
        switch (readHeaderTable(path, table)) {
        case TrackFileCheck::Unreadable:
            ++summary.unreadable;
            break;
        case TrackFileCheck::NotTrackFile:
            break;
        case TrackFileCheck::Ok:
            for (int t = 0; t < kUserTracks && summary.hits < kMaxSearchHits; ++t) {
                const TrackHeader &h = table[static_cast<std::size_t>(t)];
                if (!criteria.matches(h))
                    continue;
                ++summary.hits;
                if (onHit)
                    onHit(SearchHit{path, t, h.Title, h.Mode, h.RPM, h.Scanrate, stamp});
            }
            break;
        }
        if (onProgress)
            onProgress(i + 1, total);
    }
    return summary;
}

TrackSearch::TrackSearch(QObject *parent) : QObject(parent) {}

TrackSearch::~TrackSearch()
{
    stopWorker();
}

void TrackSearch::stopWorker()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

bool TrackSearch::start(const QString &folder, const SearchCriteria &criteria)
{
    if (m_running)
        return false;
    stopWorker();
    m_cancel = false;
    m_running = true;
    m_hits.clear();
    m_summary = SearchSummary();
    m_worker = std::thread([this, folder, criteria] {
        const QStringList files = searchFileList(folder);
        const SearchSummary summary = runSearch(
            files, criteria,
            [this](const SearchHit &hit) {
                QMetaObject::invokeMethod(
                    this,
                    [this, hit] {
                        m_hits.append(hit);
                        emit hitFound(static_cast<int>(m_hits.size()) - 1);
                    },
                    Qt::QueuedConnection);
            },
            [this](int done, int total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { emit progress(done, total); },
                    Qt::QueuedConnection);
            },
            &m_cancel);
        QMetaObject::invokeMethod(
            this,
            [this, summary] {
                m_summary = summary;
                m_running = false;
                if (m_worker.joinable())
                    m_worker.join();
                emit finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void TrackSearch::cancel()
{
    m_cancel = true;
}

SearchTrackController::SearchTrackController(TrackStore &store, Prompts &prompts, QObject *parent)
    : QObject(parent), m_store(store), m_prompts(prompts)
{
}

bool SearchTrackController::startSearch(const QString &folder, const SearchFields &fields)
{
    if (m_search.isRunning())
        return false;
    SearchCriteria criteria;
    const QString refusal = buildCriteria(fields, criteria);
    if (!refusal.isEmpty()) {
        m_prompts.message(refusal);
        return false;
    }
    m_selection = -1;
    return m_search.start(folder, criteria);
}

void SearchTrackController::selectRow(int row)
{
    if (row >= 1 && row <= m_search.hits().size())
        m_selection = row - 1;
}

QString SearchTrackController::destinationTitle() const
{
    return m_store.isVacant(m_destination) ? QString() : m_store[m_destination].Title;
}

bool SearchTrackController::importSelected()
{
    if (m_selection < 0 || m_selection >= m_search.hits().size()) {
        m_prompts.message(QStringLiteral("Please Select a Track!"));
        return false;
    }
    const SearchHit &hit = m_search.hits().at(m_selection);
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    const ImportStatus s = importTrack(hit.path, hit.track, m_store, m_destination, &hit.stamp);
    if (s != ImportStatus::Ok) {
        m_prompts.message(importMessage(s, hit.path));
        return false;
    }
    if (showTrack)
        showTrack(m_destination);
    return true;
}

} // namespace tervo
