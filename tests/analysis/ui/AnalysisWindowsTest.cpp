// The analysis windows as views: their controls reach the analyses and show the reports.
#include "../../canvas/QtApp.h"
#include "analysis/ui/frmCottrellEquation.h"
#include "analysis/ui/frmCoulombCalculator.h"
#include "analysis/ui/frmKoutecky_Levich.h"
#include "analysis/ui/frmO2Reduction.h"
#include "analysis/ui/frmPeakAnalysis.h"
#include "analysis/ui/frmScanRateStudy.h"
#include "analysis/ui/frmTafelAnalyzer.h"
#include "support/TestDoubles.h"
#include "tracks/TrackFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

// The program's one application object, which the plot tests of this binary share.
QApplication &app()
{
    ensureQtApp();
    return *qApp;
}

struct Workbench {
    QApplication &application = app();
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    AnalysisPoints points;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    Workbench()
    {
        ApplyDefaultSettings(settings);
        EXPECT_TRUE(loadTrackFile(*store, QStringLiteral(TERVO_SOURCE_DIR
                                                         "/examples/rrde-oxygen-reduction.tvd"))
                        .ok());
    }
};

QString result(QWidget &w)
{
    return w.findChild<QPlainTextEdit *>(QStringLiteral("txtResult"))->toPlainText();
}

} // namespace

TEST(AnalysisWindows, KouteckyLevichWindowDrivesTheAnalysisAndTheGraph)
{
    Workbench b;
    Graph graph(b.clipboard);
    KouteckyLevichAnalysis kl(*b.store, b.settings, b.points, b.prompts);
    frmKoutecky_Levich w(kl, graph);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Koutecky-Levich Analysis"));
    auto *range = w.findChild<QLineEdit *>(QStringLiteral("txtKLVrange"));
    range->setText(QStringLiteral("-0.02"));
    emit range->editingFinished();
    EXPECT_DOUBLE_EQ(b.settings.KLVrange, 0.02);
    auto *potential = w.findChild<QLineEdit *>(QStringLiteral("txtUseVoltage"));
    potential->setText(QStringLiteral("0.3"));
    emit potential->editingFinished();
    EXPECT_DOUBLE_EQ(kl.lowerBound(), 0.28);
    auto *use = w.findChild<QCheckBox *>(QStringLiteral("chkUse"));
    auto *track = w.findChild<QSpinBox *>(QStringLiteral("txtDataNum"));
    for (int t = 0; t < 4; ++t) {
        track->setValue(t);
        if (use->checkState() != Qt::Checked)
            use->click();
    }
    track->setValue(20);
    track->stepBy(1); // wraps to 0
    EXPECT_EQ(kl.selectedTrack(), 0);
    auto *end = w.findChild<QSpinBox *>(QStringLiteral("txtEnd"));
    end->setValue(99999);
    EXPECT_EQ(end->value(), b.store->kl.KLNEnd[0]);
    EXPECT_EQ(end->value(), (*b.store)[0].pnum - 1);
    w.findChild<QPushButton *>(QStringLiteral("cmdKLCalc"))->click();
    EXPECT_TRUE(b.prompts.messages.isEmpty())
        << b.prompts.messages.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(result(w).startsWith(QStringLiteral("File\trrde-oxygen-reduction.tvd\n")));
    EXPECT_TRUE(graph.isVisible());
    EXPECT_EQ(graph.title(), QStringLiteral("Koutecky-Levich Plot"));
}

TEST(AnalysisWindows, CaptionsAndCalculationButtons)
{
    Workbench b;
    TafelAnalysis tafel(*b.store, b.settings, b.prompts);
    frmTafelAnalyzer tafelWindow(tafel);
    CottrellAnalysis cottrell(*b.store, b.points, b.prompts);
    frmCottrellEquation cottrellWindow(cottrell);
    CoulombAnalysis coulomb(*b.store, b.points, b.prompts);
    frmCoulombCalculator coulombWindow(coulomb);
    O2ReductionAnalysis o2(*b.store, b.settings, b.prompts);
    frmO2Reduction o2Window(o2);
    EXPECT_EQ(tafelWindow.windowTitle(), QStringLiteral("Tafel Analysis"));
    EXPECT_EQ(cottrellWindow.windowTitle(), QStringLiteral("Cottrell Eqaution Analysis"));
    EXPECT_EQ(coulombWindow.windowTitle(), QStringLiteral("Coulomb Number Calculator (Disk Only)"));
    EXPECT_EQ(o2Window.windowTitle(), QStringLiteral("O2 Reduction Analysis"));

    // The %H2O table is there as soon as the window opens on a ring-disk track.
    o2Window.show();
    EXPECT_TRUE(result(o2Window).startsWith(QStringLiteral("Edisk/V\t%H2O\n")));
    EXPECT_GT(result(o2Window).count(QLatin1Char('\n')), 10);

    coulombWindow.show();
    coulombWindow.findChild<QSpinBox *>(QStringLiteral("txtDataNum"))->setValue(1);
    coulombWindow.findChild<QPushButton *>(QStringLiteral("cmdCalc"))->click();
    EXPECT_TRUE(
        result(coulombWindow)
            .startsWith(QStringLiteral("FileName:\trrde-oxygen-reduction.tvd\nTrack:\t1\n")));

    tafelWindow.show();
    auto *area = tafelWindow.findChild<QLineEdit *>(QStringLiteral("txtArea"));
    area->setText(QStringLiteral("0"));
    emit area->editingFinished();
    EXPECT_EQ(area->text(), QStringLiteral("1"));
    tafelWindow.findChild<QPushButton *>(QStringLiteral("cmdCalc"))->click();
    EXPECT_EQ((*b.store)[0].Area, 1);

    // A ring-disk track is not a potential-step track: Calculation does nothing.
    cottrellWindow.show();
    cottrellWindow.findChild<QPushButton *>(QStringLiteral("cmdCalc"))->click();
    EXPECT_TRUE(result(cottrellWindow).isEmpty());
}

TEST(AnalysisWindows, PeakWindowShowsItsAnalysisReport)
{
    Workbench b;
    ASSERT_TRUE(
        loadTrackFile(*b.store, QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd"))
            .ok());
    PeakAnalysis peaks(*b.store, b.prompts);
    frmPeakAnalysis w(peaks);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Peak Analysis"));
    auto *sweep = w.findChild<QSpinBox *>(QStringLiteral("txtSweep"));
    sweep->setValue(9);
    EXPECT_EQ(sweep->value(), 3); // the example has three sweeps there and back
    EXPECT_EQ(peaks.selectedSweep(), 3);
    auto *from = w.findChild<QLineEdit *>(QStringLiteral("txtBaseFrom"));
    auto *to = w.findChild<QLineEdit *>(QStringLiteral("txtBaseTo"));
    from->setText(QStringLiteral("0.58"));
    emit from->editingFinished();
    to->setText(QStringLiteral("0.5"));
    emit to->editingFinished();
    EXPECT_FALSE(peaks.baseWindow); // typed, not yet chosen
    w.findChild<QCheckBox *>(QStringLiteral("chkBaseWindow"))->click();
    ASSERT_TRUE(peaks.baseWindow);
    EXPECT_DOUBLE_EQ(peaks.baseWindow->from, 0.58);
    EXPECT_DOUBLE_EQ(peaks.baseWindow->to, 0.5);
    w.findChild<QPushButton *>(QStringLiteral("cmdCalc"))->click();
    EXPECT_TRUE(b.prompts.messages.isEmpty())
        << b.prompts.messages.join(QLatin1Char('|')).toStdString();
    QString report = peaks.report();
    EXPECT_TRUE(report.contains(QStringLiteral("Sweep\t3\r\nBase /V\t0.5800:0.5000\r\n")));
    EXPECT_EQ(result(w), report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

TEST(AnalysisWindows, ScanRateWindowDrivesTheStudy)
{
    Workbench b;
    ASSERT_TRUE(
        loadTrackFile(*b.store, QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd"))
            .ok());
    // The example's cycle as a second track at four times the rate, twice the current.
    b.store->CopyTrackHeader(0, 1);
    for (int p = 0; p < (*b.store)[0].pnum; ++p) {
        b.store->data(0, 1, p) = b.store->data(0, 0, p);
        b.store->data(1, 1, p) = 2 * b.store->data(1, 0, p);
    }
    (*b.store)[1].Scanrate = 200;
    ScanRateStudy study(*b.store, b.prompts);
    frmScanRateStudy w(study);
    w.show();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Scan Rate Study"));
    auto *tracks = w.findChild<QLineEdit *>(QStringLiteral("txtTracks"));
    tracks->setText(QStringLiteral("0, 1"));
    emit tracks->textEdited(tracks->text());
    EXPECT_EQ(study.tracks, (std::vector<int>{0, 1}));
    auto *area = w.findChild<QLineEdit *>(QStringLiteral("txtArea"));
    area->setText(QStringLiteral("0.5"));
    emit area->editingFinished();
    w.findChild<QPushButton *>(QStringLiteral("cmdTakeHeader"))->click();
    EXPECT_DOUBLE_EQ(study.area, 0.196); // the tracks' own
    w.findChild<QGroupBox *>(QStringLiteral("opnSolve"))
        ->findChildren<QRadioButton *>()
        .at(1)
        ->click();
    EXPECT_EQ(study.solve, ScanRateStudy::Concentration);
    w.findChild<QPushButton *>(QStringLiteral("cmdCalc"))->click();
    EXPECT_TRUE(b.prompts.messages.isEmpty())
        << b.prompts.messages.join(QLatin1Char('|')).toStdString();
    QString report = study.report();
    EXPECT_TRUE(report.contains(QStringLiteral("\r\n*C /molcm-3\t")));
    EXPECT_EQ(result(w), report.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
