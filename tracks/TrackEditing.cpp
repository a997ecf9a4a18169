#include "TrackEditing.h"

#include "OccupiedTracks.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "state/TrackModes.h"

#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

int points(const TrackHeader &h)
{
    return std::clamp(h.pnum, 0, kMaxPoints);
}

} // namespace

void copyTrack(TrackStore &store, int source, int destination)
{
    if (source == destination)
        return;
    store.CopyTrackHeader(source, destination);
    const int n = points(store[source]);
    // A recorded time column of a rotation-rate sweep stays behind.
    for (int c = 0; c < modeFacts(store[source].Mode).storedColumns; ++c)
        std::copy_n(store.data.column(c, source), n, store.data.column(c, destination));
    store.markChanged();
}

int replaceInTitles(TrackStore &store, const QString &before, const QString &after)
{
    if (before.isEmpty())
        return 0;
    int changed = 0;
    for (int t = 0; t < kUserTracks; ++t) {
        QString &title = store[t].Title;
        if (!title.contains(before, Qt::CaseSensitive))
            continue;
        title.replace(before, after, Qt::CaseSensitive);
        ++changed;
    }
    if (changed > 0)
        store.markChanged();
    return changed;
}

EditTracksController::EditTracksController(TrackStore &store, Prompts &prompts)
    : m_store(store), m_prompts(prompts)
{
}

QString EditTracksController::trackText(int track)
{
    return formatGeneralSigned(track);
}

bool EditTracksController::copy()
{
    if (m_source == m_destination) {
        m_prompts.message(QStringLiteral("You cannot copy between the same track."));
        return false;
    }
    if (m_store.isVacant(m_source)) {
        m_prompts.message(QStringLiteral("Source data is vacant."));
        return false;
    }
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    copyTrack(m_store, m_source, m_destination);
    notify();
    return true;
}

bool EditTracksController::move()
{
    if (m_source == m_destination) {
        m_prompts.message(QStringLiteral("You cannot move between the same track."));
        return false;
    }
    if (m_store.isVacant(m_source)) {
        m_prompts.message(QStringLiteral("Source data is vacant."));
        return false;
    }
    // Moving onto a track replaces it as a copy would.
    const int destination = askBeforeReplacing(m_prompts, m_store, m_destination);
    if (destination < 0)
        return false;
    m_destination = destination;
    copyTrack(m_store, m_source, m_destination);
    m_store.ClearTrack(m_source);
    notify();
    return true;
}

bool EditTracksController::swap()
{
    if (m_source == m_destination) {
        m_prompts.message(QStringLiteral("You cannot swap between the same track."));
        return false;
    }
    if (m_store.isVacant(m_source) && m_store.isVacant(m_destination)) {
        m_prompts.message(QStringLiteral("Source data and destination data are vacant."));
        return false;
    }
    copyTrack(m_store, m_destination, kScratchSlot);
    copyTrack(m_store, m_source, m_destination);
    copyTrack(m_store, kScratchSlot, m_source);
    notify();
    return true;
}

void EditTracksController::notify()
{
    if (changed)
        changed();
}

TrackEditor::TrackEditor(TrackStore &store, Prompts &prompts, CycleFn cycles)
    : m_store(store), m_prompts(prompts), m_cycles(std::move(cycles))
{
}

bool TrackEditor::follow()
{
    if (m_store.CurrentTrack == m_track)
        return false;
    show(m_store.CurrentTrack);
    return true;
}

void TrackEditor::show(int track)
{
    m_track = std::clamp(track, 0, kUserTracks - 1);
    m_cycle = 0;
    m_previewTrack = -1;
    rebuild();
}

void TrackEditor::rebuild()
{
    m_bounds = m_track >= 0 && m_cycles ? m_cycles(m_store, m_track) : std::vector<int>{};
    m_cycle = std::clamp(m_cycle, 0, std::max(0, cycleCount() - 1));
    m_marked = -1;
}

int TrackEditor::cycleCount() const
{
    return m_bounds.size() < 2 ? 0 : static_cast<int>(m_bounds.size()) - 1;
}

QStringList TrackEditor::cycleNames() const
{
    QStringList names;
    for (int k = 0; k < cycleCount(); ++k)
        names << QStringLiteral("Cycle") + formatGeneralSigned(k + 1);
    return names;
}

void TrackEditor::selectCycle(int k)
{
    if (k < 0 || k >= cycleCount())
        return;
    m_cycle = k;
    m_marked = -1;
    m_previewTrack = -1;
}

int TrackEditor::firstPoint() const
{
    if (cycleCount() == 0)
        return 0;
    return std::max(0, m_bounds[static_cast<std::size_t>(m_cycle)]);
}

int TrackEditor::lastPoint() const
{
    if (cycleCount() == 0)
        return -1;
    // A boundary list never reaches past the points the track holds.
    const int last = m_bounds[static_cast<std::size_t>(m_cycle) + 1];
    return std::min(last, points(m_store[m_track]) - 1);
}

int TrackEditor::columnCount() const
{
    if (m_track < 0)
        return 2;
    return modeFacts(m_store[m_track].Mode).ringColumn ? 3 : 2;
}

int TrackEditor::rowCount() const
{
    return 1 + std::max(0, lastPoint() - firstPoint() + 1);
}

QString TrackEditor::heading(int column) const
{
    const ModeFacts &f = modeFacts(m_track < 0 ? ModeNone : m_store[m_track].Mode);
    switch (column) {
    case 0:
        if (f.sweep)
            return QStringLiteral("E/V");
        if (f.xColumn != 0)
            return QString();
        if (f.xAxis == ModeAxis::Time)
            return QStringLiteral("time/s");
        if (f.xAxis == ModeAxis::RotationRate)
            return QStringLiteral("rpm");
        return QString();
    case 1:
        return QStringLiteral("Disk/A");
    case 2:
        return columnCount() == 3 ? QStringLiteral("Ring/A") : QString();
    default:
        return QString();
    }
}

int TrackEditor::pointOfRow(int row) const
{
    if (row < 1 || row >= rowCount())
        return -1;
    return firstPoint() + row - 1;
}

QString TrackEditor::cellText(int row, int column) const
{
    if (row == 0)
        return heading(column);
    const int p = pointOfRow(row);
    if (p < 0 || column < 0 || column >= columnCount())
        return QString();
    static const NumberPattern pattern = NumberPattern::compile("0.000e+0");
    std::string out;
    appendPattern(out, m_store.data(column, m_track, p), pattern);
    return QString::fromLatin1(out);
}

bool TrackEditor::finiteBoxValue(const QString &text, double &value)
{
    value = parseDecimal(QStringView(text));
    if (std::isfinite(value))
        return true;
    m_prompts.message(std::isnan(value)
                          ? QStringLiteral("\"%1\" is not a number.").arg(text.trimmed())
                          : beyondRangeMessage(QStringLiteral("\"%1\"").arg(text.trimmed())));
    return false;
}

int TrackEditor::enterValue(int row, int column, const QString &text)
{
    const int p = pointOfRow(row);
    if (p < 0 || column < 0 || column >= columnCount())
        return -1;
    double value = 0;
    if (!finiteBoxValue(text, value))
        return -1;
    m_store.data(column, m_track, p) = value;
    m_store.markChanged();
    m_previewTrack = -1;
    m_marked = -1;
    notify();
    return row + 1 < rowCount() ? row + 1 : row;
}

bool TrackEditor::deleteRows(int firstRow, int lastRow)
{
    if (firstRow > lastRow)
        std::swap(firstRow, lastRow);
    firstRow = std::max(firstRow, 1);
    lastRow = std::min(lastRow, rowCount() - 1);
    const int first = pointOfRow(firstRow);
    const int last = pointOfRow(lastRow);
    if (first < 0 || last < first)
        return false;
    if (!m_prompts.askYesNo(QStringLiteral("Would you like to delete selected points?")))
        return false;
    TrackHeader &h = m_store[m_track];
    const int n = points(h);
    const int count = last - first + 1;
    for (int c = 0; c < kColumns; ++c) {
        double *col = m_store.data.column(c, m_track);
        std::copy(col + last + 1, col + n, col + first);
    }
    h.pnum = n - count;
    m_store.markChanged();
    m_previewTrack = -1;
    rebuild();
    notify();
    return true;
}

int TrackEditor::markRow(int row)
{
    const int previous = m_marked;
    m_marked = pointOfRow(row);
    return previous;
}

bool TrackEditor::preview(const std::array<bool, 3> &columns, int operation, const QString &operand)
{
    double value = 0;
    if (!finiteBoxValue(operand, value))
        return false;
    if (operation == Divide && value == 0) {
        m_prompts.message(QStringLiteral("Can't divide by zero!"));
        return false;
    }
    BasicCalcTrack(columns, operation, value);
    // A finite value that the operation takes beyond the range of numbers is refused too.
    for (int c = 0; c < kColumns; ++c) {
        if (!columns[static_cast<std::size_t>(c)])
            continue;
        for (int i = firstPoint(); i <= lastPoint(); ++i) {
            if (std::isfinite(m_store.data(c, m_track, i)) &&
                !std::isfinite(m_store.data(c, kScratchSlot, i))) {
                m_previewTrack = -1;
                m_prompts.message(beyondRangeMessage(QStringLiteral("The result")));
                return false;
            }
        }
    }
    return true;
}

void TrackEditor::BasicCalcTrack(const std::array<bool, 3> &columns, int operation, double operand)
{
    if (m_track < 0)
        return;
    m_store.CopyTrackHeader(m_track, kScratchSlot);
    m_store.CopyTrackPoints(m_track, kScratchSlot, kMaxPoints);
    const int first = firstPoint();
    const int last = lastPoint();
    for (int c = 0; c < kColumns; ++c) {
        if (!columns[static_cast<std::size_t>(c)])
            continue;
        double *col = m_store.data.column(c, kScratchSlot);
        for (int i = first; i <= last; ++i) {
            switch (operation) {
            case Add:
                col[i] += operand;
                break;
            case Subtract:
                col[i] -= operand;
                break;
            case Multiply:
                col[i] *= operand;
                break;
            case Divide:
                col[i] /= operand;
                break;
            default:
                break;
            }
        }
    }
    m_previewTrack = m_track;
    m_previewHeader = m_store[kScratchSlot];
    const int n = points(m_previewHeader);
    for (int c = 0; c < kColumns; ++c) {
        const double *col = m_store.data.column(c, kScratchSlot);
        m_previewPoints[static_cast<std::size_t>(c)].assign(col, col + n);
    }
}

bool TrackEditor::UpdateTrack()
{
    if (m_previewTrack < 0)
        return false;
    // Written into the track that was previewed, from the copy made then, whatever has passed
    // through the scratch slot or the main window's selection since.
    const int target = m_previewTrack;
    m_store[target] = m_previewHeader;
    for (int c = 0; c < kColumns; ++c) {
        const std::vector<double> &col = m_previewPoints[static_cast<std::size_t>(c)];
        std::copy(col.begin(), col.end(), m_store.data.column(c, target));
    }
    m_store.markChanged();
    m_previewTrack = -1;
    if (target == m_track)
        rebuild();
    notify();
    return true;
}

void TrackEditor::notify()
{
    if (changed)
        changed();
}

} // namespace tervo
