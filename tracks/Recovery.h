#pragma once

#include "TrackFile.h"
#include "state/TrackStore.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tervo {

inline constexpr char kRecoveryFileName[] = "recovery.tvd";
inline constexpr char kJournalFileName[] = "recovery.journal";

// The user tracks as they were at the last save or load; a track that differs from its
// snapshot has not been saved.
class TrackSnapshot {
public:
    void take(const TrackStore &store);
    std::vector<int> changedTracks(const TrackStore &store) const;

private:
    std::array<TrackHeader, kUserTracks> m_headers{};
    std::array<std::uint64_t, kUserTracks> m_hashes{};
};

// The header of a run in progress, as far as it is known before the run is stored.
// The channels of a multipotentiostat run; each point of it is the time (s), then potential and
// current of every channel.
inline constexpr int kJournalChannels = 10;
using ChannelPoint = std::array<double, 1 + 2 * kJournalChannels>;

struct JournalRun {
    std::int32_t mode = 0;
    std::int32_t track = 0;
    QString title;
    QString measTime;
    std::vector<std::array<double, 3>> points;
    // The header the run is to be stored with (scan rate, potentials, Conc, Area, RPM...), when
    // the journal recorded one; the last one recorded counts.
    std::optional<TrackHeader> header;
    // The track that takes every sample of the run as well (SSVAll), -1 when none, and its
    // samples so far.
    std::int32_t companionTrack = -1;
    std::vector<std::array<double, 3>> companionPoints;
    // A multipotentiostat run's points, and its channels' titles and current scales; it goes
    // into tracks 0 to 9.
    std::vector<ChannelPoint> channelPoints;
    std::array<QString, kJournalChannels> channelTitles;
    std::array<double, kJournalChannels> channelScales{};
    std::size_t pointCount() const { return std::max(points.size(), channelPoints.size()); }
    // A record that was cut off or damaged was found and left out.
    bool damaged = false;
};

// The points of the run in progress, appended as they come. Each record is one line carrying
// its own checksum, so a record torn by a crash is recognised and dropped on reading.
class RunJournalWriter {
public:
    explicit RunJournalWriter(QString path);
    ~RunJournalWriter();

    // Starts a new journal for a run; the previous one is replaced.
    bool begin(std::int32_t mode, std::int32_t track, const QString &title,
               const QString &measTime);
    // The header the run is to be stored with, forced to the disk; written again only when it
    // changed.
    bool writeHeader(const TrackHeader &h);
    // Names the track that takes every sample as well (SSVAll).
    bool setCompanion(std::int32_t track);
    // Appends points and forces them to the disk.
    bool append(const std::array<double, 3> *points, int count);
    // Appends samples of the companion track and forces them to the disk.
    bool appendCompanion(const std::array<double, 3> *points, int count);
    // Names a multipotentiostat channel and its current scale.
    bool setChannel(int channel, const QString &title, double scale);
    // Appends points of a multipotentiostat run and forces them to the disk.
    bool appendChannels(const ChannelPoint *points, int count);
    bool isOpen() const;
    int written() const { return m_written; }
    int companionWritten() const { return m_companionWritten; }
    // Closes and deletes the journal.
    void remove();

private:
    bool writeRecord(const QByteArray &body);
    // One record of tag and numbers a point, then all forced to the disk; written counts them.
    template <std::size_t N>
    bool appendRecords(const char *tag, const std::array<double, N> *points, int count,
                       int &written);

    QString m_path;
    std::unique_ptr<QFile> m_file;
    int m_written = 0;
    int m_companionWritten = 0;
    QByteArray m_lastHeader;
};

// Reads a journal; an absent or empty one gives a run with no points and mode 0.
JournalRun readRunJournal(const QString &path);

// What a crash left behind in the settings folder.
struct RecoveryReport {
    std::unique_ptr<TrackStore> tracks; // the unsaved finished tracks, null when none
    std::vector<int> trackNumbers;
    JournalRun run; // the run that was in progress; no points when none

    bool empty() const { return trackNumbers.empty() && run.pointCount() == 0; }
    // "3 tracks and a CV run of 812 points were not saved"
    QString summary() const;
};

RecoveryReport readRecovery(const QString &folder);

// Puts the unsaved tracks back into their slots and the interrupted run into its target track.
// Returns the tracks written.
std::vector<int> restoreRecovery(const RecoveryReport &report, TrackStore &store);

// Writes the given tracks of the store to the recovery track file (atomically, replacing a
// symbolic link found in its place rather than writing through it); with no tracks the file is
// removed.
FileWriteResult writeRecoveryTracks(const TrackStore &store, const std::vector<int> &tracks,
                                    const QString &path);

// Moves the recovery files aside under names stamped with when ("recovery-20261208-093000.tvd"
// and ".journal"), so every declined restore is still on the disk. Returns the new paths.
QStringList setRecoveryAside(const QString &folder, const QDateTime &when);

} // namespace tervo
