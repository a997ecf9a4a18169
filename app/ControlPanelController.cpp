#include "ControlPanelController.h"

#include "HelpTexts.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "state/TrackModes.h"
#include "tracks/ReferenceConversion.h"
#include "tracks/Tables.h"
#include "tracks/TextExport.h"
#include "tracks/TrackFile.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace tervo {

namespace {

const char *const kHeadings[ControlPanelController::kSheetRows] = {
    "Mode", "Title",      "Time",          "Scan rate /mVs-1", "V1st /V",    "V2nd /V", "V3rd /V",
    "RPM",  "Point Num.", "Conc. molcm-3", "DiskYScale",       "RingYScale", "pH"};

const QString kCrLf = QStringLiteral("\r\n");

// The numeric field a sheet row edits, or nothing for the rows that hold text or no field.
double TrackHeader::*numericField(int row)
{
    switch (row) {
    case ControlPanelController::RowScanrate:
        return &TrackHeader::Scanrate;
    case ControlPanelController::RowV1st:
        return &TrackHeader::V1st;
    case ControlPanelController::RowV2nd:
        return &TrackHeader::V2nd;
    case ControlPanelController::RowV3rd:
        return &TrackHeader::V3rd;
    case ControlPanelController::RowRPM:
        return &TrackHeader::RPM;
    case ControlPanelController::RowConc:
        return &TrackHeader::Conc;
    case ControlPanelController::RowDiskYScale:
        return &TrackHeader::DiskYscale;
    case ControlPanelController::RowRingYScale:
        return &TrackHeader::RingYscale;
    case ControlPanelController::RowPH:
        return &TrackHeader::pH;
    default:
        return nullptr;
    }
}

} // namespace

ControlPanelController::ControlPanelController(AppState &state, Clipboard &clipboard,
                                               ProgressReporter &progress, RecentFiles &recent,
                                               QObject *parent)
    : QObject(parent), m_state(state), m_clipboard(clipboard), m_progress(progress),
      m_recent(recent)
{
}

QString ControlPanelController::rowHeading(int row)
{
    if (row < 0 || row >= kSheetRows)
        return QString();
    return QString::fromLatin1(kHeadings[row]);
}

bool ControlPanelController::rowEditable(int row)
{
    return row == RowTitle || (row >= RowScanrate && row <= RowRPM) ||
           (row >= RowConc && row <= RowPH);
}

QString ControlPanelController::rowValue(int row) const
{
    const TrackHeader &h = m_state.store[currentTrack()];
    if (h.Mode == ModeNone)
        return QString();
    switch (row) {
    case RowMode:
        return modeName(h.Mode);
    case RowTitle:
        return h.Title;
    case RowTime:
        return h.MeasTime;
    case RowPointNum:
        return formatGeneralSigned(h.pnum);
    default:
        break;
    }
    if (const auto field = numericField(row))
        return formatGeneralSigned(h.*field);
    return QString();
}

QString ControlPanelController::trackTitle() const
{
    const TrackHeader &h = m_state.store[currentTrack()];
    return h.Mode == ModeNone ? QString() : h.Title;
}

int ControlPanelController::referenceIndex() const
{
    const TrackHeader &h = m_state.store[currentTrack()];
    if (h.Mode == ModeNone || h.ref < 0 || h.ref >= RefNames().size())
        return 0;
    return h.ref;
}

void ControlPanelController::load()
{
    m_state.loadMainWindowState();
    ShowDataInfo(0);
}

void ControlPanelController::ShowDataInfo(int track)
{
    m_state.store.CurrentTrack = std::clamp(track, 0, kUserTracks - 1);
    emit trackShown(m_state.store.CurrentTrack);
}

void ControlPanelController::stepUp()
{
    ShowDataInfo(wrapTrack(currentTrack() + 1));
}
void ControlPanelController::stepDown()
{
    ShowDataInfo(wrapTrack(currentTrack() - 1));
}

void ControlPanelController::commitEdit(int row, const QString &text)
{
    if (!rowEditable(row))
        return;
    TrackHeader &h = m_state.store[currentTrack()];
    if (row == RowTitle) {
        h.Title = text;
    } else {
        double entered = 0;
        if (!readDecimal(QStringView(text), entered)) {
            m_state.prompts.message(beyondRangeMessage(text.trimmed()));
            emit trackShown(currentTrack());
            return;
        }
        if (row == RowDiskYScale)
            rescale(h.DiskYscale, entered, 1,
                    QStringLiteral("Do you want to multiply disk current by"), true);
        else if (row == RowRingYScale)
            rescale(h.RingYscale, entered, 2,
                    QStringLiteral("Do you want to multiply ring current by"), false);
        else
            h.*numericField(row) = entered;
    }
    m_state.store.markChanged();
    emit trackShown(currentTrack());
}

void ControlPanelController::rescale(double &scale, double entered, int column,
                                     const QString &question, bool withPlotRange)
{
    const double old = scale;
    // From a scale of 0 there is no ratio to offer; the new scale is only stored.
    if (old == 0) {
        scale = entered;
        return;
    }
    const double factor = entered / old;
    const int t = currentTrack();
    TrackHeader &h = m_state.store[t];
    double *v = m_state.store.data.column(column, t);
    const int n = std::clamp(h.pnum, 0, kMaxPoints);
    // A ratio or a scaled current beyond the range of numbers is refused before anything changes.
    bool finite = std::isfinite(factor);
    for (int i = 0; i < n && finite; ++i)
        finite = !std::isfinite(v[i]) || std::isfinite(v[i] * factor);
    if (withPlotRange)
        finite = finite && std::isfinite(h.Vymin * factor) && std::isfinite(h.Vymax * factor);
    if (!finite) {
        m_state.prompts.message(beyondRangeMessage(
            QStringLiteral("Multiplying the currents by %1").arg(formatGeneral(factor))));
        return;
    }
    scale = entered;
    if (!m_state.prompts.askYesNo(question + formatGeneralSigned(factor) + QStringLiteral("?")))
        return;
    for (int i = 0; i < n; ++i)
        v[i] *= factor;
    if (withPlotRange) {
        h.Vymin *= factor;
        h.Vymax *= factor;
    }
}

void ControlPanelController::chooseReference(int index)
{
    const int t = currentTrack();
    TrackHeader &h = m_state.store[t];
    if (!modeFacts(h.Mode).convertsReference || index == h.ref || index < 0 ||
        index >= RefNames().size()) {
        // The list goes back to what the track holds.
        emit trackShown(t);
        return;
    }
    if (!m_state.prompts.askYesNo(QStringLiteral("Do you want to convert potential?"))) {
        h.ref = index;
        m_state.store.markChanged();
        emit trackShown(t);
        return;
    }
    if (h.ref == kRefRHE || index == kRefRHE) {
        const std::optional<QString> pH =
            m_state.prompts.input(QStringLiteral("Please input pH of the solution."),
                                  QStringLiteral("pH of the solution"), formatGeneralSigned(h.pH));
        // Cancelling the pH box cancels the conversion rather than converting at pH 0.
        double value = 0;
        if (!pH || !readDecimal(QStringView(*pH), value)) {
            if (pH)
                m_state.prompts.message(beyondRangeMessage(pH->trimmed()));
            emit trackShown(t);
            return;
        }
        h.pH = value;
    }
    const double shift = referencePotential(h.ref, h.pH) - referencePotential(index, h.pH);
    shiftPotentials(m_state.store, t, shift);
    h.ref = index;
    m_state.store.markChanged();
    emit trackShown(t);
}

void ControlPanelController::deleteTrack()
{
    if (!m_state.prompts.askOkCancel(QStringLiteral("Would you like to delete the present track?")))
        return;
    m_state.store.ClearTrack(currentTrack());
    m_state.store.markChanged();
    emit trackShown(currentTrack());
}

void ControlPanelController::setCaptionFromFile()
{
    m_caption = QStringLiteral("TERVO --") + m_state.store.CurrentFileTitle;
    emit captionChanged(m_caption);
}

bool ControlPanelController::openFile()
{
    const QString path =
        m_state.prompts.openFileName(QStringLiteral("Open"), QString::fromLatin1(kTrackFileFilter));
    if (path.isEmpty())
        return false;
    return openPath(path);
}

bool ControlPanelController::openPath(const QString &path)
{
    if (IsTrackFile(path) && m_state.store.hasUnsavedChanges() &&
        !m_state.prompts.askYesNo(QStringLiteral(
            "The tracks have been changed since they were last saved. Open the file anyway and "
            "discard the changes?")))
        return false;
    const TrackFileReadResult r = loadTrackFile(m_state.store, path);
    if (!r.loaded()) {
        m_state.prompts.message(r.message(path));
        if (r.status == TrackFileReadResult::CannotOpen) {
            m_recent.remove(path);
            emit recentFilesChanged();
        }
        // A file that stopped half-way has replaced the tracks read so far; show them.
        if (r.status == TrackFileReadResult::StoppedEarly) {
            emit tracksReplaced();
            emit trackShown(currentTrack());
        }
        return false;
    }
    emit tracksReplaced();
    m_filePath = path;
    setCaptionFromFile();
    m_recent.add(path);
    emit recentFilesChanged();
    ShowDataInfo(0);
    emit fileLoaded();
    // A file whose last data section ends early is opened all the same; then the operator
    // learns where reading stopped.
    if (!r.ok())
        m_state.prompts.message(r.message(path));
    return true;
}

bool ControlPanelController::saveAs()
{
    const QString chosen = m_state.prompts.saveFileName(QStringLiteral("Save as"),
                                                        QString::fromLatin1(kTrackFileFilter));
    if (chosen.isEmpty())
        return false;
    return saveTo(trackFileNameForSave(chosen));
}

bool ControlPanelController::save()
{
    return m_filePath.isEmpty() ? saveAs() : saveTo(m_filePath);
}

bool ControlPanelController::saveTo(const QString &path)
{
    const FileWriteResult r =
        writeTrackFile(m_state.store, path, static_cast<char>(localeDecimalSeparator().unicode()));
    if (!r.ok) {
        m_state.prompts.message(r.error);
        return false;
    }
    m_state.store.CurrentFileTitle = QFileInfo(path).fileName();
    m_filePath = path;
    m_state.store.markSaved();
    setCaptionFromFile();
    m_recent.add(path);
    emit recentFilesChanged();
    return true;
}

ControlPanelController::QuitAnswer ControlPanelController::confirmQuit()
{
    if (m_state.MeasurementRunning) {
        if (!m_state.prompts.askYesNo(
                QStringLiteral("A measurement is running. Stop it and store its points first?")))
            return QuitAnswer::Stay;
        if (m_stopMeasurement)
            m_stopMeasurement();
    }
    if (!m_state.store.hasUnsavedChanges())
        return QuitAnswer::Quit;
    const int choice = m_state.prompts.choose(
        QStringLiteral("The tracks have been changed since they were last saved. Save them "
                       "before quitting?"),
        {QStringLiteral("Save"), QStringLiteral("Discard"), QStringLiteral("Cancel")});
    if (choice == 0)
        return save() ? QuitAnswer::QuitDiscardingRecovery : QuitAnswer::Stay;
    if (choice == 1)
        return QuitAnswer::QuitDiscardingRecovery;
    return QuitAnswer::Stay;
}

QString ControlPanelController::aboutText() const
{
    return tervo::aboutText(m_state.settingsFolder(), m_state.readOnly());
}

void ControlPanelController::showAbout()
{
    m_state.prompts.message(aboutText(), QStringLiteral("About TERVO"));
}

ProgressFn ControlPanelController::progressFn()
{
    return [this](int i) { m_progress.advance(i); };
}

void ControlPanelController::copyAll()
{
    const int t = currentTrack();
    const TrackHeader &h = m_state.store[t];
    if (h.Mode == ModeNone)
        return;
    m_clipboard.clear();
    m_progress.begin(QStringLiteral("Now Copying to Clipboard... Please wait."), h.pnum);
    const QString text = copyAllText(m_state.store, t, localeDecimalSeparator(), progressFn());
    m_progress.end();
    m_clipboard.setText(text);
}

void ControlPanelController::copyIE()
{
    const int t = currentTrack();
    const TrackHeader &h = m_state.store[t];
    if (h.Mode == ModeNone)
        return;
    m_clipboard.clear();
    m_progress.begin(QStringLiteral("Now Copying to Clipboard... Please wait."), h.pnum);
    const QString text =
        QLatin1Char('\t') + h.Title + kCrLf + kCrLf +
        TrackDataText(m_state.store, t, DataTextOptions(), localeDecimalSeparator(), progressFn());
    m_progress.end();
    m_clipboard.setText(text);
}

void ControlPanelController::copyMultiTable(MultiTable table)
{
    const int t = currentTrack();
    if (m_state.store[t].Mode != ModeMulti)
        return;
    m_clipboard.clear();
    m_progress.begin(QString(), m_state.store[0].pnum);
    const QString text = multiTableText(m_state.store, t, table, progressFn());
    m_progress.end();
    m_clipboard.setText(text);
}

void ControlPanelController::copyITTable()
{
    copyMultiTable(MultiTable::CurrentVsTime);
}
void ControlPanelController::copyVITable()
{
    copyMultiTable(MultiTable::CurrentVsPotential);
}

void ControlPanelController::paste()
{
    const QString text = m_clipboard.text();
    if (text.isEmpty())
        return;
    const int t = currentTrack();
    const PasteResult r = pasteTrackText(m_state.store, t, text);
    if (r.truncated)
        m_state.prompts.message(
            QStringLiteral("The clipboard holds more points than a track can take; the paste "
                           "stopped at %1 points.")
                .arg(kMaxPoints));
    else if (r.stoppedAtLine > 0 && r.beyondRange)
        m_state.prompts.message(
            QStringLiteral("The paste stopped at line %1, which holds a value beyond the range of "
                           "numbers; the %2 points before it were kept.")
                .arg(r.stoppedAtLine)
                .arg(r.points));
    else if (r.stoppedAtLine > 0)
        m_state.prompts.message(
            QStringLiteral("The paste stopped at line %1, which could not be read as numbers; "
                           "the %2 points before it were kept.")
                .arg(r.stoppedAtLine)
                .arg(r.points));
    if (!r.refusedLabels.isEmpty())
        m_state.prompts.message(beyondRangeMessage(
            QStringLiteral("The pasted %1").arg(r.refusedLabels.join(QStringLiteral(", ")))));
    ShowDataInfo(t);
}

} // namespace tervo
