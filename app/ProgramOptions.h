#pragma once

#include <QString>
#include <optional>

class QCoreApplication;

namespace tervo {

// The program's command line.
struct ProgramOptions {
    std::optional<QString> settingsFolder; // --settings-dir; none: the default folder
    bool demo = false;
    bool hardware = false;
    QString serialDevice;
    QString file; // a track file to open at start-up, or empty
};

// Reads the command line; --help prints the usage and ends the program, as a malformed call does.
ProgramOptions readProgramOptions(QCoreApplication &app);

} // namespace tervo
