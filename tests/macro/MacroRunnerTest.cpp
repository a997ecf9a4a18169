#include "macro/MacroRunner.h"
#include "macro/FastMacroDriver.h"
#include "measure/CVModel.h"
#include "measure/MeasureRig.h"
#include "measure/PSModel.h"
#include "measure/RDEModel.h"
#include "measure/RPMvsjModel.h"
#include "measure/SSVModel.h"
#include "support/TestDoubles.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

class RecordingMail : public MailSender {
public:
    std::vector<MailMessage> sent;
    QString failWith;
    Delivery delivery(const MailMessage &m) override
    {
        return [this, m](QString &error, std::stop_token) {
            if (!failWith.isEmpty()) {
                error = failWith;
                return false;
            }
            sent.push_back(m);
            return true;
        };
    }
};

struct MacroRig {
    MeasureRig rig;
    RecordingMail mail;
    std::unique_ptr<CVModel> cv, cvf;
    std::unique_ptr<RDEModel> rde;
    std::unique_ptr<PSModel> ps;
    std::unique_ptr<RPMvsjModel> rpm;
    std::unique_ptr<SSVModel> ssv;
    std::unique_ptr<MacroRunner> runner;
    std::unique_ptr<FastMacroDriver> driver;
    std::vector<int> outcomes;
    QStringList handled;

    explicit MacroRig(bool withSsv = false)
    {
        rig.app->settings.DABoard = 1;
        rig.app->settings.PowerControl = 1;
        rig.useCard();
        rig.useFaults();
        cv = std::make_unique<CVModel>(*rig.context);
        cvf = std::make_unique<CVModel>(*rig.context);
        rde = std::make_unique<RDEModel>(*rig.context);
        ps = std::make_unique<PSModel>(*rig.context);
        rpm = std::make_unique<RPMvsjModel>(*rig.context);
        if (withSsv)
            ssv = std::make_unique<SSVModel>(*rig.context, rig.clipboard);
        MacroEnvironment env{*rig.app, *rig.instruments, rig.sound};
        env.cv = cv.get();
        env.cvf = cvf.get();
        env.rde = rde.get();
        env.ps = ps.get();
        env.rpmvsi = rpm.get();
        env.ssv = ssv.get();
        env.mail = &mail;
        runner = std::make_unique<MacroRunner>(env);
        driver = std::make_unique<FastMacroDriver>(
            *runner, rig.clock,
            std::vector<MeasurementModel *>{cv.get(), cvf.get(), rde.get(), ps.get(), rpm.get()});
        QObject::connect(runner.get(), &MacroRunner::finished,
                         [this](int outcome, const QString &) { outcomes.push_back(outcome); });
        QObject::connect(runner.get(), &MacroRunner::lineStarted,
                         [this](int i, const QString &) { handled << QString::number(i + 1); });
    }

    void run(const QString &lines) { runner->run(QString(lines).replace("|", "\r\n")); }
};

} // namespace

TEST(MacroRunner, FastSeriesOnTheSimulatedRigFillsTheTracks)
{
    MacroRig m;
    m.run("CVMeasureMode|    CV.RecordTrack 2|    CV.Title Pt-CV|    CV.RPM 0|"
          "    CV.Voltage 0 1 -1|    CV.RetainTime 2|    CV.Scanrate 100|    CV.Repeat 1|"
          "    CV.SamplingRate 10|    CV.Accumlation 20|    CV.Start|CV.END|"
          "RDEMeasureMode|    RDE.RecordTrack 5|    RDE.Title Pt-RDE|    RDE.RPM 900|"
          "    RDE.Voltage 0 1 -1|    RDE.RetainTime 2|    RDE.Scanrate 100|    RDE.Repeat 1|"
          "    RDE.SamplingRate 10|    RDE.Accumlation 20|    RDE.Start");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed});
    const TrackStore &s = m.rig.app->store;
    EXPECT_EQ(s[2].Mode, ModeCV);
    EXPECT_EQ(s[2].Title, "Pt-CV");
    EXPECT_EQ(s[5].Mode, ModeRDE);
    EXPECT_EQ(s[5].Title, "Pt-RDE");
    EXPECT_EQ(s[5].RPM, 900);
    const int cvPoints = static_cast<int>(CVModel::runLengthMs({0, 1, -1}, 100, 1) / 100);
    const int rdePoints = static_cast<int>(RDEModel::runLengthMs({0, 1, -1}, 100, 1) / 100);
    EXPECT_NEAR(s[2].pnum, cvPoints, 2);
    EXPECT_NEAR(s[5].pnum, rdePoints, 2);
    // The CV window was closed by CV.END; the RDE window stays open.
    EXPECT_FALSE(m.cv->isOpen());
    EXPECT_TRUE(m.rde->isOpen());
    EXPECT_FALSE(m.rig.app->MeasurementRunning);
}

TEST(MacroRunner, OccupiedTracksAreReplacedWithoutAQuestionAndLogged)
{
    MacroRig m;
    TrackHeader &old = m.rig.app->store[2];
    old.Mode = ModeRDE;
    old.Title = QStringLiteral("old");
    QStringList logged;
    QObject::connect(m.runner.get(), &MacroRunner::logged,
                     [&](const QString &line) { logged << line; });
    m.run("CVMeasureMode|    CV.RecordTrack 2|    CV.Title new|    CV.Voltage 0 0.1 0|"
          "    CV.SamplingRate 10|    CV.Start|    CV.RecordTrack 4|    CV.Start");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_TRUE(m.rig.prompts.questions.isEmpty());
    EXPECT_EQ(m.rig.app->store[2].Title, QStringLiteral("new"));
    EXPECT_EQ(m.rig.app->store[4].Mode, ModeCV); // a vacant track: nothing to log
    EXPECT_EQ(m.runner->log(),
              QStringList{"Line 6: Track 2 holds 'old' (RDE); its run replaces it."});
    EXPECT_EQ(logged, m.runner->log());
}

TEST(MacroRunner, CvfLinesDriveTheSecondWindowOnly)
{
    MacroRig m;
    m.run("CV.Title first|CV.Repeat 2|CVF.RecordTrack 4|CVF.Title second|CVF.Repeat 5|"
          "CVF.SamplingRate 10|CVF.Voltage 0 0.05 0|CVF.RetainTime 0|CVF.Start");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.cv->titleField, "first");
    EXPECT_EQ(m.cv->fields().cycles, 2);
    EXPECT_EQ(m.cvf->fields().cycles, 5);
    EXPECT_EQ(m.rig.app->store[4].Mode, ModeCV);
    EXPECT_EQ(m.rig.app->store[4].Title, "second");
    EXPECT_EQ(m.cv->state(), MeasurementModel::Monitor);
}

TEST(MacroRunner, TheLastLineStartingAMeasurementEndsTheRunAtOnce)
{
    MacroRig m;
    m.run("CV.SamplingRate 10|CV.Start");
    EXPECT_FALSE(m.runner->isRunning());
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed});
    EXPECT_EQ(m.cv->state(), MeasurementModel::Measuring);
    EXPECT_TRUE(m.rig.app->MeasurementRunning);
}

TEST(MacroRunner, LinesWaitForTheMeasurementBeforeThem)
{
    MacroRig m;
    m.run("CV.Start|CV.Title after");
    EXPECT_TRUE(m.runner->isRunning());
    EXPECT_EQ(m.cv->titleField, "");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.cv->titleField, "after");
}

TEST(MacroRunner, StopDuringAWaitEndsItAndTheRunWithTheRotatorOff)
{
    MacroRig m;
    m.runner->setTimerDriven(false);
    m.run("Motor.On 500|Wait 60000|CV.Start");
    ASSERT_TRUE(m.runner->waiting());
    EXPECT_TRUE(m.rig.instruments->power().isOn(0));
    m.rig.clock.advance(1500);
    m.runner->waitTick();
    EXPECT_EQ(m.runner->status(), "58500remain");
    m.runner->stop();
    EXPECT_FALSE(m.runner->isRunning());
    EXPECT_FALSE(m.runner->waiting());
    EXPECT_FALSE(m.rig.app->MeasurementRunning);
    EXPECT_FALSE(m.rig.instruments->power().isOn(0));
    EXPECT_EQ(m.cv->state(), MeasurementModel::Monitor);
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Stopped});
}

TEST(MacroRunner, StopEndsAWaitTheLastLineLeftPending)
{
    MacroRig m;
    m.runner->setTimerDriven(false);
    m.run("Motor.On 500|Wait 60000");
    ASSERT_FALSE(m.runner->isRunning()); // the run ended with its last line
    ASSERT_TRUE(m.runner->waiting());
    ASSERT_TRUE(m.rig.app->MeasurementRunning);
    m.runner->stop();
    EXPECT_FALSE(m.runner->waiting());
    EXPECT_FALSE(m.rig.app->MeasurementRunning);
    EXPECT_FALSE(m.rig.instruments->power().isOn(0));
    m.cv->start();
    EXPECT_EQ(m.cv->state(), MeasurementModel::Measuring);
    EXPECT_TRUE(m.rig.prompts.messages.isEmpty());
}

TEST(MacroRunner, AWaitEndsOnceItsTimeHasPassed)
{
    MacroRig m;
    m.run("Wait 2000|CV.Title done");
    ASSERT_TRUE(m.runner->waiting());
    EXPECT_EQ(m.runner->waitDeadline() - m.rig.clock.tickCount(), 2001u);
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.runner->status(), "-1remain");
    EXPECT_EQ(m.cv->titleField, "done");
}

TEST(MacroRunner, DebugModeFillsInParametersButDoesNotActAndStillMails)
{
    MacroRig m;
    m.runner->setDebugMode(true);
    m.run("Wait 60000|Motor.On 800|Power 1 1|SetPotential 0.5|CV.Title dry|CV.Repeat 4|CV.Start|"
          "Sound ding.wav|Mail.Address lab@example.org|Mail.Send");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_FALSE(m.runner->isRunning());
    EXPECT_EQ(m.cv->titleField, "dry");
    EXPECT_EQ(m.cv->fields().cycles, 4);
    EXPECT_EQ(m.cv->state(), MeasurementModel::Monitor);
    EXPECT_FALSE(m.rig.app->MeasurementRunning);
    EXPECT_EQ(m.rig.instruments->power().state(), 0);
    EXPECT_EQ(m.rig.sound.played, QStringList{"ding.wav"});
    ASSERT_EQ(m.mail.sent.size(), 1u);
    EXPECT_EQ(m.mail.sent[0].address, "lab@example.org");
}

TEST(MacroRunner, ASyntaxErrorEndsTheRunAfterTheLinesBeforeIt)
{
    MacroRig m;
    m.run("CV.Title first|CV.Voltage 1 2|CV.Title second");
    EXPECT_EQ(m.rig.prompts.messages, QStringList{"2line Syntax error:CV.Voltage V1st V2nd V3rd"});
    EXPECT_EQ(m.cv->titleField, "first");
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::SyntaxError});
    EXPECT_EQ(m.handled, (QStringList{"1", "2"}));
}

TEST(MacroRunner, ARefusedStartDoesNotHoldTheRunUp)
{
    MacroRig m(true);
    // All points of a run on track 20 would have no next track: the window refuses the start.
    m.run("SSVMeasureMode|SSV.RecordTrack 20|SSV.RecordNextTrack 1|SSV.Voltage 1 -0.2|SSV.Start|"
          "SSV.Title next|SSV.END");
    EXPECT_EQ(m.ssv->fields().v1, 1);
    EXPECT_EQ(m.ssv->fields().v2, -0.2);
    EXPECT_EQ(m.ssv->titleField, "next");
    EXPECT_FALSE(m.ssv->isOpen());
    ASSERT_EQ(m.rig.prompts.messages.size(), 1);
    EXPECT_TRUE(m.rig.prompts.messages[0].startsWith("Track 20 is the last track"));
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed});
}

TEST(MacroRunner, SsvLinesWithoutTheWindowEndTheRunWithAMessage)
{
    MacroRig m;
    m.run("CV.Title a|SSV.Title b|CV.Title c");
    EXPECT_EQ(m.rig.prompts.messages,
              QStringList{"2line The steady-state voltammetry window is not available:SSV.Title"});
    EXPECT_EQ(m.cv->titleField, "a");
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Failed});
}

TEST(MacroRunner, TwoSendsMailTheSameStoredValues)
{
    MacroRig m;
    m.run("Mail.DisplayName Lab  Bench|Mail.Address lab@example.org|Mail.Subject Done|"
          "Mail.MsgNote Finished|Mail.Send|Mail.Send");
    ASSERT_TRUE(m.driver->runToEnd());
    ASSERT_EQ(m.mail.sent.size(), 2u);
    for (const MailMessage &s : m.mail.sent) {
        EXPECT_EQ(s.displayName, "Lab  Bench");
        EXPECT_EQ(s.address, "lab@example.org");
        EXPECT_EQ(s.subject, "Done");
        EXPECT_EQ(s.note, "Finished");
    }
    // Every run starts with empty values.
    m.run("Mail.Send");
    ASSERT_TRUE(m.driver->runToEnd());
    ASSERT_EQ(m.mail.sent.size(), 3u);
    EXPECT_EQ(m.mail.sent[2].address, "");
}

TEST(MacroRunner, AMailErrorEndsTheRunAndSaysWhy)
{
    MacroRig m;
    m.mail.failWith = QStringLiteral("Couldn't connect to server");
    m.run("Mail.Send|CV.Title never");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Failed});
    EXPECT_EQ(m.runner->status(), "Mail.Send failed: Couldn't connect to server");
    EXPECT_TRUE(m.rig.prompts.messages.isEmpty());
    EXPECT_EQ(m.cv->titleField, "");
}

TEST(MacroRunner, BoardTroubleAtRunIsReportedAndTheRunGoesOn)
{
    MacroRig m;
    m.rig.faults->gpib.failCodes.insert(QStringLiteral("GpIni"), 80);
    m.run("CV.Title still");
    EXPECT_TRUE(m.rig.prompts.messages.contains("GPIB Trouble!"));
    EXPECT_EQ(m.cv->titleField, "still");
}

// A rate beyond the rotator's calibration does not hold the series up with a message box: the
// window's notice becomes a line of the macro log, and the track stores the rate used.
TEST(MacroRunner, ARateTheRotatorCannotTurnIsLoggedAndTheRateUsedStored)
{
    MacroRig m;
    QStringList log;
    QObject::connect(m.runner.get(), &MacroRunner::logged,
                     [&log](const QString &line) { log << line; });
    m.run("RDE.RecordTrack 3|RDE.RPM 2500|RDE.Voltage 0 0.1 0|RDE.RetainTime 2|"
          "RDE.Scanrate 100|RDE.SamplingRate 10|RDE.Accumlation 1|RDE.Start");
    ASSERT_TRUE(m.driver->runToEnd());
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("2500") && log[0].contains("2250")) << log[0].toStdString();
    EXPECT_EQ(m.rig.prompts.messages, QStringList{});
    EXPECT_EQ(m.rig.app->store[3].RPM, 2250);

    // A window used by hand is not the macro's business.
    QString rpm = QStringLiteral("3000");
    m.rde->rpm(rpm);
    m.rde->StartMeasurement();
    EXPECT_FALSE(m.rde->noticeText().isEmpty());
    EXPECT_EQ(log.size(), 1);
    m.rde->closeWindow();
}

// A window whose boards fail says so once per line, not once for the runner's loading and again
// for the operation; the run goes on and starts nothing.
TEST(MacroRunner, AWindowThatCannotOpenSaysSoOncePerLine)
{
    const struct {
        const char *lines;
        int messages;
        const char *message;
    } cases[] = {
        {"CV.Title a", 1, "AD Board Trouble!"},
        {"CV.Title a|CV.Start", 2, "AD Board Trouble!"},
        {"RDE.Scanrate 50", 1, "AD Board不良です"},
        {"PS.Voltage 0 1", 1, "AD Board不良です"},
        {"RPMvsi.Potential 0.3", 1, "AD Board不良です"},
        {"CVMeasureMode|CV.Repeat 2", 2, "AD Board Trouble!"},
    };
    for (const auto &c : cases) {
        MacroRig m;
        m.rig.app->settings.DABoard = 0; // no output board to report at Run
        m.rig.faults->dask.refuseRegistration = true;
        m.run(QString::fromUtf8(c.lines));
        EXPECT_EQ(m.rig.prompts.messages, QStringList(c.messages, QString::fromUtf8(c.message)))
            << c.lines;
        EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed}) << c.lines;
        EXPECT_FALSE(m.rig.app->MeasurementRunning) << c.lines;
    }
}

// An overnight series keeps its results on disk as it goes: a relative name is found beside the
// macro, and the file it replaces is kept as .bak.
TEST(MacroRunner, FileSaveWritesTheTracksBesideTheMacroAndKeepsThePreviousFile)
{
    MacroRig m;
    QTemporaryDir macroDir;
    ASSERT_TRUE(QDir(macroDir.path()).mkpath("results"));
    const QString saved = macroDir.filePath("results/series.tvd");
    {
        QFile old(saved);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("yesterday's results\r\n");
    }
    m.runner->setMacroFolder(macroDir.path());
    m.run("CV.RecordTrack 3|CV.Title overnight|CV.Voltage 0 0.05 0|CV.RetainTime 0|"
          "CV.SamplingRate 10|CV.Start|File.Save results/series.tvd|CV.Title after");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Completed});
    EXPECT_EQ(m.cv->titleField, "after");
    auto reread = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*reread, saved).ok());
    EXPECT_EQ((*reread)[3].Mode, ModeCV);
    EXPECT_EQ((*reread)[3].Title, "overnight");
    EXPECT_EQ((*reread)[3].pnum, m.rig.app->store[3].pnum);
    EXPECT_EQ(fileBytes(saved + ".bak"), QByteArray("yesterday's results\r\n"));
    EXPECT_TRUE(m.runner->log().contains("Line 7: the tracks were saved to " + saved + "."));
    // Saved: quitting afterwards has nothing to ask about.
    EXPECT_FALSE(m.rig.app->store.hasUnsavedChanges());

    // Saved again, the .bak holds the first save and an absolute name is taken as it is.
    const QByteArray first = fileBytes(saved);
    m.rig.app->store[3].Title = QStringLiteral("renamed");
    m.run("File.Save " + saved);
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_EQ(fileBytes(saved + ".bak"), first);
    ASSERT_TRUE(loadTrackFile(*reread, saved).ok());
    EXPECT_EQ((*reread)[3].Title, "renamed");
    // A first save into a new folder makes the folder and keeps no backup.
    m.run("File.Save new/first.tvd");
    ASSERT_TRUE(m.driver->runToEnd());
    EXPECT_TRUE(IsTrackFile(macroDir.filePath("new/first.tvd")));
    EXPECT_FALSE(QFile::exists(macroDir.filePath("new/first.tvd.bak")));
    EXPECT_TRUE(m.rig.prompts.messages.isEmpty());
}

// A save that fails is never passed over: the run stops with a message naming the line.
TEST(MacroRunner, AFileSaveThatFailsStopsTheRunWithAMessage)
{
    QTemporaryDir macroDir;
    ASSERT_TRUE(QDir(macroDir.path()).mkpath("taken.tvd"));
    QFile blocker(macroDir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const struct {
        QString folder;
        QString line;
        const char *says;
    } cases[] = {
        {QString(), "File.Save results.tvd", "has not been saved to a file yet"},
        {macroDir.path(), "File.Save taken.tvd", "taken.tvd"},
        {macroDir.path(), "File.Save blocker/results.tvd", "blocker"},
        {macroDir.path(), "File.Save  results.tvd", "no file name"},
    };
    for (const auto &c : cases) {
        MacroRig m;
        m.runner->setMacroFolder(c.folder);
        m.run("CV.Title before|" + c.line + "|CV.Title never");
        ASSERT_TRUE(m.driver->runToEnd());
        EXPECT_EQ(m.outcomes, std::vector<int>{MacroRunner::Failed}) << c.line.toStdString();
        ASSERT_EQ(m.rig.prompts.messages.size(), 1) << c.line.toStdString();
        const QString message = m.rig.prompts.messages[0];
        EXPECT_TRUE(message.startsWith("2line File.Save failed: ")) << message.toStdString();
        EXPECT_TRUE(message.contains(c.says)) << message.toStdString();
        EXPECT_EQ(m.runner->status(), message);
        EXPECT_EQ(m.cv->titleField, "before");
    }
    EXPECT_FALSE(QFile::exists(macroDir.filePath("results.tvd")));
}
