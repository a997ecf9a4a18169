#include "TrackImport.h"

#include "core/NumberFormat.h"
#include "tracks/OccupiedTracks.h"
#include "tracks/Tables.h"
#include "tracks/TrackEditing.h"
#include "tracks/TrackFile.h"

#include <QFileInfo>

namespace tervo {

FileStamp FileStamp::of(const QString &path)
{
    const QFileInfo fi(path);
    FileStamp s;
    s.exists = fi.exists();
    if (s.exists) {
        s.size = fi.size();
        s.modified = fi.lastModified();
    }
    return s;
}

TrackFileCheck readHeaderTable(const QString &path, HeaderTable &table)
{
    const QFileInfo fi(path);
    // A pipe or device could block the reader or never end; a huge file would fill the memory.
    if (!fi.isFile() || fi.size() > kMaxTrackFileBytes)
        return TrackFileCheck::Unreadable;
    if (!IsTrackFile(path))
        return fi.isReadable() ? TrackFileCheck::NotTrackFile : TrackFileCheck::Unreadable;
    table = HeaderTable{};
    if (!ReadTrackHeaders(path, table))
        return TrackFileCheck::Unreadable;
    return TrackFileCheck::Ok;
}

ImportStatus importTrack(const QString &path, int trackInFile, TrackStore &store, int slot,
                         const FileStamp *expected)
{
    if (!QFileInfo::exists(path))
        return ImportStatus::Vanished;
    if (expected && !(FileStamp::of(path) == *expected))
        return ImportStatus::Changed;
    HeaderTable table;
    switch (readHeaderTable(path, table)) {
    case TrackFileCheck::NotTrackFile:
        return ImportStatus::NotTrackFile;
    case TrackFileCheck::Unreadable:
        return ImportStatus::Unreadable;
    case TrackFileCheck::Ok:
        break;
    }
    if (trackInFile < 0 || trackInFile >= kUserTracks ||
        table[static_cast<std::size_t>(trackInFile)].Mode < 1)
        return ImportStatus::Vacant;
    if (!ReadTrackFromFile(path, trackInFile, store, slot))
        return ImportStatus::Unreadable;
    return ImportStatus::Ok;
}

QString importMessage(ImportStatus status, const QString &path)
{
    switch (status) {
    case ImportStatus::Ok:
        return QString();
    case ImportStatus::Vanished:
        return QStringLiteral("The file %1 cannot be found any more. Nothing was imported.")
            .arg(path);
    case ImportStatus::Changed:
        return QStringLiteral("The file %1 has changed since its tracks were listed. Nothing was "
                              "imported; please choose it again.")
            .arg(path);
    case ImportStatus::NotTrackFile:
        return QStringLiteral("This file type is not recognized.");
    case ImportStatus::Vacant:
        return QString::fromLatin1(kSelectValidTrackMessage);
    case ImportStatus::Unreadable:
        return QStringLiteral("The file %1 could not be read. Nothing was imported.").arg(path);
    }
    return QString();
}

ImportTrackController::ImportTrackController(TrackStore &store, Prompts &prompts)
    : m_store(store), m_prompts(prompts)
{
}

QStringList ImportTrackController::headings()
{
    return {QStringLiteral("Track"), QStringLiteral("Mode"),     QStringLiteral("Title"),
            QStringLiteral("RPM"),   QStringLiteral("scanrate"), QStringLiteral("Time")};
}

void ImportTrackController::chooseFile(const QString &path)
{
    m_path = path;
    m_stamp = FileStamp::of(path);
    m_valid = readHeaderTable(path, m_headers) == TrackFileCheck::Ok;
    if (!m_valid)
        m_selection = -1;
}

QString ImportTrackController::cellText(int row, int column) const
{
    if (!m_valid || row < 1 || row > kRows || column < 0 || column >= kColumns)
        return QString();
    const TrackHeader &h = m_headers[static_cast<std::size_t>(row - 1)];
    if (h.Mode == 0)
        return QStringLiteral(" ");
    switch (column) {
    case 0:
        return QString::number(row - 1);
    case 1:
        return modeName(h.Mode);
    case 2:
        return h.Title;
    case 3:
        return formatGeneral(h.RPM);
    case 4:
        return formatGeneral(h.Scanrate);
    default:
        return h.MeasTime;
    }
}

bool ImportTrackController::stillTheSameFile()
{
    const ImportStatus s = !QFileInfo::exists(m_path)            ? ImportStatus::Vanished
                           : !(FileStamp::of(m_path) == m_stamp) ? ImportStatus::Changed
                                                                 : ImportStatus::Ok;
    if (s == ImportStatus::Ok)
        return true;
    m_prompts.message(importMessage(s, m_path));
    return false;
}

bool ImportTrackController::clickRow(int row)
{
    if (!m_valid || row < 1 || row > kRows)
        return false;
    m_selection = row - 1;
    if (m_headers[static_cast<std::size_t>(m_selection)].Mode == 0)
        return false;
    if (!stillTheSameFile())
        return false;
    return ReadTrackFromFile(m_path, m_selection, m_store, kScratchSlot);
}

bool ImportTrackController::importSelected()
{
    if (!m_valid)
        return false;
    if (m_selection < 0 || m_headers[static_cast<std::size_t>(m_selection)].Mode == 0) {
        m_prompts.message(QString::fromLatin1(kSelectValidTrackMessage));
        return false;
    }
    const int target = askBeforeReplacing(m_prompts, m_store, m_store.CurrentTrack);
    if (target < 0)
        return false;
    const ImportStatus s = importTrack(m_path, m_selection, m_store, target, &m_stamp);
    if (s != ImportStatus::Ok) {
        m_prompts.message(importMessage(s, m_path));
        return false;
    }
    if (showTrack)
        showTrack(target);
    return true;
}

} // namespace tervo
