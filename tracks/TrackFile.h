#pragma once

#include "core/FileWrite.h"
#include "state/TrackStore.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <string_view>

namespace tervo {

inline constexpr char kTrackFileSignature[] = "TERVO File";

// The outcome of reading a track file, with where and why reading stopped when it did.
struct TrackFileReadResult {
    // EndsEarly: the last data section is shorter than its pnum; the file is loaded all the
    // same and the message says where reading stopped.
    enum Status { Ok, CannotOpen, NotTrackFile, StoppedEarly, EndsEarly };
    Status status = Ok;
    int line = 0;   // 1-based line where reading stopped
    QString reason; // why it stopped, for the operator

    bool ok() const { return status == Ok; }
    // The file replaced the store and counts as opened (complete, or ending early).
    bool loaded() const { return status == Ok || status == EndsEarly; }
    // One sentence for a message box.
    QString message(const QString &path) const;
};

// The whole store as track-file text; data values use decimalSep.
QByteArray trackFileText(const TrackStore &store, char decimalSep);

// The same text handed to take in pieces, in file order, as they are formatted (a large store's
// on helper threads). Stops, and gives false, as soon as take returns false.
bool forEachTrackFilePiece(const TrackStore &store, char decimalSep,
                           const std::function<bool(std::string_view)> &take);

// Writes the store to path through a temporary file that replaces the old one only when
// complete, so a failed save leaves the previous file as it was.
FileWriteResult writeTrackFile(const TrackStore &store, const QString &path, char decimalSep);

// The "Save as" naming rule: ".tvd" is appended unless the name already ends with it
// (case-sensitive).
QString trackFileNameForSave(const QString &chosen);

// Loads a whole file into tracks 0..20 (the "Open" algorithm). When it loaded (loaded()) the file
// title becomes CurrentFileTitle, CurrentTrack 0 and FileLoadCount is incremented. A file with
// the wrong signature leaves the store unchanged.
TrackFileReadResult loadTrackFile(TrackStore &store, const QString &path);

// True when the first line of the file is exactly "TERVO File".
bool IsTrackFile(const QString &path);
bool IsTrackFileText(const QByteArray &bytes);

// Parses the key lines of every block into table[DataNum]; blocks numbered outside the table
// are skipped.
bool ReadTrackHeaders(const QString &path, std::array<TrackHeader, kTrackSlots> &table);

// Loads the block numbered trackInFile into slot destination (not cleared first). True when the
// block was found.
bool ReadTrackFromFile(const QString &path, int trackInFile, TrackStore &store, int destination);

} // namespace tervo
