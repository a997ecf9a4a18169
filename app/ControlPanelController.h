#pragma once

#include "ProgressReporter.h"
#include "RecentFiles.h"
#include "state/AppState.h"
#include "tracks/ClipboardText.h"

#include <QObject>
#include <QString>
#include <functional>

namespace tervo {

inline constexpr char kProgramCaption[] = "TERVO Ver 1.06";
inline constexpr char kTrackFileFilter[] = "*.tvd";

// The logic of the main window: which track is shown, what the information sheet holds, edits
// in place, reference conversion, track files and the clipboard operations of the Edit menu.
// The window only shows what this holds and forwards the operator's actions.
class ControlPanelController : public QObject {
    Q_OBJECT
public:
    static constexpr int kSheetRows = 13;
    enum Row {
        RowMode,
        RowTitle,
        RowTime,
        RowScanrate,
        RowV1st,
        RowV2nd,
        RowV3rd,
        RowRPM,
        RowPointNum,
        RowConc,
        RowDiskYScale,
        RowRingYScale,
        RowPH
    };

    ControlPanelController(AppState &state, Clipboard &clipboard, ProgressReporter &progress,
                           RecentFiles &recent, QObject *parent = nullptr);

    AppState &state() { return m_state; }
    TrackStore &store() { return m_state.store; }
    int currentTrack() const { return m_state.store.CurrentTrack; }

    // What the window shows for the current track.
    static QString rowHeading(int row);
    static bool rowEditable(int row);
    QString rowValue(int row) const;
    QString trackTitle() const;
    int referenceIndex() const;
    QString caption() const { return m_caption; }
    QStringList recentFiles() const { return m_recent.entries(); }

    // What the main window does when it loads: clear the tracks, read the settings (or apply
    // the defaults) and show track 0.
    void load();

    // Shows a track; numbers outside 0..20 are brought into range.
    void ShowDataInfo(int track);
    void stepUp();
    void stepDown();

    // The text put into the edit field when a row is clicked.
    QString beginEdit(int row) const { return rowValue(row); }
    // Enter in the edit field: stores text into the field of the row (rows that are not
    // editable are ignored).
    void commitEdit(int row, const QString &text);
    // A choice in the reference list.
    void chooseReference(int index);
    void deleteTrack();

    // File menu. A cancelled dialog changes nothing.
    bool openFile();
    bool openPath(const QString &path);
    bool saveAs();
    // Writes the file last opened or saved; Save as when there is none.
    bool save();
    QString filePath() const { return m_filePath; }

    // How a Quit (the menu entry or the close box) goes on.
    enum class QuitAnswer {
        Stay,                  // the program stays open
        Quit,                  // nothing unsaved was given up: the recovery files stay as they are
        QuitDiscardingRecovery // everything was saved, or the operator discarded the changes
    };
    // Asks whether to stop a running measurement first (stopMeasurement does it), then whether
    // to save tracks changed since the last save or load.
    QuitAnswer confirmQuit();
    void setStopMeasurement(std::function<void()> stop) { m_stopMeasurement = std::move(stop); }

    // Help menu: version, build, the settings folder in use and the licence.
    QString aboutText() const;
    void showAbout();

    // Edit menu.
    void copyAll();
    void copyIE();
    void copyITTable();
    void copyVITable();
    void paste();

signals:
    // The current track or its contents changed: the window refills the sheet and the preview.
    void trackShown(int track);
    void captionChanged(const QString &caption);
    void recentFilesChanged();
    // A track file was loaded completely; analysis windows re-read their per-track choices.
    void fileLoaded();
    // Opening a file replaced the tracks (also when reading stopped half-way).
    void tracksReplaced();

private:
    void rescale(double &scale, double entered, int column, const QString &question,
                 bool withPlotRange);
    void setCaptionFromFile();
    ProgressFn progressFn();
    void copyMultiTable(MultiTable table);
    bool saveTo(const QString &path);

    AppState &m_state;
    Clipboard &m_clipboard;
    ProgressReporter &m_progress;
    RecentFiles &m_recent;
    QString m_caption = QString::fromLatin1(kProgramCaption);
    QString m_filePath;
    std::function<void()> m_stopMeasurement;
};

} // namespace tervo
