#include "ProgramWindows.h"

#include "analysis/ui/frmCottrellEquation.h"
#include "analysis/ui/frmCoulombCalculator.h"
#include "analysis/ui/frmKoutecky_Levich.h"
#include "analysis/ui/frmO2Reduction.h"
#include "analysis/ui/frmPeakAnalysis.h"
#include "analysis/ui/frmScanRateStudy.h"
#include "analysis/ui/frmTafelAnalyzer.h"
#include "app/ControlPanelController.h"
#include "app/frmControlPanel.h"
#include "app/ui/frmEditATrack.h"
#include "app/ui/frmEditTracks.h"
#include "canvas/KurvexControl.h"
#include "devices/AdjustRpmController.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimPanelController.h"
#include "devices/ui/frmAdjustRPM.h"
#include "devices/ui/frmPower.h"
#include "devices/ui/frmSimRig.h"
#include "importing/TrackSearch.h"
#include "importing/foreign/ui/frmImportForeign.h"
#include "importing/ui/frmImportTrack.h"
#include "importing/ui/frmSearchTrack.h"
#include "macro/MacroRunner.h"
#include "macro/ui/frmMacro.h"
#include "measure/CVModel.h"
#include "measure/MultipotentiostatModel.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/SSVModel.h"
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
#include "processing/IRCorrection.h"
#include "processing/Smoothing.h"
#include "processing/SpecialCopy.h"
#include "processing/TrackCalculation.h"
#include "processing/ui/frmCalculation.h"
#include "processing/ui/frmFFTFilter.h"
#include "processing/ui/frmIRCorrection.h"
#include "processing/ui/frmSmoothing.h"
#include "processing/ui/frmSpecialCopy.h"
#include "state/AppState.h"
#include "tracks/TrackEditing.h"
#include "workstation/Workstation.h"

#include <QApplication>
#include <QDir>
#include <QSettings>

namespace tervo {

namespace {

void showWindow(QWidget &w)
{
    w.show();
    w.raise();
    w.activateWindow();
}

} // namespace

struct ProgramWindows::Parts {
    Parts(Workstation &workstation, frmControlPanel &mainWindow, ControlPanelController &panel,
          Prompts &programPrompts, Clipboard &programClipboard, QSettings &settings);

    Workstation &ws;
    AppState &state;
    frmControlPanel &main;
    Prompts &prompts;
    Clipboard &clipboard;

    // The measurement windows exist from start-up; the menu shows them.
    frmMeasureCV cvWindow{ws.cv()};
    frmMeasureRDE rdeWindow{ws.rde()};
    frmPotentialStep psWindow{ws.ps()};
    frmMeasureRPMvsj rpmWindow{ws.rpmvsj()};
    frmMultipotentiostat multiWindow{ws.multi()};
    // The second, independent CV window that the macros' CVF commands drive.
    frmMeasureCV cvfWindow{ws.cvf()};
    frmMeasureSSV ssvWindow{ws.ssv()};

    // Processing: the FFT filter exists from start-up, the others from their first use.
    FFTFilterController fftModel{state.store, state.settings, prompts};
    frmFFTFilter fftWindow{fftModel};
    SmoothingController smoothModel{state.store, state.settings, prompts,
                                    QDir(QApplication::applicationDirPath())
                                        .filePath(QString::fromLatin1(kCoefficientFileName))};
    std::unique_ptr<frmSmoothing> smoothWindow;
    TrackCalculationController calcModel{state.store, prompts};
    std::unique_ptr<frmCalculation> calcWindow;
    SpecialCopyController specialCopyModel{state.store, state.settings, clipboard, prompts};
    std::unique_ptr<frmSpecialCopy> specialCopyWindow;
    IRCorrectionController irModel{state.store, prompts};
    std::unique_ptr<frmIRCorrection> irWindow;

    // The analysis windows: Koutecky-Levich, O2 reduction and Cottrell exist from start-up,
    // Tafel and Coulomb are made when first chosen.
    AnalysisPoints analysisPoints;
    Graph klGraph{clipboard};
    frmGraph klGraphWindow{klGraph};
    KouteckyLevichAnalysis klAnalysis{state.store, state.settings, analysisPoints, prompts};
    frmKoutecky_Levich klWindow{klAnalysis, klGraph};
    O2ReductionAnalysis o2Analysis{state.store, state.settings, prompts};
    frmO2Reduction o2Window{o2Analysis};
    CottrellAnalysis cottrellAnalysis{state.store, analysisPoints, prompts};
    frmCottrellEquation cottrellWindow{cottrellAnalysis};
    CoulombAnalysis coulombAnalysis{state.store, analysisPoints, prompts};
    std::unique_ptr<frmCoulombCalculator> coulombWindow;
    TafelAnalysis tafelAnalysis{state.store, state.settings, prompts};
    std::unique_ptr<frmTafelAnalyzer> tafelWindow;
    PeakAnalysis peakAnalysis{state.store, prompts};
    std::unique_ptr<frmPeakAnalysis> peakWindow;
    ScanRateStudy scanRateStudy{state.store, prompts};
    std::unique_ptr<frmScanRateStudy> scanRateWindow;

    frmPower powerWindow{ws.instruments().powerController(), prompts};
    AdjustRpmController adjustRpm{ws.instruments(), prompts, state.settingsFolder()};
    frmAdjustRPM adjustWindow{adjustRpm};

    // Editing the track list and single tracks, import and search; each window is made the
    // first time it is asked for.
    EditTracksController editTracks{state.store, prompts};
    std::unique_ptr<frmEditTracks> editTracksWindow;
    std::unique_ptr<frmReplaceTitle> replaceWindow;
    TrackEditor trackEditor{state.store, prompts, CycleBoundaries};
    std::unique_ptr<frmEditATrack> editorWindow;
    ImportTrackController importer{state.store, prompts};
    std::unique_ptr<frmImportTrack> importWindow;
    SearchTrackController searcher{state.store, prompts};
    std::unique_ptr<frmSearchTrack> searchWindow;
    foreign::ForeignImportController foreignImport;
    frmImportForeign foreignWindow{foreignImport};

    std::unique_ptr<MacroRunner> macroRunner;
    std::unique_ptr<frmMacro> macroWindow;

    // The simulated rig's own window: the cell and the potentiostat's front panel.
    std::unique_ptr<sim::SimPanelController> simPanel;
    std::unique_ptr<frmSimRig> simWindow;

    void addMeasurement();
    void addProcessing();
    void addAnalysis(ControlPanelController &panel);
    void addTracks();
    void addMacro();
    void addSimulatedRig();
    QWidget *windowOf(MeasurementModel &model);
};

ProgramWindows::Parts::Parts(Workstation &workstation, frmControlPanel &mainWindow,
                             ControlPanelController &panel, Prompts &programPrompts,
                             Clipboard &programClipboard, QSettings &settings)
    : ws(workstation), state(workstation.state()), main(mainWindow), prompts(programPrompts),
      clipboard(programClipboard), foreignImport(state.store, prompts, &settings)
{
    adjustRpm.setReadOnly(state.readOnly());
    // The preview is a KurvexCTRL canvas created by its identifier; the window owns it.
    if (kurvex::KurvexControl *preview =
            kurvex::createControl(QString::fromLatin1(kurvex::kProgId))) {
        offerFigureSaving(*preview);
        main.setPreview(preview->widget(), [this, preview](int track) {
            DrawTrackPreview(*preview, state.store, track, state.settings.PrevGraphDrawSetting);
        });
    }
    addMeasurement();
    addProcessing();
    addAnalysis(panel);
    main.setWindowOpener(QStringLiteral("Power Control"), [this] { powerWindow.openWindow(); });
    main.setWindowOpener(QStringLiteral("Adjust RPM"), [this] { adjustWindow.openWindow(); });
    addTracks();
    addMacro();
    addSimulatedRig();
}

void ProgramWindows::Parts::addMeasurement()
{
    main.setWindowOpener(QStringLiteral("Cyclic Voltammogram"), [this] { showWindow(cvWindow); });
    main.setWindowOpener(QStringLiteral("RDE"), [this] { showWindow(rdeWindow); });
    main.setWindowOpener(QStringLiteral("Potential Step"), [this] { showWindow(psWindow); });
    main.setWindowOpener(QStringLiteral("RPM vs. i"), [this] { showWindow(rpmWindow); });
    main.setWindowOpener(QStringLiteral("Multipotentiostat"), [this] { showWindow(multiWindow); });
    cvfWindow.setWindowTitle(QStringLiteral("CV Meaurement (CVF)"));
    cvfWindow.setObjectName(QStringLiteral("frmMeasureCVF"));
    main.addExtraEntry(QStringLiteral("Measurement_Acc"),
                       QStringLiteral("Steady State Voltammogram"),
                       [this] { showWindow(ssvWindow); });
}

void ProgramWindows::Parts::addProcessing()
{
    auto showCurrent = [this](int) { main.ShowDataInfo(state.store.CurrentTrack); };
    fftModel.trackChanged = showCurrent;
    main.setWindowOpener(QStringLiteral("FFT Filter"), [this] { fftWindow.openWindow(); });
    smoothModel.trackChanged = showCurrent;
    main.setWindowOpener(QStringLiteral("Smoothing"), [this] {
        if (!smoothWindow)
            smoothWindow = std::make_unique<frmSmoothing>(smoothModel);
        smoothWindow->openWindow();
    });
    calcModel.trackChanged = showCurrent;
    main.setWindowOpener(QStringLiteral("Calculation"), [this] {
        if (!calcWindow)
            calcWindow = std::make_unique<frmCalculation>(calcModel);
        calcWindow->openWindow();
    });
    main.setWindowOpener(QStringLiteral("Special Copy"), [this] {
        if (!specialCopyWindow)
            specialCopyWindow = std::make_unique<frmSpecialCopy>(specialCopyModel);
        specialCopyWindow->openWindow();
    });
    irModel.trackChanged = showCurrent;
    main.addExtraEntry(QStringLiteral("Calculation_Acc"), QStringLiteral("iR Correction"), [this] {
        if (!irWindow)
            irWindow = std::make_unique<frmIRCorrection>(irModel);
        irWindow->openWindow();
    });
}

void ProgramWindows::Parts::addAnalysis(ControlPanelController &panel)
{
    main.setWindowOpener(QStringLiteral("Koutecky-Levich Analysis"),
                         [this] { showWindow(klWindow); });
    main.setWindowOpener(QStringLiteral("%H2O Analysis(O2 reduction)"),
                         [this] { showWindow(o2Window); });
    main.setWindowOpener(QStringLiteral("Cottrell Equation Analysis"),
                         [this] { showWindow(cottrellWindow); });
    main.setWindowOpener(QStringLiteral("Coulomb Number Calculation"), [this] {
        if (!coulombWindow)
            coulombWindow = std::make_unique<frmCoulombCalculator>(coulombAnalysis);
        showWindow(*coulombWindow);
    });
    main.setWindowOpener(QStringLiteral("Tafel Analysis"), [this] {
        if (!tafelWindow)
            tafelWindow = std::make_unique<frmTafelAnalyzer>(tafelAnalysis);
        showWindow(*tafelWindow);
    });
    main.addExtraEntry(QStringLiteral("Analysis_Acc"), QStringLiteral("Peak Analysis"), [this] {
        if (!peakWindow)
            peakWindow = std::make_unique<frmPeakAnalysis>(peakAnalysis);
        showWindow(*peakWindow);
    });
    main.addExtraEntry(QStringLiteral("Analysis_Acc"), QStringLiteral("Scan Rate Study"), [this] {
        if (!scanRateWindow)
            scanRateWindow = std::make_unique<frmScanRateStudy>(scanRateStudy);
        showWindow(*scanRateWindow);
    });
    // All re-read their tracks after a file load.
    QObject::connect(&panel, &ControlPanelController::fileLoaded, &main, [this] {
        klWindow.InitializeParameters();
        o2Window.reinitialise();
        cottrellWindow.reinitialise();
        if (coulombWindow)
            coulombWindow->reinitialise();
        if (tafelWindow)
            tafelWindow->reinitialise();
        if (peakWindow)
            peakWindow->reinitialise();
    });
}

void ProgramWindows::Parts::addTracks()
{
    // A changed track is shown again in the main window.
    auto showEditedTrack = [this] { main.ShowDataInfo(state.store.CurrentTrack); };
    editTracks.changed = showEditedTrack;
    main.setWindowOpener(QStringLiteral("Edit Tracks"), [this] {
        if (!editTracksWindow)
            editTracksWindow = std::make_unique<frmEditTracks>(editTracks);
        showWindow(*editTracksWindow);
    });
    main.setWindowOpener(QStringLiteral("Replace words in each title"), [this, showEditedTrack] {
        if (!replaceWindow)
            replaceWindow = std::make_unique<frmReplaceTitle>(state.store, showEditedTrack);
        showWindow(*replaceWindow);
    });
    trackEditor.changed = showEditedTrack;
    main.setWindowOpener(QStringLiteral("Edit a Track"), [this] {
        if (!editorWindow)
            editorWindow = std::make_unique<frmEditATrack>(trackEditor, state.store);
        showWindow(*editorWindow);
    });
    importer.showTrack = [this](int track) { main.ShowDataInfo(track); };
    main.setWindowOpener(QStringLiteral("Import Track"), [this] {
        if (!importWindow)
            importWindow = std::make_unique<frmImportTrack>(
                importer, state.store, [this] { return state.settings.PrevGraphDrawSetting; },
                QDir::currentPath());
        showWindow(*importWindow);
    });
    searcher.showTrack = [this](int track) { main.ShowDataInfo(track); };
    main.setWindowOpener(QStringLiteral("Search Track"), [this] {
        if (!searchWindow)
            searchWindow = std::make_unique<frmSearchTrack>(searcher, QDir::currentPath());
        showWindow(*searchWindow);
    });

    // Exports of other instruments: the menu entry asks for files, a drop brings them.
    QObject::connect(&foreignImport, &foreign::ForeignImportController::trackWritten, &main,
                     [this](int track) { main.ShowDataInfo(track); });
    main.setWindowOpener(QStringLiteral("Import from other instrument…"), [this] {
        foreignImport.setStartTrack(state.store.CurrentTrack);
        foreignWindow.chooseFiles();
    });
    main.setDropHandler([this](const QStringList &paths) {
        foreignImport.setStartTrack(state.store.CurrentTrack);
        foreignWindow.openWith(paths);
    });
}

QWidget *ProgramWindows::Parts::windowOf(MeasurementModel &model)
{
    const std::pair<MeasurementModel *, QWidget *> windows[] = {
        {&ws.cv(), &cvWindow}, {&ws.cvf(), &cvfWindow},    {&ws.rde(), &rdeWindow},
        {&ws.ps(), &psWindow}, {&ws.rpmvsj(), &rpmWindow}, {&ws.ssv(), &ssvWindow}};
    for (const auto &[m, window] : windows)
        if (m == &model)
            return window;
    return nullptr;
}

// The macro editor drives the measurement windows through their models.
void ProgramWindows::Parts::addMacro()
{
    MacroEnvironment env = ws.macroEnvironment();
    env.showWindow = [this](MeasurementModel &m) { showWindow(*windowOf(m)); };
    env.closeWindow = [this](MeasurementModel &m) {
        windowOf(m)->close();
        // A window the macro opened without showing it has no close event.
        if (m.isOpen())
            m.closeWindow();
    };
    env.showPower = [this] { powerWindow.openWindow(); };
    macroRunner = std::make_unique<MacroRunner>(env);
    macroWindow = std::make_unique<frmMacro>(*macroRunner, prompts);
    main.setWindowOpener(QStringLiteral("Macro"), [this] { showWindow(*macroWindow); });
}

void ProgramWindows::Parts::addSimulatedRig()
{
    sim::SimRig *rig = ws.rig();
    if (!rig)
        return;
    simPanel = std::make_unique<sim::SimPanelController>(*rig);
    simWindow = std::make_unique<frmSimRig>(*simPanel, ws.cells());
    main.addExtraEntry(QStringLiteral("Tool_Acc"), QStringLiteral("Simulated Instrument"),
                       [this] { showWindow(*simWindow); });
}

ProgramWindows::ProgramWindows(Workstation &workstation, frmControlPanel &main,
                               ControlPanelController &controller, Prompts &prompts,
                               Clipboard &clipboard, QSettings &userSettings)
    : m(std::make_unique<Parts>(workstation, main, controller, prompts, clipboard, userSettings))
{
}

ProgramWindows::~ProgramWindows() = default;

} // namespace tervo
