#pragma once

#include "ForeignFile.h"
#include "core/Prompts.h"

#include <QObject>
#include <vector>

class QSettings;

namespace tervo::foreign {

// The logic of the import window: the files chosen, the choices per file, and writing them into
// consecutive tracks. The window shows what this holds and forwards the operator's actions.
class ForeignImportController : public QObject {
    Q_OBJECT
public:
    // memory keeps the column choices of delimited text; it may be null.
    ForeignImportController(TrackStore &store, Prompts &prompts, QSettings *memory,
                            QObject *parent = nullptr);

    // Reads the files and adds those that read; the others are reported, one message each.
    // Returns how many were added.
    int addFiles(const QStringList &paths);
    void removeFile(int index);
    void clear();

    int count() const { return static_cast<int>(m_files.size()); }
    const ForeignFile &file(int index) const { return m_files[static_cast<std::size_t>(index)]; }
    int current() const { return m_current; }
    void select(int index);

    // Choices for the selected file.
    void setMode(int mode);
    void setRpm(double rpm);
    void setTitle(const QString &title);
    void setFlipCurrent(bool flip);
    void setColumns(int x, int y);
    void setUnits(const QString &xUnit, const QString &yUnit);
    void setThinning(Thinning thinning);

    // What the window shows for a file: format, technique, mode, units, points, sign, thinning.
    QStringList summary(int index) const;
    // Why the selected file cannot be written as chosen, or an empty text.
    QString problem() const;

    int startTrack() const { return m_startTrack; }
    void setStartTrack(int track);

    // Writes file i into track startTrack + i, asking before an occupied track is replaced.
    // Returns the last track written, -1 when none was.
    int importAll();

signals:
    void changed();
    void trackWritten(int track);

private:
    ForeignFile *selected();
    void choiceMade();

    TrackStore &m_store;
    Prompts &m_prompts;
    QSettings *m_memory;
    std::vector<ForeignFile> m_files;
    int m_current = -1;
    int m_startTrack = 0;
};

} // namespace tervo::foreign
