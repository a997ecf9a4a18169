#include "measure/MeasureRig.h"
#include "measure/ui/frmMeasureCV.h"
#include "measure/ui/frmMeasureRDE.h"
#include "measure/ui/frmMeasureRPMvsj.h"
#include "measure/ui/frmMeasureSSV.h"
#include "measure/ui/frmMultipotentiostat.h"
#include "measure/ui/frmPotentialStep.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// Lives until the process ends: tearing the GUI down among the static destructors crashes.
void app()
{
    static int argc = 1;
    static char name[] = "measure_ui_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *a = new QApplication(argc, argv);
    (void)a;
}

void type(QWidget &w, const char *name, const QString &text)
{
    auto *edit = w.findChild<QLineEdit *>(QString::fromLatin1(name));
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
    emit edit->editingFinished();
}

QString textOf(QWidget &w, const char *name)
{
    auto *edit = w.findChild<QLineEdit *>(QString::fromLatin1(name));
    return edit ? edit->text() : QStringLiteral("<none>");
}

QPushButton *button(QWidget &w, const char *name)
{
    return w.findChild<QPushButton *>(QString::fromLatin1(name));
}

QRadioButton *option(QWidget &w, const char *group, int index)
{
    auto *box = w.findChild<QGroupBox *>(QString::fromLatin1(group));
    return box ? box->findChildren<QRadioButton *>().value(index) : nullptr;
}

} // namespace

TEST(MeasureViews, RingDiskWindowRunsFromItsButtons)
{
    app();
    MeasureRig r;
    RDEModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureRDE w(model);
    w.show();
    EXPECT_EQ(w.windowTitle(), "RDE Measurement");
    EXPECT_TRUE(model.timerEnabled());
    type(w, "txtSamplingRate", QStringLiteral("0"));
    EXPECT_EQ(model.acquisition().samplingRate, 0.1);
    EXPECT_EQ(textOf(w, "txtSamplingRate"), "0.1");
    type(w, "txtSamplingRate", QStringLiteral("10"));
    type(w, "txtAccum", QStringLiteral("1"));
    type(w, "txtRetainTime", QStringLiteral("0"));
    option(w, "opnMeasurement", 1)->click();
    EXPECT_EQ(model.fields().method, 1);

    button(w, "cmdStart")->click();
    EXPECT_EQ(model.state(), RDEModel::Measuring);
    EXPECT_FALSE(button(w, "cmdStart")->isEnabled());
    EXPECT_TRUE(button(w, "cmdStop")->isEnabled());
    r.ticks(model, 20);
    button(w, "cmdStop")->click();
    r.ticks(model, 1);
    EXPECT_TRUE(button(w, "cmdStart")->isEnabled());
    EXPECT_EQ(r.app->store[0].Mode, ModeRDE);
    EXPECT_EQ(r.app->store[0].pnum, 20);
    w.close();
    EXPECT_FALSE(model.timerEnabled());
}

// A rate the rotator cannot be set to is said in the window, without a message box.
TEST(MeasureViews, RateBeyondTheCalibrationIsSaidInTheWindow)
{
    app();
    MeasureRig r;
    r.useCard();
    RDEModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureRDE w(model);
    w.show();
    type(w, "txtRPM", QStringLiteral("2500"));
    option(w, "opnMeasurement", 1)->click();
    button(w, "cmdStart")->click();
    auto *notice = w.findChild<QLabel *>(QStringLiteral("lblNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().contains("2500") && notice->text().contains("2250"))
        << notice->text().toStdString();
    EXPECT_TRUE(r.prompts.messages.isEmpty());
    button(w, "cmdStop")->click();
    r.ticks(model, 1);
    w.close();
}

TEST(MeasureViews, ClosingTheRingDiskWindowMidRunStoresTheRun)
{
    app();
    MeasureRig r;
    RDEModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureRDE w(model);
    w.show();
    type(w, "txtRetainTime", QStringLiteral("0"));
    type(w, "txtAccum", QStringLiteral("1"));
    button(w, "cmdStart")->click();
    r.ticks(model, 5);
    w.close();
    EXPECT_FALSE(r.app->MeasurementRunning);
    EXPECT_EQ(r.app->store[0].pnum, 5);
}

TEST(MeasureViews, BrokenBoardHidesTheWindow)
{
    app();
    MeasureRig r;
    r.app->settings.ADBoard = 1;
    r.rig->aio().deviceName = QStringLiteral("AIO09");
    PSModel model(*r.context);
    model.setTimerDriven(false);
    frmPotentialStep w(model);
    w.show();
    QApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(r.prompts.messages, QStringList{QStringLiteral("AD Board不良です")});
}

TEST(MeasureViews, PotentialStepOptionsAndCheckBox)
{
    app();
    MeasureRig r;
    PSModel model(*r.context);
    model.setTimerDriven(false);
    frmPotentialStep w(model);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Potential Step Measurement");
    option(w, "opnMeasurement", 2)->click();
    EXPECT_EQ(model.fields().method, PSModel::ByCharge);
    option(w, "opnSampling", 1)->click();
    EXPECT_EQ(model.fields().samplingMode, 1);
    auto *graph = w.findChild<QCheckBox *>(QStringLiteral("chkGraphOn"));
    ASSERT_NE(graph, nullptr);
    graph->setChecked(!graph->isChecked());
    EXPECT_EQ(r.app->settings.PSGraphOn, graph->isChecked() ? 1 : 0);
    type(w, "txtSamplingRate", QStringLiteral("-3"));
    EXPECT_EQ(textOf(w, "txtSamplingRate"), "0.1");
    std::int16_t mode = 0;
    model.MeasMode(mode); // the macro's choice shows in the options
    EXPECT_TRUE(option(w, "opnMeasurement", 0)->isChecked());
}

TEST(MeasureViews, RotationRateSweepSpeedCheck)
{
    app();
    MeasureRig r;
    RPMvsjModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureRPMvsj w(model);
    w.show();
    EXPECT_EQ(w.windowTitle(), "RPM vs. i");
    type(w, "txtStartRPM", QStringLiteral("-50"));
    EXPECT_EQ(textOf(w, "txtStartRPM"), "0");
    type(w, "txtEndRPM", QStringLiteral("1500"));
    type(w, "txtSpeed", QStringLiteral("0"));
    EXPECT_EQ(textOf(w, "txtSpeed"), "15");
    model.AppliedMeasuremode(7);
    EXPECT_TRUE(option(w, "opnRPMvsj", 2)->isChecked());
    auto *recordTime = w.findChild<QCheckBox *>(QStringLiteral("chkRecordTime"));
    ASSERT_NE(recordTime, nullptr);
    recordTime->setChecked(true);
    EXPECT_TRUE(model.fields().recordTime);
}

TEST(MeasureViews, MultipotentiostatInputsAndSamplingButton)
{
    app();
    MeasureRig r;
    MultipotentiostatModel model(*r.context);
    model.setTimerDriven(false);
    frmMultipotentiostat w(model);
    w.show();
    EXPECT_EQ(r.prompts.messages.first(),
              "Once you push 'Start' button, Track 0 to 11's data will be lost!");
    auto *box = w.findChild<QComboBox *>(QStringLiteral("cbxADCh5"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->count(), 64);
    EXPECT_EQ(box->itemText(63), "Ch63");
    box->setCurrentIndex(40);
    emit box->activated(40);
    EXPECT_EQ(r.app->settings.MMAdch[5], 40);
    EXPECT_TRUE(model.usedInputs()[40]);
    type(w, "txtScale5", QStringLiteral("0.002"));
    EXPECT_EQ(r.app->settings.MMScale[5], 0.002);
    EXPECT_EQ(w.findChild<QLabel *>(QStringLiteral("lblCh9"))->text(), "ch 10");

    EXPECT_FALSE(button(w, "cmdSampling")->isEnabled());
    option(w, "opnMMMeas", 2)->click();
    type(w, "txtSamplingrate", QStringLiteral("10"));
    type(w, "txtAccum", QStringLiteral("1"));
    button(w, "cmdStart")->click();
    EXPECT_TRUE(button(w, "cmdSampling")->isEnabled());
    r.ticks(model, 1);
    button(w, "cmdSampling")->click();
    r.ticks(model, 1);
    button(w, "cmdSampling")->click();
    button(w, "cmdStop")->click();
    r.ticks(model, 1);
    EXPECT_EQ(r.app->store[0].Mode, ModeMulti);
    EXPECT_EQ(r.app->store[0].pnum, 2);
}

TEST(MeasureViews, CyclicVoltammetrySetWrapsAndRuns)
{
    app();
    MeasureRig r;
    CVModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureCV w(model);
    w.show();
    EXPECT_EQ(w.windowTitle(), "CV Meaurement");
    auto *set = w.findChild<QSpinBox *>(QStringLiteral("updSetting"));
    ASSERT_NE(set, nullptr);
    r.app->settings.CVNum = 0;
    model.stepSet(0);
    set->setValue(-1);
    EXPECT_EQ(r.app->settings.CVNum, 5); // below 0 comes 5
    EXPECT_EQ(set->value(), 5);
    set->setValue(6);
    EXPECT_EQ(r.app->settings.CVNum, 0); // above 5 comes 0
    EXPECT_EQ(set->value(), 0);
    type(w, "txtRetainTime", QStringLiteral("0"));
    type(w, "txtAccum", QStringLiteral("1"));
    option(w, "opnMeasurement", 1)->click();
    button(w, "cmdStart")->click();
    r.ticks(model, 4);
    button(w, "cmdStop")->click();
    r.ticks(model, 1);
    EXPECT_EQ(r.app->store[0].Mode, ModeCV);
    EXPECT_EQ(r.app->store[0].pnum, 4);
}

namespace {

template <class View, class Model> void expectStartAsks(MeasureRig &r, Model &model)
{
    model.setTimerDriven(false);
    View w(model);
    w.show();
    QApplication::processEvents();
    r.prompts.questions.clear();
    button(w, "cmdStart")->click();
    EXPECT_EQ(r.prompts.questions.size(), 1) << w.objectName().toStdString();
    EXPECT_FALSE(r.app->MeasurementRunning) << w.objectName().toStdString();
}

} // namespace

TEST(MeasureViews, StartOnAnOccupiedTrackAsksInEveryWindow)
{
    app();
    MeasureRig r;
    r.useCard();
    for (int t = 0; t < kUserTracks; ++t)
        r.app->store[t].Mode = ModeCV;
    CVModel cv(*r.context);
    expectStartAsks<frmMeasureCV>(r, cv);
    RDEModel rde(*r.context);
    expectStartAsks<frmMeasureRDE>(r, rde);
    PSModel ps(*r.context);
    expectStartAsks<frmPotentialStep>(r, ps);
    RPMvsjModel rpm(*r.context);
    expectStartAsks<frmMeasureRPMvsj>(r, rpm);
    MultipotentiostatModel mm(*r.context);
    expectStartAsks<frmMultipotentiostat>(r, mm);
    SSVModel ssv(*r.context, r.clipboard);
    expectStartAsks<frmMeasureSSV>(r, ssv);
}

TEST(MeasureViews, SetSizeTakesTheGraphWindowsScreenUnits)
{
    MeasureRig r;
    r.monitor.SetSize(1500, 3000, 4500, 3000);
    const QRect g = MeasureWindow::pixelGeometry(1500, 3000, 4500, 3000);
    EXPECT_EQ(g.size(), r.monitor.surfaceSize());
    EXPECT_EQ(g.topLeft(), QPoint(200, 100));
}

TEST(MeasureViews, QuitThenAMacroStartLoadsTheWindowAgain)
{
    app();
    MeasureRig r;
    CVModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureCV w(model);
    w.show();
    QApplication::processEvents();
    ASSERT_TRUE(model.isOpen());
    w.QuitCVMeasurement();
    EXPECT_FALSE(model.isOpen());
    model.StartMeasurement();
    EXPECT_TRUE(model.isOpen());
    EXPECT_TRUE(r.app->MeasurementRunning);
    w.show(); // showing it now does not load it a second time
    QApplication::processEvents();
    EXPECT_EQ(model.state(), CVModel::Measuring);
    w.QuitCVMeasurement();
    EXPECT_FALSE(r.app->MeasurementRunning);
}

TEST(MeasureViews, TicksRefreshTheLabelsAtScreenRateAndAStopAtOnce)
{
    app();
    MeasureRig r;
    CVModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureCV w(model);
    w.show();
    auto *remain = w.findChild<QLabel *>(QStringLiteral("lblRemain"));
    ASSERT_NE(remain, nullptr);
    std::int32_t retain = 0;
    model.RetainTime(retain);
    model.SamplingRate(100);
    model.start();
    ASSERT_EQ(model.state(), CVModel::Measuring);
    r.ticks(model, 5);
    ASSERT_TRUE(model.isRecording());
    QTest::qWait(60);
    r.ticks(model, 300);
    // Three seconds of ticks, no refresh yet: the label waits for the screen-rate timer.
    EXPECT_NE(remain->text(), model.remainingText());
    QTest::qWait(60);
    EXPECT_EQ(remain->text(), model.remainingText());
    auto *start = button(w, "cmdStart");
    model.stop();
    r.ticks(model, 1); // the tick that finishes the run changes the state
    EXPECT_TRUE(start->isEnabled());
}

TEST(MeasureViews, SteadyStateWindowEditsRunsAndQuits)
{
    app();
    MeasureRig r;
    SSVModel model(*r.context, r.clipboard);
    model.setTimerDriven(false);
    frmMeasureSSV w(model);
    w.show();
    EXPECT_EQ(w.windowTitle(), "Steady State Voltammogram");
    type(w, "txtVoltStep", QStringLiteral("-1"));
    EXPECT_EQ(textOf(w, "txtVoltStep"), "0.001");
    type(w, "txtMinTime", QStringLiteral("9"));
    EXPECT_EQ(model.fields().minTime, 4);
    auto *accelerate = w.findChild<QCheckBox *>(QStringLiteral("chkAccelerate"));
    ASSERT_NE(accelerate, nullptr);
    accelerate->setChecked(!accelerate->isChecked());
    EXPECT_EQ(model.fields().accelerate, accelerate->isChecked() ? 1 : 0);
    type(w, "txtV0", QStringLiteral("0.3"));
    type(w, "txtV1", QStringLiteral("0.29"));
    type(w, "txtVoltStep", QStringLiteral("0.005"));
    type(w, "txtStepTime", QStringLiteral("2"));

    button(w, "cmdStart")->click();
    EXPECT_EQ(model.state(), SSVModel::Measuring);
    EXPECT_EQ(model.stepsPlanned(), 3 * 2 - 1);
    r.ticks(model, 3);
    button(w, "cmdStop")->click();
    r.ticks(model, 1);
    EXPECT_EQ(model.state(), SSVModel::Monitor);
    EXPECT_EQ(r.app->store[0].Mode, ModeSSV);
    w.QuitSSVMeasurement();
    EXPECT_FALSE(w.isVisible());
}

namespace {

// Types text into a box of one window and hands the same value to the macro operation of a
// second window of the same kind; both must keep the same field value.
template <class Model, class Window> struct BoxAndMacro {
    const char *box;
    double value;
    std::function<void(Model &, double)> macro;
    std::function<double(const Model &)> field;

    void check() const
    {
        MeasureRig r;
        Model byBox(*r.context), byMacro(*r.context);
        byBox.setTimerDriven(false);
        byMacro.setTimerDriven(false);
        Window w(byBox);
        type(w, box, QString::number(value));
        macro(byMacro, value);
        EXPECT_EQ(field(byBox), field(byMacro)) << box << " " << value;
    }
};

template <class Model> void retainTime(Model &m, double v)
{
    auto s = static_cast<std::int32_t>(v);
    m.RetainTime(s);
}

template <class Model> double retained(const Model &m)
{
    return m.acquisition().retainTime;
}

} // namespace

TEST(MeasureViews, BoxesKeepWhatTheMacroLinesKeep)
{
    app();
    using CV = BoxAndMacro<CVModel, frmMeasureCV>;
    using RDE = BoxAndMacro<RDEModel, frmMeasureRDE>;
    using PS = BoxAndMacro<PSModel, frmPotentialStep>;
    using RPj = BoxAndMacro<RPMvsjModel, frmMeasureRPMvsj>;
    const auto scanRate = [](RDEModel &m, double v) { m.scanrate(v); };
    const auto repeat = [](RDEModel &m, double v) {
        auto c = static_cast<std::int32_t>(v);
        m.Repeat(c);
    };
    const auto psScale = [](PSModel &m, double v) { m.DiskScale(v); };
    for (const RDE &c :
         {RDE{"txtScanRate", -5, scanRate, [](auto &m) { return m.fields().scanRate; }},
          RDE{"txtCycle", 0, repeat, [](auto &m) { return m.fields().cycles; }},
          RDE{"txtRetainTime", -3, retainTime<RDEModel>, retained<RDEModel>},
          RDE{"txtDiskYScale", 0, [](RDEModel &m, double v) { m.DiskScale(v); },
              [](auto &m) { return m.fields().diskYScale; }}})
        c.check();
    CV{"txtRetainTime", -3, retainTime<CVModel>, retained<CVModel>}.check();
    CV{"txtYScale", 0, [](CVModel &m, double v) { m.DiskScale(v); },
       [](auto &m) { return m.fields().yScale; }}
        .check();
    PS{"txtRetainTime", -3, retainTime<PSModel>, retained<PSModel>}.check();
    PS{"txtYScale", -1, psScale, [](auto &m) { return m.fields().yScale; }}.check();
    PS{"txtCoulomb", -1, [](PSModel &m, double v) { m.CoulombNumber(v); },
       [](auto &m) { return m.fields().coulomb; }}
        .check();
    RPj{"txtRetainTime", -3, retainTime<RPMvsjModel>, retained<RPMvsjModel>}.check();
}

// Only the cyclic-voltammetry window gives its box and its macro line different scan-rate rules.
TEST(MeasureViews, CyclicVoltammetryScanRateBoxAndMacroRules)
{
    app();
    MeasureRig r;
    CVModel model(*r.context);
    model.setTimerDriven(false);
    frmMeasureCV w(model);
    type(w, "txtScanRate", QStringLiteral("0"));
    EXPECT_EQ(model.fields().scanRate, 0.01);
    double rate = 0;
    model.scanrate(rate);
    EXPECT_EQ(rate, 0);
    rate = -1;
    model.scanrate(rate);
    EXPECT_EQ(model.fields().scanRate, 0.001);
}
