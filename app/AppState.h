#pragma once

#include "Settings.h"
#include "core/Clock.h"
#include "core/Prompts.h"
#include "devices/RpmTable.h"
#include "tracks/TrackFile.h"
#include "tracks/TrackStore.h"

#include <QString>
#include <array>
#include <vector>

namespace tervo {

// The process-wide state of one run of the program: the track store, the settings, the rotator
// calibration and the one-measurement flag. The windows are handed this object.
class AppState {
public:
    AppState(MsClock &clock, Prompts &prompts, QString settingsFolder);

    TrackStore store;
    Settings settings;
    bool SettingsLoaded = false;
    std::vector<RpmRow> RpmTable;
    bool MeasurementRunning = false;
    // The points of the run in progress; only one measurement runs at a time.
    std::vector<std::array<double, 3>> AcquisitionBuffer =
        std::vector<std::array<double, 3>>(kMaxPoints, std::array<double, 3>{});

    MsClock &clock;
    Prompts &prompts;

    QString settingsFolder() const { return m_folder; }
    QString settingsPath() const;

    // Reads "Parameters.txt"; true when it was read. Loads the rotator calibration when an output
    // board is selected and reports a broken one.
    bool ReadSettings();
    // Writes "Parameters.txt"; a failure is reported to the operator.
    FileWriteResult WriteSettings();
    // What the main window does when it loads: clear the tracks, read the settings or apply the
    // defaults.
    void loadMainWindowState();

private:
    QString m_folder;
};

// Where "Parameters.txt" lives: the program's own folder when it is writable, otherwise
// ~/.config/TERVO/.
QString settingsFolderFor(const QString &programFolder);
QString defaultSettingsFolder();

inline constexpr char kSettingsFileName[] = "Parameters.txt";
inline constexpr char kRpmFileMessage[] =
    "RPM vs. Voltage file cannot be found or invalid. You cannot use RPM control.";

} // namespace tervo
