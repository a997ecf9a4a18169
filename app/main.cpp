#include "ControlPanelController.h"
#include "ProgramOptions.h"
#include "QtPrompts.h"
#include "RecentFiles.h"
#include "SettingsFolderChoice.h"
#include "SignalClose.h"
#include "Translation.h"
#include "app/KeychainSecretStore.h"
#include "app/ui/ProgramWindows.h"
#include "frmControlPanel.h"
#include "frmProgressWindow.h"
#include "measure/RunRecorder.h"
#include "measure/ui/QtSoundPlayer.h"
#include "plot/frmGraph.h"
#include "state/AppState.h"
#include "workstation/Workstation.h"

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <optional>

using namespace tervo;

namespace {

// The questions that are open are withdrawn unanswered.
void withdrawQuestions()
{
    for (int i = 0; i < 16; ++i) {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->reject();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TERVO"));
    QApplication::setOrganizationName(QStringLiteral("TERVO"));

    const ProgramOptions options = readProgramOptions(app);

    SystemMsClock clock;
    QtPrompts prompts;
    // The settings folder is this program's alone, or used read-only.
    std::optional<SettingsFolderChoice> claimed =
        chooseSettingsFolder(options.settingsFolder.value_or(defaultSettingsFolder()), prompts);
    if (!claimed)
        return 0;
    KeychainSecretStore secrets(secretFilePathFor(claimed->folder));
    QtClipboard clipboard;
    // The two graph windows of the run; the first stands at top 0, left 1000.
    GraphWindows graphs(clipboard);
    QtSoundPlayer sound;
    // The instruments: the simulated rig unless the real routes are asked for.
    Workstation ws(Desk{clock, prompts, clipboard, sound, graphs.graph(0), graphs.graph(1)},
                   WorkstationSetup{.folder = claimed->folder,
                                    .readOnly = claimed->readOnly,
                                    .secrets = &secrets,
                                    .demo = options.demo,
                                    .programFolder = QApplication::applicationDirPath(),
                                    .hardware = options.hardware,
                                    .serialDevice = options.serialDevice});
    // The windows take their texts as they are made.
    installTranslation(app, ws.state().settingsPath());

    frmProgressWindow progress;
    // The recent-files list belongs to the user, not to "Parameters.txt".
    QSettings userSettings;
    RecentFiles recent(&userSettings);
    ControlPanelController controller(ws.state(), clipboard, progress, recent);
    // The main window reads the settings as it loads; the models made after it find them.
    frmControlPanel main(controller);
    prompts.setParent(&main);
    ws.makeModels();
    ws.context().showTrack = [&main](int track) { main.ShowDataInfo(track); };
    ProgramWindows windows(ws, main, controller, prompts, clipboard, userSettings);

    // Unsaved runs survive a crash: recovery track file and journal in the settings folder. A
    // read-only program leaves them to the program that holds the folder.
    RunRecorder *recorder = ws.state().readOnly() ? nullptr : &ws.keepRecovery();
    controller.setStopMeasurement([&ws] { ws.stopRuns(); });
    // SIGTERM and SIGHUP close the program without a question and keep the recovery files; one
    // during the start-up offer ends the program with the files as they were.
    bool started = false;
    SignalClose signalClose([&] {
        withdrawQuestions();
        if (started)
            main.closeUnasked();
    });

    QObject::connect(&main, &frmControlPanel::aboutToClose, &main, [&] {
        // A run still in progress is stopped and stored, and the boards close.
        ws.shutdown();
        if (recorder) {
            // Only a save or an explicit Discard gives up the recovery files.
            if (main.quitAnswer() == ControlPanelController::QuitAnswer::QuitDiscardingRecovery)
                recorder->discard();
            else
                recorder->writeRecovery();
        }
    });
    QObject::connect(&main, &frmControlPanel::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    main.show();
    ws.state().store.FileLoadCount = 0;
    if (recorder)
        recorder->offerRecovery(prompts, [&signalClose] { return signalClose.received(); });
    if (signalClose.received())
        return 0;
    started = true;
    if (!options.file.isEmpty())
        controller.openPath(options.file);
    return app.exec();
}
