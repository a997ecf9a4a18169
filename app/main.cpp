#include "AppState.h"
#include "QtPrompts.h"
#include "frmControlPanel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

using namespace tervo;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TERVO"));
    QApplication::setOrganizationName(QStringLiteral("TERVO"));

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
    parser.addOption(settingsDir);
    parser.addOption(hardware);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A track file to open."),
                                 QStringLiteral("[file.tvd]"));
    parser.process(app);

    const QString folder =
        parser.isSet(settingsDir) ? parser.value(settingsDir) : defaultSettingsFolder();
    QDir().mkpath(folder);

    SystemMsClock clock;
    QtPrompts prompts;
    AppState state(clock, prompts, folder);

    frmControlPanel main(state);
    prompts.setParent(&main);
    main.show();
    state.store.FileLoadCount = 0;
    if (!parser.positionalArguments().isEmpty())
        main.openPath(parser.positionalArguments().constFirst());
    return app.exec();
}
