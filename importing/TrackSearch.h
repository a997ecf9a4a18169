#pragma once

#include "TrackImport.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <thread>

namespace tervo {

inline constexpr int kMaxSearchHits = 200;

// What a track must satisfy; a criterion that is off lets every track pass.
struct SearchCriteria {
    bool useKeywords = false;
    QStringList keywords; // each must occur in the title, letter case ignored
    bool useMode = false;
    int mode = ModeCV;
    bool useRpm = false;
    double rpm = 0; // compared exactly
    bool useScanrate = false;
    double scanrate = 0; // compared exactly

    bool matches(const TrackHeader &h) const;
};

// The criteria as the window's fields hold them.
struct SearchFields {
    bool keywordsOn = false;
    QString keywords;
    bool modeOn = false;
    int modeIndex = 0; // position in the list of mode names from "CV" on
    bool rpmOn = false;
    QString rpm;
    bool scanrateOn = false;
    QString scanrate;
};

// Builds the criteria from the fields; the message that refuses the search, or an empty text.
QString buildCriteria(const SearchFields &fields, SearchCriteria &criteria);

// The mode names the measurement list offers, from "CV" on.
QStringList searchModeNames();

struct SearchHit {
    QString path;
    int track = 0;
    QString Title;
    int Mode = 0;
    double RPM = 0;
    double Scanrate = 0;
    FileStamp stamp; // the file as it was searched
};

// The result grid's headings and one hit's row: the last 30 characters of the path, track,
// title, mode name, rotation rate and scan rate.
QStringList searchHeadings();
QStringList hitCells(const SearchHit &hit);

// The regular files of a folder in file-list order (by name, letter case ignored).
QStringList searchFileList(const QString &folder);

struct SearchSummary {
    int filesSearched = 0;
    int unreadable = 0; // files that could not be read or were too large to be track files
    int hits = 0;
    bool cancelled = false;
};

// "3 files could not be read" (empty for none).
QString unreadableText(int count);

// Searches the files in order and reports each hit as it is found, at most 200; a file that
// cannot be read is counted and skipped. Stops early when cancel becomes true, and once 200 hits
// are held, as no later file can add one.
SearchSummary runSearch(const QStringList &files, const SearchCriteria &criteria,
                        const std::function<void(const SearchHit &)> &onHit,
                        const std::function<void(int done, int total)> &onProgress = {},
                        const std::atomic<bool> *cancel = nullptr);

// The search of a folder on a worker thread: hits and progress arrive as signals on the thread
// that owns this object while its event loop runs.
class TrackSearch : public QObject {
    Q_OBJECT
public:
    explicit TrackSearch(QObject *parent = nullptr);
    ~TrackSearch() override;

    // False while a search is running.
    bool start(const QString &folder, const SearchCriteria &criteria);
    void cancel();
    bool isRunning() const { return m_running; }
    const QList<SearchHit> &hits() const { return m_hits; }
    const SearchSummary &summary() const { return m_summary; }

signals:
    void hitFound(int index);
    void progress(int done, int total);
    void finished();

private:
    void stopWorker();

    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    QList<SearchHit> m_hits;
    SearchSummary m_summary;
};

// "Search Track": the criteria, the search, the chosen hit and its import into a chosen slot.
class SearchTrackController : public QObject {
    Q_OBJECT
public:
    SearchTrackController(TrackStore &store, Prompts &prompts, QObject *parent = nullptr);

    TrackSearch &search() { return m_search; }
    // "Search": checks the fields, then searches the folder; false when refused or running.
    bool startSearch(const QString &folder, const SearchFields &fields);

    int selection() const { return m_selection; }
    // A click on result row 1..n.
    void selectRow(int row);

    int destination() const { return m_destination; }
    void stepDestination(int delta) { m_destination = wrapTrack(m_destination + delta); }
    void setDestination(int track) { m_destination = wrapTrack(track); }
    // The destination's title, empty when the slot is vacant.
    QString destinationTitle() const;

    // "Import": true when the chosen hit was read into the destination.
    bool importSelected();

    std::function<void(int track)> showTrack;

private:
    TrackStore &m_store;
    Prompts &m_prompts;
    TrackSearch m_search;
    int m_selection = -1;
    int m_destination = 0;
};

} // namespace tervo
