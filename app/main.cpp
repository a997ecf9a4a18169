#include "AppState.h"
#include "ControlPanelController.h"
#include "QtPrompts.h"
#include "RecentFiles.h"
#include "canvas/KurvexControl.h"
#include "devices/AdjustRpmController.h"
#include "devices/Instruments.h"
#include "devices/sim/InstrumentRoutes.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimPanelController.h"
#include "devices/ui/frmAdjustRPM.h"
#include "devices/ui/frmPower.h"
#include "devices/ui/frmSimRig.h"
#include "frmControlPanel.h"
#include "frmProgressWindow.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/SSVModel.h"
#include "measure/ui/QtSoundPlayer.h"
#include "measure/ui/frmMeasureCV.h"
#include "measure/ui/frmMeasureRDE.h"
#include "measure/ui/frmMeasureRPMvsj.h"
#include "measure/ui/frmMeasureSSV.h"
#include "measure/ui/frmMultipotentiostat.h"
#include "measure/ui/frmPotentialStep.h"
#include "plot/TrackPreview.h"
#include "plot/frmGraph.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>

using namespace tervo;

namespace {

// A first start with --demo sets up a complete simulated workstation: the function generator on
// the GPIB board, the rotator with its calibration beside the program, and power control.
void prepareDemoSettings(AppState &state)
{
    if (QFileInfo::exists(state.settingsPath()))
        return;
    ApplyDefaultSettings(state.settings);
    Settings &s = state.settings;
    s.GPIBControl = 2;
    s.GPIBAddress = 7;
    s.DABoard = 1;
    s.PowerControl = 1;
    s.RPMvsVoltageFile = QDir(QApplication::applicationDirPath())
                             .filePath(QStringLiteral("rotator-calibration.txt"));
    s.SoundFileName.clear();
    for (CVSet &set : s.CV) {
        set.CVSamplingRate = 10;
        set.CVAccum = 20;
        set.CVRetainTime = 2;
    }
    s.RDESamplingRate = 10;
    s.RDEAccum = 20;
    state.WriteSettings();
}

void showWindow(QWidget &w)
{
    w.show();
    w.raise();
    w.activateWindow();
}

} // namespace

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

    const QString folder =
        parser.isSet(settingsDir) ? parser.value(settingsDir) : defaultSettingsFolder();
    QDir().mkpath(folder);

    SystemMsClock clock;
    QtPrompts prompts;
    AppState state(clock, prompts, folder);
    if (parser.isSet(demo))
        prepareDemoSettings(state);

    // The instruments: the simulated rig unless the real routes are asked for.
    std::unique_ptr<InstrumentRoutes> routes =
        parser.isSet(hardware) ? InstrumentRoutes::hardware(parser.value(serialDevice))
                               : InstrumentRoutes::simulated(clock);
    Instruments instruments(state.settings, state.RpmTable, routes->libraries());

    QtClipboard clipboard;
    frmProgressWindow progress;
    // The recent-files list belongs to the user, not to "Parameters.txt".
    QSettings userSettings;
    RecentFiles recent(&userSettings);
    ControlPanelController controller(state, clipboard, progress, recent);

    // The main window reads the settings as it loads; the windows created after it find them.
    frmControlPanel main(controller);
    prompts.setParent(&main);
    // The preview is a KurvexCTRL canvas created by its identifier; the window owns it.
    if (kurvex::KurvexControl *preview =
            kurvex::createControl(QString::fromLatin1(kurvex::kProgId))) {
        main.setPreview(preview->widget(), [&state, preview](int track) {
            DrawTrackPreview(*preview, state.store, track, state.settings.PrevGraphDrawSetting);
        });
    }

    // The two graph windows of the run; the first stands at top 0, left 1000.
    GraphWindows graphs(clipboard);
    QtSoundPlayer sound;
    MeasureContext measure{state, instruments, graphs.graph(0), graphs.graph(1), sound};
    measure.showTrack = [&main](int track) { main.ShowDataInfo(track); };

    // The measurement windows exist from start-up; the menu shows them.
    CVModel cvModel(measure);
    frmMeasureCV cvWindow(cvModel);
    main.setWindowOpener(QStringLiteral("Cyclic Voltammogram"), [&] { showWindow(cvWindow); });
    RDEModel rdeModel(measure);
    frmMeasureRDE rdeWindow(rdeModel);
    main.setWindowOpener(QStringLiteral("RDE"), [&] { showWindow(rdeWindow); });
    PSModel psModel(measure);
    frmPotentialStep psWindow(psModel);
    main.setWindowOpener(QStringLiteral("Potential Step"), [&] { showWindow(psWindow); });
    RPMvsjModel rpmModel(measure);
    frmMeasureRPMvsj rpmWindow(rpmModel);
    main.setWindowOpener(QStringLiteral("RPM vs. i"), [&] { showWindow(rpmWindow); });
    MultipotentiostatModel multiModel(measure);
    frmMultipotentiostat multiWindow(multiModel);
    main.setWindowOpener(QStringLiteral("Multipotentiostat"), [&] { showWindow(multiWindow); });
    SSVModel ssvModel(measure, clipboard);
    frmMeasureSSV ssvWindow(ssvModel);
    main.addExtraEntry(QStringLiteral("Measurement_Acc"),
                       QStringLiteral("Steady State Voltammogram"), [&] { showWindow(ssvWindow); });
    MeasurementModel *const measurements[] = {&cvModel,  &rdeModel,   &psModel,
                                              &rpmModel, &multiModel, &ssvModel};

    frmPower powerWindow(instruments.powerController(), prompts);
    main.setWindowOpener(QStringLiteral("Power Control"), [&] { powerWindow.openWindow(); });
    AdjustRpmController adjustRpm(instruments, prompts, folder);
    frmAdjustRPM adjustWindow(adjustRpm);
    main.setWindowOpener(QStringLiteral("Adjust RPM"), [&] { adjustWindow.openWindow(); });

    // The simulated rig's own window: the cell and the potentiostat's front panel.
    std::unique_ptr<sim::SimPanelController> panel;
    std::unique_ptr<sim::SimCellController> cells;
    std::unique_ptr<frmSimRig> simWindow;
    if (sim::SimRig *rig = routes->rig()) {
        panel = std::make_unique<sim::SimPanelController>(*rig);
        cells = std::make_unique<sim::SimCellController>(*rig, folder);
        cells->load();
        simWindow = std::make_unique<frmSimRig>(*panel, cells.get());
        main.addExtraEntry(QStringLiteral("Tool_Acc"), QStringLiteral("Simulated Instrument"),
                           [&] { showWindow(*simWindow); });
    }

    QObject::connect(&main, &frmControlPanel::aboutToClose, &main, [&] {
        // A run still in progress is stopped and stored before the boards close.
        for (MeasurementModel *m : measurements)
            m->closeWindow();
        instruments.ADClose();
        instruments.DAClose();
    });
    QObject::connect(&main, &frmControlPanel::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    main.show();
    state.store.FileLoadCount = 0;
    if (!parser.positionalArguments().isEmpty())
        controller.openPath(parser.positionalArguments().constFirst());
    return app.exec();
}
