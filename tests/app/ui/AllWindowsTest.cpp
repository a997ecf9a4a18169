// Every window of the program as it opens: it fits a 1366 x 768 screen, and a box that shows a
// long track title shows its beginning.
#include "analysis/Cottrell.h"
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/PeakAnalysis.h"
#include "analysis/ScanRateStudy.h"
#include "analysis/Tafel.h"
#include "analysis/ui/frmCottrellEquation.h"
#include "analysis/ui/frmCoulombCalculator.h"
#include "analysis/ui/frmKoutecky_Levich.h"
#include "analysis/ui/frmO2Reduction.h"
#include "analysis/ui/frmPeakAnalysis.h"
#include "analysis/ui/frmScanRateStudy.h"
#include "analysis/ui/frmTafelAnalyzer.h"
#include "app/ControlPanelController.h"
#include "app/ProgressReporter.h"
#include "app/RecentFiles.h"
#include "app/SettingsController.h"
#include "app/frmControlPanel.h"
#include "app/frmProgressWindow.h"
#include "app/frmSettings.h"
#include "app/ui/frmEditATrack.h"
#include "app/ui/frmEditTracks.h"
#include "canvas/QtApp.h"
#include "devices/AdjustRpmController.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimPanelController.h"
#include "devices/ui/frmAdjustRPM.h"
#include "devices/ui/frmPower.h"
#include "devices/ui/frmSimRig.h"
#include "importing/TrackImport.h"
#include "importing/TrackSearch.h"
#include "importing/foreign/ForeignImportController.h"
#include "importing/foreign/ui/frmImportForeign.h"
#include "importing/ui/frmImportTrack.h"
#include "importing/ui/frmSearchTrack.h"
#include "macro/MacroRunner.h"
#include "macro/ui/frmMacro.h"
#include "measure/CVModel.h"
#include "measure/MeasureRig.h"
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
#include "plot/PlotRanges.h"
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
#include "tracks/TrackEditing.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace tervo;

namespace {

// The windows open on a 1366 x 768 screen less its taskbar; a window's title bar takes 30 more.
constexpr int kScreenWidth = 1366;
constexpr int kClientHeight = 768 - 40 - 30;
[[maybe_unused]] const bool kSmallScreen =
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" TERVO_TEST_DATA "/screens/1366x768-less-taskbar.json");

const QString kLongTitle =
    QStringLiteral("Beginning of a long title: oxygen reduction on platinum in 0.1 M HClO4, "
                   "1600 rpm, 10 mV/s, after 50 cycles of cleaning in the same solution");

void occupy(TrackStore &store, int track)
{
    TrackHeader &h = store[track];
    h.Mode = ModeCV;
    h.Title = kLongTitle;
    h.Scanrate = 50;
    h.pnum = 60;
    h.Vxmin = -0.5;
    h.Vxmax = 0.5;
    h.Vymin = -1e-6;
    h.Vymax = 1e-6;
    for (int p = 0; p < h.pnum; ++p) {
        store.data(0, track, p) = -0.5 + p / 59.0;
        store.data(1, track, p) = 1e-6 * std::sin(p / 6.0);
        store.data(2, track, p) = p;
    }
}

// Everything the windows are made over, as the program makes it.
struct Program {
    MeasureRig rig;
    AppState &state = *rig.app;
    MemoryClipboard clipboard;
    NullProgress progress;
    RecentFiles recent;
    ScriptedPrompts prompts;
    QTemporaryDir folder;
    ControlPanelController controller{state, clipboard, progress, recent};
    SettingsController settingsController{state.settings, prompts};
    CVModel cv{*rig.context};
    RDEModel rde{*rig.context};
    PSModel ps{*rig.context};
    RPMvsjModel rpm{*rig.context};
    MultipotentiostatModel multi{*rig.context};
    SSVModel ssv{*rig.context, clipboard};
    FFTFilterController fft{state.store, state.settings, prompts};
    SmoothingController smoothing{state.store, state.settings, prompts,
                                  QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat")};
    TrackCalculationController calculation{state.store, prompts};
    SpecialCopyController specialCopy{state.store, state.settings, clipboard, prompts};
    AnalysisPoints points;
    KouteckyLevichAnalysis kl{state.store, state.settings, points, prompts};
    O2ReductionAnalysis o2{state.store, state.settings, prompts};
    CottrellAnalysis cottrell{state.store, points, prompts};
    CoulombAnalysis coulomb{state.store, points, prompts};
    TafelAnalysis tafel{state.store, state.settings, prompts};
    PeakAnalysis peaks{state.store, prompts};
    ScanRateStudy scanRates{state.store, prompts};
    IRCorrectionController ir{state.store, prompts};
    AdjustRpmController adjust{*rig.instruments, prompts, folder.path()};
    EditTracksController editTracks{state.store, prompts};
    TrackEditor editor{state.store, prompts, CycleBoundaries};
    ImportTrackController importer{state.store, prompts};
    SearchTrackController searcher{state.store, prompts};
    foreign::ForeignImportController foreignImport{state.store, prompts, nullptr};
    sim::SimPanelController panel{*rig.rig};
    sim::SimCellController cells{*rig.rig, folder.path()};
    std::unique_ptr<MacroRunner> macro;

    Program()
    {
        ensureQtApp();
        MacroEnvironment env{state, *rig.instruments, rig.sound};
        env.cv = &cv;
        env.rde = &rde;
        env.ps = &ps;
        env.rpmvsi = &rpm;
        macro = std::make_unique<MacroRunner>(env);
    }
};

struct Window {
    const char *name;
    std::function<QWidget *(Program &)> make;
};

template <typename W, typename... Args> QWidget *made(Args &&...args)
{
    return new W(std::forward<Args>(args)...);
}

const std::vector<Window> &windows()
{
    static const std::vector<Window> list = {
        {"frmControlPanel", [](Program &p) { return made<frmControlPanel>(p.controller); }},
        {"frmProgressWindow", [](Program &) { return made<frmProgressWindow>(); }},
        {"frmSettings", [](Program &p) { return made<frmSettings>(p.settingsController); }},
        {"frmGraph", [](Program &p) { return made<frmGraph>(p.rig.result); }},
        {"frmMeasureCV", [](Program &p) { return made<frmMeasureCV>(p.cv); }},
        {"frmMeasureRDE", [](Program &p) { return made<frmMeasureRDE>(p.rde); }},
        {"frmPotentialStep", [](Program &p) { return made<frmPotentialStep>(p.ps); }},
        {"frmMeasureRPMvsj", [](Program &p) { return made<frmMeasureRPMvsj>(p.rpm); }},
        {"frmMultipotentiostat", [](Program &p) { return made<frmMultipotentiostat>(p.multi); }},
        {"frmMeasureSSV", [](Program &p) { return made<frmMeasureSSV>(p.ssv); }},
        {"frmFFTFilter", [](Program &p) { return made<frmFFTFilter>(p.fft); }},
        {"frmSmoothing", [](Program &p) { return made<frmSmoothing>(p.smoothing); }},
        {"frmCalculation", [](Program &p) { return made<frmCalculation>(p.calculation); }},
        {"frmSpecialCopy", [](Program &p) { return made<frmSpecialCopy>(p.specialCopy); }},
        {"frmKoutecky_Levich",
         [](Program &p) { return made<frmKoutecky_Levich>(p.kl, p.rig.monitor); }},
        {"frmO2Reduction", [](Program &p) { return made<frmO2Reduction>(p.o2); }},
        {"frmCottrellEquation", [](Program &p) { return made<frmCottrellEquation>(p.cottrell); }},
        {"frmCoulombCalculator", [](Program &p) { return made<frmCoulombCalculator>(p.coulomb); }},
        {"frmTafelAnalyzer", [](Program &p) { return made<frmTafelAnalyzer>(p.tafel); }},
        {"frmPeakAnalysis", [](Program &p) { return made<frmPeakAnalysis>(p.peaks); }},
        {"frmScanRateStudy", [](Program &p) { return made<frmScanRateStudy>(p.scanRates); }},
        {"frmIRCorrection", [](Program &p) { return made<frmIRCorrection>(p.ir); }},
        {"frmPower",
         [](Program &p) {
             return made<frmPower>(p.rig.instruments->powerController(), p.prompts);
         }},
        {"frmAdjustRPM", [](Program &p) { return made<frmAdjustRPM>(p.adjust); }},
        {"frmEditTracks", [](Program &p) { return made<frmEditTracks>(p.editTracks); }},
        {"frmReplaceTitle",
         [](Program &p) { return made<frmReplaceTitle>(p.state.store, std::function<void()>()); }},
        {"frmEditATrack", [](Program &p) { return made<frmEditATrack>(p.editor, p.state.store); }},
        {"frmImportTrack",
         [](Program &p) {
             return made<frmImportTrack>(
                 p.importer, p.state.store, [] { return 0; }, p.folder.path());
         }},
        {"frmSearchTrack",
         [](Program &p) { return made<frmSearchTrack>(p.searcher, p.folder.path()); }},
        {"frmImportForeign", [](Program &p) { return made<frmImportForeign>(p.foreignImport); }},
        {"frmMacro", [](Program &p) { return made<frmMacro>(*p.macro, p.prompts); }},
        {"frmSimRig", [](Program &p) { return made<frmSimRig>(p.panel, &p.cells); }},
    };
    return list;
}

// Each window opened over a program whose tracks carry a long title.
template <typename Check> void forEachOpenWindow(Check check)
{
    for (const Window &w : windows()) {
        Program p;
        // The main window clears the tracks as it loads; the others find them filled.
        std::unique_ptr<QWidget> main(made<frmControlPanel>(p.controller));
        for (int t = 0; t < 3; ++t)
            occupy(p.state.store, t);
        p.state.store.CurrentTrack = 0;
        std::unique_ptr<QWidget> window(w.name == std::string("frmControlPanel") ? main.release()
                                                                                 : w.make(p));
        window->show();
        QApplication::processEvents();
        check(w.name, *window);
        window->close();
        QApplication::processEvents();
    }
}

} // namespace

TEST(AllWindows, FitA1366By768Screen)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().height(), 728);
    forEachOpenWindow([](const char *name, QWidget &w) {
        const QSize least = w.minimumSizeHint().expandedTo(w.minimumSize());
        EXPECT_LE(least.width(), kScreenWidth) << name;
        EXPECT_LE(least.height(), kClientHeight) << name;
        EXPECT_LE(w.width(), kScreenWidth) << name;
        EXPECT_LE(w.height(), kClientHeight) << name;
    });
}

TEST(AllWindows, LongTitlesShowTheirBeginning)
{
    int boxes = 0;
    forEachOpenWindow([&boxes](const char *name, QWidget &w) {
        for (QLineEdit *box : w.findChildren<QLineEdit *>()) {
            if (box->text() != kLongTitle)
                continue;
            ++boxes;
            EXPECT_EQ(box->cursorPosition(), 0) << name << " " << box->objectName().toStdString();
        }
    });
    EXPECT_GE(boxes, 10); // the measurement, processing and analysis windows show the title
}
