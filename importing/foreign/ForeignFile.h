#pragma once

#include "state/TrackStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace tervo::foreign {

// The kinds of export other instruments write that we read.
enum class Format { ECLab, Gamry, CHI, Delimited };
QString formatName(Format format);

// What a column holds, by its unit.
enum class Quantity { Unknown, Potential, Time, Current, Charge };

// Units the operator may pick; factor converts to V, s, A or C.
struct UnitInfo {
    QString name;
    Quantity quantity = Quantity::Unknown;
    double factor = 1;
};
// The unit written as text ("mA", "µA", "uA", "sec", "V vs. Ref."), or nothing.
std::optional<UnitInfo> unitFromText(const QString &text);
// The unit inside a column title: "<I>/mA", "Current (A)", "I [µA]", "Time/sec" or a bare "V".
std::optional<UnitInfo> unitFromTitle(const QString &title);
// Units offered for x (potential, time) and y (current).
QStringList xUnitNames();
QStringList yUnitNames();

struct Column {
    QString title;
    QString unit; // empty when the file does not say
    std::vector<double> values;
    int badLine = 0; // 1-based line of the first value that is not a number, 0 when all are
};

// Where reading stopped and what was expected there.
struct ReadError {
    QString path;
    int line = 0; // 0 when the problem is not on one line
    QString expected;
    QString message() const;
};

// Thinning of a file longer than a track.
enum class Thinning { First, EveryKth };

// One file read into columns, with header fields in our units and the choices that turn it into
// a track. The reader fills defaults; the window and the command line change the choices.
struct ForeignFile {
    QString path;
    Format format = Format::Delimited;
    QString technique;                              // as the file names it
    int headerLines = 0;                            // lines before the data (delimited text)
    QString title;                                  // the file's title, or its name
    QString measTime;                               // acquisition date as MeasTime text
    double scanrate = 0;                            // mV/s
    double area = 0;                                // cm2
    std::optional<std::array<double, 3>> programme; // start and the two turning potentials, V
    std::vector<Column> columns;
    QString signNote; // which current sign convention was applied, for the operator

    // Choices.
    int mode = ModeCV;
    double rpm = 0;
    int x = 0, y = 1;
    QString xUnit, yUnit;
    bool flipCurrent = false;
    Thinning thinning = Thinning::EveryKth;

    int rows() const { return columns.empty() ? 0 : static_cast<int>(columns[0].values.size()); }
    QStringList titles() const;
    // Step between kept rows and the number of points a track gets.
    int step() const;
    int points() const;
};

struct ReadResult {
    std::optional<ForeignFile> file;
    ReadError error;
    bool ok() const { return file.has_value(); }
};

// A result that did not read: where, and what was expected there.
inline ReadResult readFailure(const QString &path, int line, const QString &expected)
{
    ReadResult r;
    r.error = {path, line, expected};
    return r;
}

// Detects the format from the first lines and reads the file. Never throws; a file that does
// not read gives the line and what was expected there. A rotation rate in the file name
// pre-fills the rate and makes a voltammogram an RDE track.
ReadResult readForeignFile(const QString &path);
ReadResult readForeignBytes(const QByteArray &bytes, const QString &path);
std::optional<Format> detectFormat(const QByteArray &bytes);

// The readers, each refusing a file of another kind.
ReadResult readEcLab(const QByteArray &bytes, const QString &path);
ReadResult readGamry(const QByteArray &bytes, const QString &path);
ReadResult readChi(const QByteArray &bytes, const QString &path);
ReadResult readDelimited(const QByteArray &bytes, const QString &path);

// What a track-sized cut of a long file keeps, for the operator; empty when the file fits.
QString thinningNote(const ForeignFile &file);

// Mode for a technique name (CV, LSV, CHRONOA, "Amperometric i-t Curve", ...), 0 when unknown.
int modeForTechnique(const QString &technique);
// A rotation rate written in a file name ("ORR-1225RPM-2.txt"), 0 when none.
double rpmFromFileName(const QString &path);

// Changes the mode and, when x no longer fits it (potential for CV and RDE, time for PS), moves
// x to a column that does, or gives a column without a unit the mode's unit.
void setMode(ForeignFile &file, int mode);

// Why the choices cannot make a track (a column that is not numeric, a unit that does not
// fit), or nothing.
std::optional<ReadError> checkChoices(const ForeignFile &file);
// Writes the file into a track with the choices made; the track is cleared first. Returns the
// points written. Call checkChoices first.
int writeTrack(TrackStore &store, int track, const ForeignFile &file);

// Start and two turning potentials of a sweep, found in the data with a small hysteresis so
// noise does not count as a turn.
std::array<double, 3> turningPotentials(const double *x, int n);

// The sign convention of a voltammogram's currents from the direction of its loop (charging
// current follows the sweep): +1 anodic positive, -1 cathodic positive, 0 when it cannot be
// told (no sweep both ways).
int currentConvention(const std::vector<double> &potential, const std::vector<double> &current);

} // namespace tervo::foreign
