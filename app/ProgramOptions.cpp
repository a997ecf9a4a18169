#include "ProgramOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace tervo {

ProgramOptions readProgramOptions(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Electrochemistry workstation: measurements, track files and analysis."));
    parser.addHelpOption();
    QCommandLineOption settingsDir(QStringLiteral("settings-dir"),
                                   QStringLiteral("Keep Parameters.txt in <folder>."),
                                   QStringLiteral("folder"));
    QCommandLineOption hardware(QStringLiteral("hardware"),
                                QStringLiteral("Use the real instrument routes instead of the "
                                               "simulated rig."));
    QCommandLineOption serialDevice(
        QStringLiteral("serial-device"),
        QStringLiteral("Serial port of the serial-to-GPIB converter (default /dev/ttyS0)."),
        QStringLiteral("device"), QStringLiteral("/dev/ttyS0"));
    QCommandLineOption demo(QStringLiteral("demo"),
                            QStringLiteral("On a first start, set up a complete simulated "
                                           "workstation (generator, rotator, power control)."));
    parser.addOption(settingsDir);
    parser.addOption(hardware);
    parser.addOption(serialDevice);
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A track file to open."),
                                 QStringLiteral("[file.tvd]"));
    parser.process(app);

    ProgramOptions o;
    if (parser.isSet(settingsDir))
        o.settingsFolder = parser.value(settingsDir);
    o.demo = parser.isSet(demo);
    o.hardware = parser.isSet(hardware);
    o.serialDevice = parser.value(serialDevice);
    if (!parser.positionalArguments().isEmpty())
        o.file = parser.positionalArguments().constFirst();
    return o;
}

} // namespace tervo
