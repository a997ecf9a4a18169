#pragma once

#include "core/Prompts.h"
#include "state/TrackStore.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace tervo {

// The scratch slot that holds a swapped track or the preview of an operation.
inline constexpr int kScratchSlot = 21;

// Copies the header and points 0..pnum-1 of source into destination: columns 0 and 1, and
// column 2 only when the source carries a ring current or time there (RDE, SSV, SSVAll). Points
// of the destination beyond the copied ones keep their values.
void copyTrack(TrackStore &store, int source, int destination);

// Replaces every occurrence of before by after in the titles of tracks 0..20, comparing
// case-sensitively; an empty before changes nothing. Returns how many titles changed.
int replaceInTitles(TrackStore &store, const QString &before, const QString &after);

// "Edit Tracks": whole tracks copied, moved or swapped between two chosen slots.
class EditTracksController {
public:
    EditTracksController(TrackStore &store, Prompts &prompts);

    int source() const { return m_source; }
    int destination() const { return m_destination; }
    // The arrows: one step with wrap-around over 0..20.
    void stepSource(int delta) { m_source = wrapTrack(m_source + delta); }
    void stepDestination(int delta) { m_destination = wrapTrack(m_destination + delta); }
    void setSource(int track) { m_source = wrapTrack(track); }
    void setDestination(int track) { m_destination = wrapTrack(track); }

    // The number as the selector shows it (" 3") and the track's title.
    static QString trackText(int track);
    QString title(int track) const { return m_store[track].Title; }

    // Each refuses with a message when it cannot be done; true when tracks changed.
    bool copy();
    bool move();
    bool swap();

    // Called after tracks changed, so the main window shows them again.
    std::function<void()> changed;

private:
    void notify();

    TrackStore &m_store;
    Prompts &m_prompts;
    int m_source = 0;
    int m_destination = 1;
};

// The cycle boundary list of a track, as the plotting computes it.
using CycleFn = std::function<std::vector<int>(const TrackStore &, int track)>;

// "Edit A Track" and "Basic Operations": the points of one cycle of a track in a grid, single
// values overwritten, blocks of points deleted, and arithmetic on chosen columns of the cycle
// previewed in the scratch slot before it is applied.
class TrackEditor {
public:
    enum Operation { Add = 0, Subtract = 1, Multiply = 2, Divide = 3 };

    TrackEditor(TrackStore &store, Prompts &prompts, CycleFn cycles);

    // Shows the main window's current track unless it is already shown; true when it changed.
    bool follow();
    void show(int track);
    int track() const { return m_track; }

    const std::vector<int> &boundaries() const { return m_bounds; }
    int cycleCount() const;
    // "Cycle 1", "Cycle 2", ...
    QStringList cycleNames() const;
    int cycle() const { return m_cycle; }
    void selectCycle(int k);
    // First and last point of the selected cycle (both inclusive); first > last when none.
    int firstPoint() const;
    int lastPoint() const;

    // The grid: row 0 holds the headings, row r the point firstPoint() + r - 1.
    int columnCount() const;
    int rowCount() const;
    QString heading(int column) const;
    QString cellText(int row, int column) const;
    int pointOfRow(int row) const; // -1 for the heading row or a row outside the cycle

    // Enter in the edit box: stores text into that column of the row's point and returns the row
    // to select next (one down unless on the last row); -1 when the row is not a value row.
    int enterValue(int row, int column, const QString &text);

    // Asks, then deletes the points of the grid rows first..last; true when points were removed.
    bool deleteRows(int firstRow, int lastRow);

    // The point marked on the plot: marking a row returns the point whose mark is to be erased
    // (-1 for none); the new mark is markedPoint().
    int markRow(int row);
    int markedPoint() const { return m_marked; }
    // After a redraw nothing is marked.
    void clearMark() { m_marked = -1; }

    // "Preview": reads the operand text (decimal-number rule); refuses division by zero.
    bool preview(const std::array<bool, 3> &columns, int operation, const QString &operand);
    // Builds the changed copy of the whole track in the scratch slot.
    void BasicCalcTrack(const std::array<bool, 3> &columns, int operation, double operand);
    bool hasPreview() const { return m_previewTrack >= 0; }
    // "Update": the previewed copy becomes the track. Nothing happens without a preview.
    bool UpdateTrack();

    // Called after the track's contents changed, so the main window shows it again.
    std::function<void()> changed;

private:
    // A box's value by the decimal-number rule, refused with a message unless finite.
    bool finiteBoxValue(const QString &text, double &value);
    void rebuild();
    void notify();

    TrackStore &m_store;
    Prompts &m_prompts;
    CycleFn m_cycles;
    int m_track = -1;
    std::vector<int> m_bounds;
    int m_cycle = 0;
    int m_marked = -1;
    // The preview kept apart from the scratch slot, which other windows also write.
    int m_previewTrack = -1;
    TrackHeader m_previewHeader;
    std::array<std::vector<double>, kColumns> m_previewPoints;
};

} // namespace tervo
