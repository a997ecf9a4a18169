#include "ControlPanelController.h"
#include "QtPrompts.h"
#include "RecentFiles.h"
#include "SettingsFolderChoice.h"
#include "SignalClose.h"
#include "Translation.h"
#include "analysis/ui/frmCottrellEquation.h"
#include "analysis/ui/frmCoulombCalculator.h"
#include "analysis/ui/frmKoutecky_Levich.h"
#include "analysis/ui/frmO2Reduction.h"
#include "analysis/ui/frmTafelAnalyzer.h"
#include "app/KeychainSecretStore.h"
#include "app/ui/frmEditATrack.h"
#include "app/ui/frmEditTracks.h"
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
#include "importing/TrackSearch.h"
#include "importing/foreign/ui/frmImportForeign.h"
#include "importing/ui/frmImportTrack.h"
#include "importing/ui/frmSearchTrack.h"
#include "macro/MacroRunner.h"
#include "macro/SmtpMailSender.h"
#include "macro/SsvMacroAdapter.h"
#include "macro/ui/frmMacro.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/RunRecorder.h"
#include "measure/SSVModel.h"
#include "measure/ui/QtSoundPlayer.h"
#include "measure/ui/frmMeasureCV.h"
#include "measure/ui/frmMeasureRDE.h"
#include "measure/ui/frmMeasureRPMvsj.h"
#include "measure/ui/frmMeasureSSV.h"
#include "measure/ui/frmMultipotentiostat.h"
#include "measure/ui/frmPotentialStep.h"
#include "plot/FigureDialog.h"
#include "plot/PlotRanges.h"
#include "plot/TrackPreview.h"
#include "plot/frmGraph.h"
#include "processing/FFTFilter.h"
#include "processing/Smoothing.h"
#include "processing/SpecialCopy.h"
#include "processing/TrackCalculation.h"
#include "processing/ui/frmCalculation.h"
#include "processing/ui/frmFFTFilter.h"
#include "processing/ui/frmSmoothing.h"
#include "processing/ui/frmSpecialCopy.h"
#include "state/AppState.h"
#include "tracks/TrackEditing.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <memory>
#include <optional>

using namespace tervo;

namespace {

void showWindow(QWidget &w)
{
    w.show();
    w.raise();
    w.activateWindow();
}

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

    SystemMsClock clock;
    QtPrompts prompts;
    // The settings folder is this program's alone, or used read-only.
    std::optional<SettingsFolderChoice> claimed = chooseSettingsFolder(
        parser.isSet(settingsDir) ? parser.value(settingsDir) : defaultSettingsFolder(), prompts);
    if (!claimed)
        return 0;
    const QString folder = claimed->folder;
    AppState state(clock, prompts, folder);
    state.setReadOnly(claimed->readOnly);
    KeychainSecretStore secrets(secretFilePathFor(folder));
    state.setSecretStore(&secrets);
    if (parser.isSet(demo))
        prepareDemoSettings(state, QApplication::applicationDirPath());
    // The windows take their texts as they are made.
    installTranslation(app, state.settingsPath());

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
        offerFigureSaving(*preview);
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
    // The second, independent CV window that the macros' CVF commands drive.
    CVModel cvfModel(measure);
    frmMeasureCV cvfWindow(cvfModel);
    cvfWindow.setWindowTitle(QStringLiteral("CV Meaurement (CVF)"));
    cvfWindow.setObjectName(QStringLiteral("frmMeasureCVF"));
    SSVModel ssvModel(measure, clipboard);
    frmMeasureSSV ssvWindow(ssvModel);
    main.addExtraEntry(QStringLiteral("Measurement_Acc"),
                       QStringLiteral("Steady State Voltammogram"), [&] { showWindow(ssvWindow); });
    MeasurementModel *const measurements[] = {&cvModel,    &rdeModel, &psModel, &rpmModel,
                                              &multiModel, &cvfModel, &ssvModel};

    // Processing: the FFT filter exists from start-up, the others from their first use.
    auto showCurrent = [&main, &state](int) { main.ShowDataInfo(state.store.CurrentTrack); };
    FFTFilterController fftModel(state.store, state.settings, prompts);
    fftModel.trackChanged = showCurrent;
    frmFFTFilter fftWindow(fftModel);
    main.setWindowOpener(QStringLiteral("FFT Filter"), [&] { fftWindow.openWindow(); });
    SmoothingController smoothModel(state.store, state.settings, prompts,
                                    QDir(QApplication::applicationDirPath())
                                        .filePath(QString::fromLatin1(kCoefficientFileName)));
    smoothModel.trackChanged = showCurrent;
    std::unique_ptr<frmSmoothing> smoothWindow;
    main.setWindowOpener(QStringLiteral("Smoothing"), [&] {
        if (!smoothWindow)
            smoothWindow = std::make_unique<frmSmoothing>(smoothModel);
        smoothWindow->openWindow();
    });
    TrackCalculationController calcModel(state.store, prompts);
    calcModel.trackChanged = showCurrent;
    std::unique_ptr<frmCalculation> calcWindow;
    main.setWindowOpener(QStringLiteral("Calculation"), [&] {
        if (!calcWindow)
            calcWindow = std::make_unique<frmCalculation>(calcModel);
        calcWindow->openWindow();
    });
    SpecialCopyController specialCopyModel(state.store, state.settings, clipboard, prompts);
    std::unique_ptr<frmSpecialCopy> specialCopyWindow;
    main.setWindowOpener(QStringLiteral("Special Copy"), [&] {
        if (!specialCopyWindow)
            specialCopyWindow = std::make_unique<frmSpecialCopy>(specialCopyModel);
        specialCopyWindow->openWindow();
    });

    // The analysis windows: Koutecky-Levich, O2 reduction and Cottrell exist from start-up,
    // Tafel and Coulomb are made when first chosen. All re-read their tracks after a file load.
    AnalysisPoints analysisPoints;
    Graph klGraph(clipboard);
    frmGraph klGraphWindow(klGraph);
    KouteckyLevichAnalysis klAnalysis(state.store, state.settings, analysisPoints, prompts);
    frmKoutecky_Levich klWindow(klAnalysis, klGraph);
    main.setWindowOpener(QStringLiteral("Koutecky-Levich Analysis"), [&] { showWindow(klWindow); });
    O2ReductionAnalysis o2Analysis(state.store, state.settings, prompts);
    frmO2Reduction o2Window(o2Analysis);
    main.setWindowOpener(QStringLiteral("%H2O Analysis(O2 reduction)"),
                         [&] { showWindow(o2Window); });
    CottrellAnalysis cottrellAnalysis(state.store, analysisPoints, prompts);
    frmCottrellEquation cottrellWindow(cottrellAnalysis);
    main.setWindowOpener(QStringLiteral("Cottrell Equation Analysis"),
                         [&] { showWindow(cottrellWindow); });
    CoulombAnalysis coulombAnalysis(state.store, analysisPoints, prompts);
    std::unique_ptr<frmCoulombCalculator> coulombWindow;
    main.setWindowOpener(QStringLiteral("Coulomb Number Calculation"), [&] {
        if (!coulombWindow)
            coulombWindow = std::make_unique<frmCoulombCalculator>(coulombAnalysis);
        showWindow(*coulombWindow);
    });
    TafelAnalysis tafelAnalysis(state.store, state.settings, prompts);
    std::unique_ptr<frmTafelAnalyzer> tafelWindow;
    main.setWindowOpener(QStringLiteral("Tafel Analysis"), [&] {
        if (!tafelWindow)
            tafelWindow = std::make_unique<frmTafelAnalyzer>(tafelAnalysis);
        showWindow(*tafelWindow);
    });
    QObject::connect(&controller, &ControlPanelController::fileLoaded, &main, [&] {
        klWindow.InitializeParameters();
        o2Window.reinitialise();
        cottrellWindow.reinitialise();
        if (coulombWindow)
            coulombWindow->reinitialise();
        if (tafelWindow)
            tafelWindow->reinitialise();
    });

    frmPower powerWindow(instruments.powerController(), prompts);
    main.setWindowOpener(QStringLiteral("Power Control"), [&] { powerWindow.openWindow(); });
    AdjustRpmController adjustRpm(instruments, prompts, folder);
    frmAdjustRPM adjustWindow(adjustRpm);
    main.setWindowOpener(QStringLiteral("Adjust RPM"), [&] { adjustWindow.openWindow(); });

    // Editing the track list and single tracks, import and search; each window is made the
    // first time it is asked for. A changed track is shown again in the main window.
    auto showEditedTrack = [&] { main.ShowDataInfo(state.store.CurrentTrack); };
    EditTracksController editTracks(state.store, prompts);
    editTracks.changed = showEditedTrack;
    std::unique_ptr<frmEditTracks> editTracksWindow;
    main.setWindowOpener(QStringLiteral("Edit Tracks"), [&] {
        if (!editTracksWindow)
            editTracksWindow = std::make_unique<frmEditTracks>(editTracks);
        showWindow(*editTracksWindow);
    });
    std::unique_ptr<frmReplaceTitle> replaceWindow;
    main.setWindowOpener(QStringLiteral("Replace words in each title"), [&] {
        if (!replaceWindow)
            replaceWindow = std::make_unique<frmReplaceTitle>(state.store, showEditedTrack);
        showWindow(*replaceWindow);
    });
    TrackEditor trackEditor(state.store, prompts, CycleBoundaries);
    trackEditor.changed = showEditedTrack;
    std::unique_ptr<frmEditATrack> editorWindow;
    main.setWindowOpener(QStringLiteral("Edit a Track"), [&] {
        if (!editorWindow)
            editorWindow = std::make_unique<frmEditATrack>(trackEditor, state.store);
        showWindow(*editorWindow);
    });
    ImportTrackController importer(state.store, prompts);
    importer.showTrack = [&main](int track) { main.ShowDataInfo(track); };
    std::unique_ptr<frmImportTrack> importWindow;
    main.setWindowOpener(QStringLiteral("Import Track"), [&] {
        if (!importWindow)
            importWindow = std::make_unique<frmImportTrack>(
                importer, state.store, [&state] { return state.settings.PrevGraphDrawSetting; },
                QDir::currentPath());
        showWindow(*importWindow);
    });
    SearchTrackController searcher(state.store, prompts);
    searcher.showTrack = [&main](int track) { main.ShowDataInfo(track); };
    std::unique_ptr<frmSearchTrack> searchWindow;
    main.setWindowOpener(QStringLiteral("Search Track"), [&] {
        if (!searchWindow)
            searchWindow = std::make_unique<frmSearchTrack>(searcher, QDir::currentPath());
        showWindow(*searchWindow);
    });

    // Exports of other instruments: the menu entry asks for files, a drop brings them.
    foreign::ForeignImportController foreignImport(state.store, prompts, &userSettings);
    frmImportForeign foreignWindow(foreignImport);
    QObject::connect(&foreignImport, &foreign::ForeignImportController::trackWritten, &main,
                     [&main](int track) { main.ShowDataInfo(track); });
    main.setWindowOpener(QStringLiteral("Import from other instrument…"), [&] {
        foreignImport.setStartTrack(state.store.CurrentTrack);
        foreignWindow.chooseFiles();
    });
    main.setDropHandler([&](const QStringList &paths) {
        foreignImport.setStartTrack(state.store.CurrentTrack);
        foreignWindow.openWith(paths);
    });
    // The macro editor drives the measurement windows through their models.
    const std::pair<MeasurementModel *, QWidget *> macroWindows[] = {{&cvModel, &cvWindow},
                                                                     {&cvfModel, &cvfWindow},
                                                                     {&rdeModel, &rdeWindow},
                                                                     {&psModel, &psWindow},
                                                                     {&rpmModel, &rpmWindow}};
    const auto windowOf = [&macroWindows](MeasurementModel &m) -> QWidget * {
        for (const auto &[model, window] : macroWindows)
            if (model == &m)
                return window;
        return nullptr;
    };
    SmtpMailSender mail(state.settings);
    MacroEnvironment macroEnv{state, instruments, sound};
    macroEnv.cv = &cvModel;
    macroEnv.cvf = &cvfModel;
    macroEnv.rde = &rdeModel;
    macroEnv.ps = &psModel;
    macroEnv.rpmvsi = &rpmModel;
    macroEnv.mail = &mail;
    SsvMacroAdapter ssvMacro(ssvModel, [&] { showWindow(ssvWindow); });
    macroEnv.ssv = &ssvMacro;
    macroEnv.showWindow = [windowOf](MeasurementModel &m) { showWindow(*windowOf(m)); };
    macroEnv.closeWindow = [windowOf](MeasurementModel &m) {
        windowOf(m)->close();
        // A window the macro opened without showing it has no close event.
        if (m.isOpen())
            m.closeWindow();
    };
    macroEnv.showPower = [&] { powerWindow.openWindow(); };
    MacroRunner macroRunner(macroEnv);
    QObject::connect(&ssvModel, &MeasurementModel::notice, &macroRunner, &MacroRunner::note);
    frmMacro macroWindow(macroRunner, prompts);
    main.setWindowOpener(QStringLiteral("Macro"), [&] { showWindow(macroWindow); });

    // The simulated rig's own window: the cell and the potentiostat's front panel.
    std::unique_ptr<sim::SimPanelController> panel;
    std::unique_ptr<sim::SimCellController> cells;
    std::unique_ptr<frmSimRig> simWindow;
    if (sim::SimRig *rig = routes->rig()) {
        panel = std::make_unique<sim::SimPanelController>(*rig);
        cells = std::make_unique<sim::SimCellController>(*rig, folder);
        cells->load();
        simWindow = std::make_unique<frmSimRig>(*panel, cells.get());
        // Runs on the simulated cell carry its concentration, area and electrons.
        measure.cellFacts = [&cells]() -> std::optional<CellFacts> {
            CellFacts f;
            if (!cells->trackFields(f.Conc, f.Area, f.ne))
                return std::nullopt;
            return f;
        };
        main.addExtraEntry(QStringLiteral("Tool_Acc"), QStringLiteral("Simulated Instrument"),
                           [&] { showWindow(*simWindow); });
    }

    // Unsaved runs survive a crash: recovery track file and journal in the settings folder. A
    // read-only program leaves them to the program that holds the folder.
    std::unique_ptr<RunRecorder> recorder;
    if (!state.readOnly()) {
        recorder = std::make_unique<RunRecorder>(measure, folder);
        for (MeasurementModel *m : measurements)
            recorder->watch(*m);
    }
    controller.setStopMeasurement([&measurements] {
        for (MeasurementModel *m : measurements)
            m->stopNow();
    });
    // SIGTERM and SIGHUP close the program without a question and keep the recovery files; one
    // during the start-up offer ends the program with the files as they were.
    bool started = false;
    SignalClose signalClose([&] {
        withdrawQuestions();
        if (started)
            main.closeUnasked();
    });

    QObject::connect(&main, &frmControlPanel::aboutToClose, &main, [&] {
        // A run still in progress is stopped and stored before the boards close.
        for (MeasurementModel *m : measurements)
            m->closeWindow();
        if (recorder) {
            // Only a save or an explicit Discard gives up the recovery files.
            if (main.quitAnswer() == ControlPanelController::QuitAnswer::QuitDiscardingRecovery)
                recorder->discard();
            else
                recorder->writeRecovery();
        }
        instruments.ADClose();
        instruments.DAClose();
    });
    QObject::connect(&main, &frmControlPanel::closed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    main.show();
    state.store.FileLoadCount = 0;
    if (recorder)
        recorder->offerRecovery(prompts, [&signalClose] { return signalClose.received(); });
    if (signalClose.received())
        return 0;
    started = true;
    if (!parser.positionalArguments().isEmpty())
        controller.openPath(parser.positionalArguments().constFirst());
    return app.exec();
}
