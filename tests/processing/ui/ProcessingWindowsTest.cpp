// The windows drive their controllers: a click on a button does what the controller does.
#include "../../canvas/ContextMenu.h"
#include "../../canvas/QtApp.h"
#include "../ProcessingFixtures.h"
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
#include "support/TestDoubles.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace tervo;

namespace {

struct WindowRig {
    std::unique_ptr<TrackStore> store = std::make_unique<TrackStore>();
    Settings settings;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    WindowRig()
    {
        ApplyDefaultSettings(settings);
        makeCV(*store, 0, ModeCV, 0.5, -0.5, 200, 2,
               [](double x, int s) { return (s ? 1e-6 : -1e-6) * (1 + x) + (s % 3) * 1e-8; });
        (*store)[0].MaxTime = 8000;
        (*store)[0].Title = QStringLiteral("cv");
        makeCV(*store, 1, ModeCV, 0.5, -0.5, 200, 2, [](double, int) { return 1e-7; });
    }
};

} // namespace

TEST(ProcessingWindows, FFTFilterRecordsIntoTheDestination)
{
    WindowRig r;
    FFTFilterController c(*r.store, r.settings, r.prompts);
    frmFFTFilter w(c);
    w.openWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("FFTFilter"));
    EXPECT_EQ(w.txtDesNum.box->text(), QStringLiteral("10"));
    w.txtYMaxFrequency->setText(QStringLiteral("-5"));
    emit w.txtYMaxFrequency->editingFinished();
    EXPECT_EQ(r.settings.FFTFymax, 0.1);
    w.cmdCalc->click();
    EXPECT_EQ(w.txtDestTitle->text(), QStringLiteral("FFT_cv"));
    w.cmdRecordAnotherTrack->click();
    EXPECT_EQ((*r.store)[10].Title, QStringLiteral("FFT_cv"));
    EXPECT_EQ(w.lblDestMode->text(), QStringLiteral("Mode:CV"));
}

TEST(ProcessingWindows, SmoothingUpdatesTheSelectedTrack)
{
    WindowRig r;
    SmoothingController c(*r.store, r.settings, r.prompts,
                          QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat"));
    frmSmoothing w(c);
    w.openWindow();
    EXPECT_TRUE(w.opnYFilter[1]->isChecked());
    EXPECT_EQ(w.txtPointNum.box->text(), QStringLiteral("5"));
    w.txtPointNum.up->click();
    EXPECT_EQ(w.txtPointNum.box->text(), QStringLiteral("7"));
    EXPECT_EQ(w.txtSkipNum->text(), QStringLiteral("3"));
    w.cmdUpdate->click();
    EXPECT_EQ(r.prompts.messages.size(), 1);
    w.cmdCalc->click();
    w.cmdUpdate->click();
    EXPECT_EQ(r.prompts.messages.size(), 1);
}

TEST(ProcessingWindows, CalculationWritesTrackC)
{
    WindowRig r;
    TrackCalculationController c(*r.store, r.prompts);
    frmCalculation w(c);
    w.openWindow();
    w.txtOpeB.up->click();
    w.opnOperator[1]->click();
    w.cmdCalc->click();
    EXPECT_EQ(w.txtOpeCTitle->text(), QStringLiteral("(1* Track0-1* Track1)[xBshift=0]"));
    w.cmdUpdate->click();
    EXPECT_EQ((*r.store)[20].Title, w.txtOpeCTitle->text());
    EXPECT_NEAR(r.store->data(1, 20, 10), r.store->data(1, 0, 10) - 1e-7, 1e-18);
}

TEST(ProcessingWindows, SpecialCopyPutsTheTextOnTheClipboard)
{
    WindowRig r;
    SpecialCopyController c(*r.store, r.settings, r.clipboard, r.prompts);
    frmSpecialCopy w(c);
    w.openWindow();
    EXPECT_EQ(w.txtDistance->text(), QStringLiteral("0.05"));
    w.opnConversion[1]->click();
    w.cmdGo->click();
    EXPECT_EQ(r.prompts.messages, QStringList{QStringLiteral("Please Input the electrode area.")});
    w.txtArea->setText(QStringLiteral("0.2"));
    w.cmdGo->click();
    EXPECT_TRUE(r.clipboard.content.contains(QStringLiteral("Disk/Acm-2")));
}

// The window writes E - i Ru into the destination, asking first when it holds a track.
TEST(ProcessingWindows, IRCorrectionRecordsIntoTheDestination)
{
    WindowRig r;
    IRCorrectionController c(*r.store, r.prompts);
    int changed = -1;
    c.trackChanged = [&changed](int t) { changed = t; };
    frmIRCorrection w(c);
    w.openWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("iR Correction"));
    w.txtRu->setText(QStringLiteral("-5"));
    emit w.txtRu->editingFinished();
    EXPECT_EQ(w.txtRu->text(), QStringLiteral("0"));
    w.txtRu->setText(QStringLiteral("1000"));
    emit w.txtRu->editingFinished();
    EXPECT_EQ(c.resistance(), 1000);
    EXPECT_EQ(w.txtDesNum.box->text(), QStringLiteral("1"));
    // Track 1 holds a track: cancelled, nothing is written.
    w.cmdRecordAnotherTrack->click();
    EXPECT_EQ(r.prompts.questions.size(), 1);
    EXPECT_EQ(changed, -1);
    EXPECT_EQ((*r.store)[1].Title, QString());
    w.txtDesNum.box->setText(QStringLiteral("5"));
    emit w.txtDesNum.box->editingFinished();
    w.cmdRecordAnotherTrack->click();
    EXPECT_EQ(changed, 5);
    EXPECT_EQ((*r.store)[5].Title, QStringLiteral("cv (E - i*1000 ohm)"));
    EXPECT_DOUBLE_EQ(r.store->data(0, 5, 10),
                     r.store->data(0, 0, 10) - 1000 * r.store->data(1, 0, 10));
    // Correcting the source in place is asked too: its measured potentials would be lost.
    const double measured = r.store->data(0, 0, 10);
    w.txtDesNum.box->setText(QStringLiteral("0"));
    emit w.txtDesNum.box->editingFinished();
    w.cmdRecordAnotherTrack->click();
    EXPECT_EQ(r.prompts.questions.size(), 2);
    EXPECT_DOUBLE_EQ(r.store->data(0, 0, 10), measured);
}

// Every preview and spectrum of the processing windows can be saved as a figure.
TEST(ProcessingWindows, CanvasesOfferSavingTheFigure)
{
    WindowRig r;
    FFTFilterController fft(*r.store, r.settings, r.prompts);
    SmoothingController smooth(*r.store, r.settings, r.prompts,
                               QStringLiteral(TERVO_BIN_DIR "/Savitzky-Golay.dat"));
    TrackCalculationController calc(*r.store, r.prompts);
    SpecialCopyController copy(*r.store, r.settings, r.clipboard, r.prompts);
    frmFFTFilter fftWindow(fft);
    frmSmoothing smoothWindow(smooth);
    frmCalculation calcWindow(calc);
    frmSpecialCopy copyWindow(copy);
    const std::vector<kurvex::KurvexControl *> canvases = {
        fftWindow.PrevGraph, fftWindow.FrequencyGraph, smoothWindow.PrevGraph, calcWindow.PrevGraph,
        copyWindow.PrevGraph};
    for (kurvex::KurvexControl *c : canvases) {
        ASSERT_NE(c, nullptr);
        EXPECT_TRUE(contextMenuEntries(c->widget()).contains(QStringLiteral("Save Figure\u2026")))
            << c->widget()->objectName().toStdString();
    }
}
