#include "ForeignImportController.h"

#include "ColumnMemory.h"
#include "tracks/Tables.h"

#include <QFileInfo>

namespace tervo::foreign {

ForeignImportController::ForeignImportController(TrackStore &store, Prompts &prompts,
                                                 QSettings *memory, QObject *parent)
    : QObject(parent), m_store(store), m_prompts(prompts), m_memory(memory)
{
}

int ForeignImportController::addFiles(const QStringList &paths)
{
    int added = 0;
    for (const QString &path : paths) {
        ReadResult r = readForeignFile(path);
        if (!r.ok()) {
            m_prompts.message(r.error.message());
            continue;
        }
        if (r.file->format == Format::Delimited && m_memory)
            recallColumns(*m_memory, *r.file);
        m_files.push_back(std::move(*r.file));
        ++added;
    }
    if (added > 0)
        m_current = count() - added;
    emit changed();
    return added;
}

void ForeignImportController::removeFile(int index)
{
    if (index < 0 || index >= count())
        return;
    m_files.erase(m_files.begin() + index);
    m_current = std::min(m_current, count() - 1);
    emit changed();
}

void ForeignImportController::clear()
{
    m_files.clear();
    m_current = -1;
    emit changed();
}

void ForeignImportController::select(int index)
{
    if (index < 0 || index >= count() || index == m_current)
        return;
    m_current = index;
    emit changed();
}

ForeignFile *ForeignImportController::selected()
{
    return m_current >= 0 && m_current < count() ? &m_files[static_cast<std::size_t>(m_current)]
                                                 : nullptr;
}

void ForeignImportController::choiceMade()
{
    // Delimited text has no fixed layout: the next file with these titles opens the same way.
    const ForeignFile *f = selected();
    if (f && f->format == Format::Delimited && m_memory && !checkChoices(*f))
        rememberColumns(*m_memory, *f);
    emit changed();
}

void ForeignImportController::setMode(int mode)
{
    if (ForeignFile *f = selected()) {
        foreign::setMode(*f, mode);
        choiceMade();
    }
}

void ForeignImportController::setRpm(double rpm)
{
    if (ForeignFile *f = selected()) {
        f->rpm = std::max(0.0, rpm);
        emit changed();
    }
}

void ForeignImportController::setTitle(const QString &title)
{
    if (ForeignFile *f = selected()) {
        f->title = title;
        emit changed();
    }
}

void ForeignImportController::setFlipCurrent(bool flip)
{
    if (ForeignFile *f = selected()) {
        f->flipCurrent = flip;
        emit changed();
    }
}

void ForeignImportController::setColumns(int x, int y)
{
    ForeignFile *f = selected();
    const int n = f ? static_cast<int>(f->columns.size()) : 0;
    if (x < 0 || x >= n || y < 0 || y >= n)
        return;
    if (x != f->x && !f->columns[static_cast<std::size_t>(x)].unit.isEmpty())
        f->xUnit = f->columns[static_cast<std::size_t>(x)].unit;
    if (y != f->y && !f->columns[static_cast<std::size_t>(y)].unit.isEmpty())
        f->yUnit = f->columns[static_cast<std::size_t>(y)].unit;
    f->x = x;
    f->y = y;
    choiceMade();
}

void ForeignImportController::setUnits(const QString &xUnit, const QString &yUnit)
{
    if (ForeignFile *f = selected()) {
        f->xUnit = xUnit;
        f->yUnit = yUnit;
        choiceMade();
    }
}

void ForeignImportController::setThinning(Thinning thinning)
{
    if (ForeignFile *f = selected()) {
        f->thinning = thinning;
        emit changed();
    }
}

void ForeignImportController::setStartTrack(int track)
{
    m_startTrack = std::clamp(track, 0, kUserTracks - 1);
    emit changed();
}

QStringList ForeignImportController::summary(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const ForeignFile &f = file(index);
    QStringList lines;
    lines << QStringLiteral("Format: ") + formatName(f.format)
          << QStringLiteral("Technique: ") + f.technique
          << QStringLiteral("Mode: ") + modeName(f.mode)
          << QStringLiteral("Units: x in %1, y in %2 (stored in %3 and A)")
                 .arg(f.xUnit, f.yUnit,
                      f.mode == ModePS ? QStringLiteral("s") : QStringLiteral("V"))
          << QStringLiteral("Points: %1").arg(f.points())
          << QStringLiteral("Current sign: ") + f.signNote +
                 (f.flipCurrent ? QStringLiteral("; stored flipped")
                                : QStringLiteral("; stored as recorded"));
    if (const QString note = thinningNote(f); !note.isEmpty())
        lines << note;
    return lines;
}

QString ForeignImportController::problem() const
{
    if (m_current < 0 || m_current >= count())
        return QString();
    const std::optional<ReadError> e = checkChoices(file(m_current));
    return e ? e->message() : QString();
}

int ForeignImportController::importAll()
{
    int last = -1;
    for (int i = 0; i < count(); ++i) {
        const ForeignFile &f = file(i);
        const QString name = QFileInfo(f.path).fileName();
        const int track = m_startTrack + i;
        if (track >= kUserTracks) {
            m_prompts.message(
                QStringLiteral("No track is left for %1 and the files after it: tracks end at 20.")
                    .arg(name));
            break;
        }
        if (const std::optional<ReadError> e = checkChoices(f)) {
            m_prompts.message(e->message() + QStringLiteral(" It was not imported."));
            continue;
        }
        if (!m_store.isVacant(track) &&
            !m_prompts.askYesNo(QStringLiteral("Track %1 holds \"%2\". Replace it with %3?")
                                    .arg(track)
                                    .arg(m_store[track].Title, name)))
            continue;
        writeTrack(m_store, track, f);
        last = track;
        emit trackWritten(track);
    }
    return last;
}

} // namespace tervo::foreign
