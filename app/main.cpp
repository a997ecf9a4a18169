#include "AppState.h"
#include "ControlPanelController.h"
#include "QtPrompts.h"
#include "RecentFiles.h"
#include "canvas/KurvexControl.h"
#include "frmControlPanel.h"
#include "frmProgressWindow.h"
#include "plot/TrackPreview.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QSettings>

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

    QtClipboard clipboard;
    frmProgressWindow progress;
    // The recent-files list belongs to the user, not to "Parameters.txt".
    QSettings userSettings;
    RecentFiles recent(&userSettings);
    ControlPanelController controller(state, clipboard, progress, recent);

    frmControlPanel main(controller);
    prompts.setParent(&main);
    // The preview is a KurvexCTRL canvas created by its identifier; the window owns it.
    if (kurvex::KurvexControl *preview =
            kurvex::createControl(QString::fromLatin1(kurvex::kProgId))) {
        main.setPreview(preview->widget(), [&state, preview](int track) {
            DrawTrackPreview(*preview, state.store, track, state.settings.PrevGraphDrawSetting);
        });
    }
    QObject::connect(&main, &frmControlPanel::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    main.show();
    state.store.FileLoadCount = 0;
    if (!parser.positionalArguments().isEmpty())
        controller.openPath(parser.positionalArguments().constFirst());
    return app.exec();
}
