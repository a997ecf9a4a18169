#pragma once

#include "core/Prompts.h"
#include "state/TrackStore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace tervo {

// The largest file taken for a track file: 21 full tracks of three columns fit several times
// over; anything bigger is not read into memory.
inline constexpr qint64 kMaxTrackFileBytes = 64LL * 1024 * 1024;

// Size and modification time of a file when it was read, to notice that it changed later.
struct FileStamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;

    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &o) const
    {
        return exists == o.exists && size == o.size && modified == o.modified;
    }
};

using HeaderTable = std::array<TrackHeader, kTrackSlots>;

enum class TrackFileCheck { Ok, NotTrackFile, Unreadable };

// Reads the header of every track of a file into a table of vacant headers. A file that cannot
// be opened, is not a regular file or is too large is Unreadable; a readable file without the
// signature line is NotTrackFile.
TrackFileCheck readHeaderTable(const QString &path, HeaderTable &table);

enum class ImportStatus { Ok, Vanished, Changed, NotTrackFile, Vacant, Unreadable };

// Reads track trackInFile of the file at path into slot of the store, as the import windows and
// tervo-tool do it. With an expected stamp, a file that changed since it was listed is refused;
// nothing is read then, nor when the file is gone or the track is vacant.
ImportStatus importTrack(const QString &path, int trackInFile, TrackStore &store, int slot,
                         const FileStamp *expected = nullptr);

// A sentence for the operator; empty for Ok.
QString importMessage(ImportStatus status, const QString &path);

inline constexpr char kSelectValidTrackMessage[] = "Please select a varid track!";

// "Import Track": the tracks of one chosen file, a preview of the one clicked, and its import into
// the main window's current track.
class ImportTrackController {
public:
    static constexpr int kRows = kUserTracks; // grid rows 1..21 show tracks 0..20
    static constexpr int kColumns = 6;

    ImportTrackController(TrackStore &store, Prompts &prompts);

    // A file chosen in the file list: lists its tracks, or blanks the grid when it is not a
    // track file.
    void chooseFile(const QString &path);
    QString path() const { return m_path; }
    bool isValid() const { return m_valid; }
    int selection() const { return m_selection; }
    const HeaderTable &headers() const { return m_headers; }

    static QStringList headings();
    // Row 1..21, column 0..5.
    QString cellText(int row, int column) const;

    // A click on grid row 1..21 of a valid file; true when the scratch slot was refilled with
    // the track for the preview.
    bool clickRow(int row);
    // "Import": true when the track was read into the current track.
    bool importSelected();

    // Called after a track of the store was replaced, so the main window shows it.
    std::function<void(int track)> showTrack;

private:
    bool stillTheSameFile();

    TrackStore &m_store;
    Prompts &m_prompts;
    QString m_path;
    bool m_valid = false;
    int m_selection = -1;
    FileStamp m_stamp;
    HeaderTable m_headers;
};

} // namespace tervo
