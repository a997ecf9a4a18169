#include "app/ControlPanelController.h"
#include "app/HelpTexts.h"
#include "core/NumberFormat.h"
#include "support/TestDoubles.h"
#include "tracks/ReferenceConversion.h"
#include "tracks/TrackFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

// Progress calls as the window would see them.
class RecordingProgress : public ProgressReporter {
public:
    QStringList labels;
    int maximum = -1;
    int advances = 0;
    bool open = false;
    void begin(const QString &label, int max) override
    {
        labels << label;
        maximum = max;
        open = true;
    }
    void advance(int) override { ++advances; }
    void end() override { open = false; }
};

class ControlPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(dir.isValid());
        state = std::make_unique<AppState>(clock, prompts, dir.path());
        controller = std::make_unique<ControlPanelController>(*state, clipboard, progress, recent);
        QObject::connect(controller.get(), &ControlPanelController::trackShown,
                         [this](int t) { shown << t; });
        controller->load();
    }

    TrackStore &store() { return state->store; }

    // A CV track of three points on track t.
    void makeCV(int t, int ref = 2)
    {
        TrackHeader &h = store()[t];
        h.Mode = ModeCV;
        h.Title = QStringLiteral("Pt in H2SO4");
        h.MeasTime = QStringLiteral("2026/12/07 10:00:00");
        h.Scanrate = 50;
        h.V1st = 0.6;
        h.V2nd = 1.2;
        h.V3rd = -0.2;
        h.Vxmin = -0.2;
        h.Vxmax = 1.2;
        h.Vymin = -1e-6;
        h.Vymax = 1e-6;
        h.ref = ref;
        h.Conc = 1.5e-6;
        h.Area = 0.28274;
        h.ne = 1;
        h.DiskYscale = 0.001;
        h.RingYscale = 1e-5;
        h.pH = 1;
        h.pnum = 3;
        const double pts[3][3] = {{0.6, 1e-6, 1e-8}, {0.6025, -2.5e-7, 2e-8}, {0.605, 0, 3e-8}};
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 3; ++c)
                store().data(c, t, i) = pts[i][c];
    }

    QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }

    FakeMsClock clock;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    MemoryClipboard clipboard;
    RecordingProgress progress;
    RecentFiles recent;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ControlPanelController> controller;
    QList<int> shown;
};

} // namespace

TEST_F(ControlPanel, LoadingClearsTracksAppliesDefaultsAndShowsTrackZero)
{
    EXPECT_TRUE(state->settings.DeviceName == QStringLiteral("AIO00"));
    EXPECT_EQ(controller->currentTrack(), 0);
    EXPECT_EQ(shown, QList<int>{0});
    EXPECT_EQ(controller->caption(), QStringLiteral("TERVO Ver 1.06"));
    for (int r = 0; r < ControlPanelController::kSheetRows; ++r)
        EXPECT_TRUE(controller->rowValue(r).isEmpty()) << r;
    EXPECT_EQ(controller->referenceIndex(), 0);
}

TEST_F(ControlPanel, SelectorWrapsBothWays)
{
    controller->stepDown();
    EXPECT_EQ(controller->currentTrack(), 20);
    controller->stepUp();
    EXPECT_EQ(controller->currentTrack(), 0);
    controller->ShowDataInfo(20);
    controller->stepUp();
    EXPECT_EQ(controller->currentTrack(), 0);
    controller->ShowDataInfo(57);
    EXPECT_EQ(controller->currentTrack(), 20);
}

TEST_F(ControlPanel, SheetShowsTheTrackInGeneralFormat)
{
    makeCV(4);
    controller->ShowDataInfo(4);
    EXPECT_EQ(controller->rowHeading(3), QStringLiteral("Scan rate /mVs-1"));
    EXPECT_EQ(controller->rowValue(ControlPanelController::RowMode), QStringLiteral("CV"));
    EXPECT_EQ(controller->rowValue(ControlPanelController::RowScanrate), QStringLiteral(" 50"));
    EXPECT_EQ(controller->rowValue(ControlPanelController::RowV3rd), QStringLiteral("-.2"));
    EXPECT_EQ(controller->rowValue(ControlPanelController::RowPointNum), QStringLiteral(" 3"));
    EXPECT_EQ(controller->rowValue(ControlPanelController::RowConc), QStringLiteral(" 1.5E-06"));
    EXPECT_EQ(controller->trackTitle(), QStringLiteral("Pt in H2SO4"));
    EXPECT_EQ(controller->referenceIndex(), 2);
}

TEST_F(ControlPanel, EnterStoresEditableRowsOnly)
{
    makeCV(0);
    controller->ShowDataInfo(0);
    controller->commitEdit(ControlPanelController::RowTitle, QStringLiteral("a = b"));
    controller->commitEdit(ControlPanelController::RowScanrate, QStringLiteral("20mV"));
    controller->commitEdit(ControlPanelController::RowRPM, QStringLiteral("abc"));
    controller->commitEdit(ControlPanelController::RowPH, QStringLiteral("13"));
    EXPECT_EQ(store()[0].Title, QStringLiteral("a = b"));
    EXPECT_DOUBLE_EQ(store()[0].Scanrate, 20);
    EXPECT_DOUBLE_EQ(store()[0].RPM, 0);
    EXPECT_DOUBLE_EQ(store()[0].pH, 13);

    store().markSaved();
    const TrackHeader before = store()[0];
    controller->commitEdit(ControlPanelController::RowTime, QStringLiteral("yesterday"));
    controller->commitEdit(ControlPanelController::RowPointNum, QStringLiteral("99"));
    controller->commitEdit(ControlPanelController::RowMode, QStringLiteral("PS"));
    EXPECT_EQ(store()[0].MeasTime, before.MeasTime);
    EXPECT_EQ(store()[0].pnum, 3);
    EXPECT_EQ(store()[0].Mode, ModeCV);
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST_F(ControlPanel, DiskRescaleYesMultipliesCurrentsAndRange)
{
    makeCV(0);
    controller->ShowDataInfo(0);
    prompts.yesNoAnswers = {true};
    controller->commitEdit(ControlPanelController::RowDiskYScale, QStringLiteral("0.01"));
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0], QStringLiteral("Do you want to multiply disk current by 10?"));
    EXPECT_DOUBLE_EQ(store()[0].DiskYscale, 0.01);
    EXPECT_NEAR(store().data(1, 0, 0), 1e-5, 1e-18);
    EXPECT_NEAR(store().data(1, 0, 1), -2.5e-6, 1e-18);
    EXPECT_NEAR(store()[0].Vymin, -1e-5, 1e-18);
    EXPECT_NEAR(store()[0].Vymax, 1e-5, 1e-18);
    // The ring column and the point beyond pnum are left alone.
    EXPECT_DOUBLE_EQ(store().data(2, 0, 0), 1e-8);
}

TEST_F(ControlPanel, RingRescaleNoStoresScaleOnly)
{
    makeCV(0);
    controller->ShowDataInfo(0);
    prompts.yesNoAnswers = {false};
    controller->commitEdit(ControlPanelController::RowRingYScale, QStringLiteral("1e-4"));
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0], QStringLiteral("Do you want to multiply ring current by 10?"));
    EXPECT_DOUBLE_EQ(store()[0].RingYscale, 1e-4);
    EXPECT_DOUBLE_EQ(store().data(2, 0, 0), 1e-8);

    prompts.yesNoAnswers = {true};
    controller->commitEdit(ControlPanelController::RowRingYScale, QStringLiteral("2e-4"));
    EXPECT_NEAR(store().data(2, 0, 2), 6e-8, 1e-20);
    EXPECT_DOUBLE_EQ(store()[0].Vymax, 1e-6); // the ring leaves the plot range alone
}

TEST_F(ControlPanel, RescaleFromZeroAsksNothing)
{
    makeCV(0);
    store()[0].DiskYscale = 0;
    controller->ShowDataInfo(0);
    controller->commitEdit(ControlPanelController::RowDiskYScale, QStringLiteral("0.01"));
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_DOUBLE_EQ(store()[0].DiskYscale, 0.01);
    EXPECT_DOUBLE_EQ(store().data(1, 0, 0), 1e-6);
}

TEST_F(ControlPanel, AgAgClToSHEAddsTheShiftEverywhere)
{
    makeCV(1, 2);
    controller->ShowDataInfo(1);
    prompts.yesNoAnswers = {true};
    controller->chooseReference(1);
    EXPECT_EQ(prompts.questions, QStringList{QStringLiteral("Do you want to convert potential?")});
    const TrackHeader &h = store()[1];
    EXPECT_EQ(h.ref, 1);
    EXPECT_NEAR(store().data(0, 1, 0), 0.799, 1e-12);
    EXPECT_NEAR(store().data(0, 1, 2), 0.804, 1e-12);
    EXPECT_NEAR(h.V1st, 0.799, 1e-12);
    EXPECT_NEAR(h.V2nd, 1.399, 1e-12);
    EXPECT_NEAR(h.V3rd, -0.001, 1e-12);
    EXPECT_NEAR(h.Vxmin, -0.001, 1e-12);
    EXPECT_NEAR(h.Vxmax, 1.399, 1e-12);
    EXPECT_DOUBLE_EQ(h.Vymax, 1e-6);
    EXPECT_DOUBLE_EQ(store().data(1, 1, 0), 1e-6);
}

TEST_F(ControlPanel, SCEToRHEAsksForThePH)
{
    makeCV(2, 3);
    controller->ShowDataInfo(2);
    prompts.yesNoAnswers = {true};
    prompts.inputAnswers = {QStringLiteral("13")};
    controller->chooseReference(4);
    ASSERT_EQ(prompts.questions.size(), 2);
    EXPECT_EQ(prompts.questions[1], QStringLiteral("Please input pH of the solution."));
    EXPECT_DOUBLE_EQ(store()[2].pH, 13);
    EXPECT_EQ(store()[2].ref, 4);
    EXPECT_NEAR(store().data(0, 2, 0), 1.608, 1e-12);
    EXPECT_NEAR(store()[2].V1st, 1.608, 1e-12);
}

TEST_F(ControlPanel, ReferenceChoiceWithoutConversionOrCancelled)
{
    makeCV(0, 2);
    controller->ShowDataInfo(0);
    // No: only the reference changes.
    controller->chooseReference(3);
    EXPECT_EQ(store()[0].ref, 3);
    EXPECT_DOUBLE_EQ(store().data(0, 0, 0), 0.6);
    // Cancelling the pH box leaves the track as it was.
    prompts.yesNoAnswers = {true};
    controller->chooseReference(4);
    EXPECT_EQ(store()[0].ref, 3);
    EXPECT_DOUBLE_EQ(store()[0].pH, 1);
    EXPECT_DOUBLE_EQ(store().data(0, 0, 0), 0.6);
    // The same entry again asks nothing.
    prompts.questions.clear();
    controller->chooseReference(3);
    EXPECT_TRUE(prompts.questions.isEmpty());
}

TEST_F(ControlPanel, NonVoltammogramTracksIgnoreTheReference)
{
    for (int mode : {int(ModePS), int(ModeRPMvsJ), int(ModeMulti)}) {
        makeCV(5, 2);
        store()[5].Mode = mode;
        controller->ShowDataInfo(5);
        shown.clear();
        prompts.yesNoAnswers = {true};
        controller->chooseReference(1);
        EXPECT_EQ(store()[5].ref, 2) << mode;
        EXPECT_DOUBLE_EQ(store().data(0, 5, 0), 0.6) << mode;
        EXPECT_TRUE(prompts.questions.isEmpty()) << mode;
        // The list is put back to the track's own entry.
        EXPECT_EQ(shown, QList<int>{5});
    }
}

TEST_F(ControlPanel, DeleteTrackAsksFirst)
{
    makeCV(3);
    controller->ShowDataInfo(3);
    controller->deleteTrack();
    EXPECT_EQ(store()[3].Mode, ModeCV);
    prompts.yesNoAnswers = {true};
    controller->deleteTrack();
    EXPECT_EQ(prompts.questions.last(),
              QStringLiteral("Would you like to delete the present track?"));
    EXPECT_TRUE(store().isVacant(3));
    EXPECT_DOUBLE_EQ(store()[3].pH, 1); // kept by clearing
    EXPECT_TRUE(controller->rowValue(ControlPanelController::RowMode).isEmpty());
}

TEST_F(ControlPanel, CopyAllOfThreePointCVCharacterForCharacter)
{
    makeCV(0);
    store().CurrentFileTitle = QStringLiteral("run.tvd");
    controller->ShowDataInfo(0);
    clipboard.content = QStringLiteral("old");
    controller->copyAll();
    const QString expected = QStringLiteral("Filename\trun.tvd\r\n"
                                            "Mode\tMode:CV\r\n"
                                            "Title\tPt in H2SO4\r\n"
                                            "MeasTime\t2026/12/07 10:00:00\r\n"
                                            "Scanrate\t 50\r\n"
                                            "Ref\tAg|AgCl|sat.\r\n"
                                            "RPM\t 0\r\n"
                                            "Conc/molcm-3\t1.500e-6\r\n"
                                            "Area/cm2\t0.2827\r\n"
                                            "Weight/mg\t0.000e+0\r\n"
                                            "ne\t1\r\n"
                                            "\r\n"
                                            "Potential/V\tDisk/A\r\n"
                                            "0.6000\t1E-06\r\n"
                                            "0.6025\t-2.5E-07\r\n"
                                            "0.6050\t0\r\n");
    EXPECT_EQ(clipboard.content, expected);
    EXPECT_EQ(progress.labels,
              QStringList{QStringLiteral("Now Copying to Clipboard... Please wait.")});
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_FALSE(progress.open);

    controller->copyIE();
    EXPECT_EQ(clipboard.content, QStringLiteral("\tPt in H2SO4\r\n\r\nPotential/V\tDisk/A\r\n"
                                                "0.6000\t1E-06\r\n0.6025\t-2.5E-07\r\n"
                                                "0.6050\t0\r\n"));
}

TEST_F(ControlPanel, CopiesOfVacantOrWrongTracksDoNothing)
{
    clipboard.content = QStringLiteral("kept");
    controller->copyAll();
    controller->copyIE();
    makeCV(0);
    controller->copyITTable();
    controller->copyVITable();
    EXPECT_EQ(clipboard.content, QStringLiteral("kept"));
    EXPECT_TRUE(progress.labels.isEmpty());

    store()[0].Mode = ModeMulti;
    controller->copyITTable();
    EXPECT_TRUE(clipboard.content.startsWith(QStringLiteral("Filename\t\r\nMeasTime\t")));
    ASSERT_EQ(progress.labels.size(), 1);
    EXPECT_TRUE(progress.labels[0].isNull()); // the label is not changed
    EXPECT_EQ(progress.advances, 3);
}

TEST_F(ControlPanel, PasteRoundTripAndMessages)
{
    makeCV(0);
    store()[0].Weight = 0.05;
    controller->copyAll();
    controller->ShowDataInfo(9);
    controller->paste();
    EXPECT_EQ(store()[9].Mode, ModeCV);
    EXPECT_EQ(store()[9].Title, store()[0].Title);
    EXPECT_DOUBLE_EQ(store()[9].Weight, 0.05);
    EXPECT_EQ(store()[9].pnum, 3);
    EXPECT_EQ(shown.last(), 9);
    EXPECT_TRUE(prompts.messages.isEmpty());

    clipboard.content = QStringLiteral("Mode\tCV\n0.1\t1\n0.2\tx\n");
    controller->paste();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(QStringLiteral("line 3")));
    EXPECT_EQ(store()[9].pnum, 1);

    // An empty clipboard leaves the track alone.
    clipboard.content.clear();
    controller->paste();
    EXPECT_EQ(store()[9].pnum, 1);
}

TEST_F(ControlPanel, SaveAsThenOpenWithCaptionsAndRecentFiles)
{
    makeCV(0);
    makeCV(5);
    controller->ShowDataInfo(5);
    QStringList captions;
    QObject::connect(controller.get(), &ControlPanelController::captionChanged,
                     [&](const QString &c) { captions << c; });

    // A cancelled dialog changes nothing.
    EXPECT_FALSE(controller->saveAs());
    EXPECT_TRUE(captions.isEmpty());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.tvd")}).isEmpty());

    prompts.fileAnswers = {path(QStringLiteral("run"))};
    ASSERT_TRUE(controller->saveAs());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("run.tvd"))));
    EXPECT_EQ(controller->caption(), QStringLiteral("TERVO --run.tvd"));
    EXPECT_FALSE(store().hasUnsavedChanges());
    EXPECT_EQ(controller->recentFiles(), QStringList{path(QStringLiteral("run.tvd"))});

    // Changed tracks: Open asks first; No keeps them.
    controller->commitEdit(ControlPanelController::RowTitle, QStringLiteral("changed"));
    prompts.fileAnswers = {path(QStringLiteral("run.tvd"))};
    EXPECT_FALSE(controller->openFile());
    EXPECT_EQ(store()[5].Title, QStringLiteral("changed"));
    EXPECT_EQ(prompts.questions.size(), 1);

    prompts.yesNoAnswers = {true};
    int loaded = 0;
    QObject::connect(controller.get(), &ControlPanelController::fileLoaded, [&] { ++loaded; });
    prompts.fileAnswers = {path(QStringLiteral("run.tvd"))};
    EXPECT_TRUE(controller->openFile());
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(store()[5].Title, QStringLiteral("Pt in H2SO4"));
    EXPECT_EQ(controller->currentTrack(), 0);
    EXPECT_EQ(store().FileLoadCount, 1);

    // A cancelled open dialog leaves the store and the caption.
    captions.clear();
    EXPECT_FALSE(controller->openFile());
    EXPECT_TRUE(captions.isEmpty());
}

TEST_F(ControlPanel, OpenOfForeignOrMissingFilesReports)
{
    QFile f(path(QStringLiteral("notes.tvd")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Some notes\r\n");
    f.close();
    makeCV(2);
    store().markChanged();
    EXPECT_FALSE(controller->openPath(f.fileName()));
    EXPECT_EQ(prompts.messages, QStringList{QStringLiteral("This file type is not recognized.")});
    EXPECT_TRUE(prompts.questions.isEmpty()); // nothing would be replaced, so nothing asked
    EXPECT_EQ(store()[2].Mode, ModeCV);

    recent.add(path(QStringLiteral("gone.tvd")));
    EXPECT_FALSE(controller->openPath(path(QStringLiteral("gone.tvd"))));
    EXPECT_TRUE(controller->recentFiles().isEmpty());
}

TEST_F(ControlPanel, FailedSaveIsReportedAndChangesNothing)
{
    makeCV(0);
    store().markChanged();
    prompts.fileAnswers = {path(QStringLiteral("no/such/folder/run"))};
    EXPECT_FALSE(controller->saveAs());
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(controller->caption(), QStringLiteral("TERVO Ver 1.06"));
    EXPECT_TRUE(store().CurrentFileTitle.isEmpty());
    EXPECT_TRUE(store().hasUnsavedChanges());
    EXPECT_TRUE(controller->recentFiles().isEmpty());
}

TEST_F(ControlPanel, AboutNamesVersionBuildSettingsFolderAndLicence)
{
    const QStringList lines = controller->aboutText().split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("TERVO " TERVO_PROJECT_VERSION)));
    EXPECT_TRUE(
        lines.contains(QStringLiteral("Settings: ") + QDir::toNativeSeparators(dir.path())));
    EXPECT_TRUE(lines.contains(QString::fromLatin1(kLicence)));
    const auto build = std::find_if(lines.begin(), lines.end(),
                                    [](const QString &l) { return l.startsWith("Build: "); });
    ASSERT_NE(build, lines.end());
    EXPECT_TRUE(build->contains(QStringLiteral(TERVO_CXX_COMPILER_ID))) << build->toStdString();

    state->setReadOnly(true);
    EXPECT_TRUE(controller->aboutText().contains(QStringLiteral("(read-only")));
    controller->showAbout();
    EXPECT_EQ(prompts.messages, QStringList{controller->aboutText()});
}

// The guide is the README's first-steps section as it stands, under its own title.
TEST(GettingStarted, IsTheFirstStepsSectionOfTheReadme)
{
    QFile readme(QStringLiteral(TERVO_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype begin = text.indexOf(QStringLiteral("## Your first voltammograms"));
    ASSERT_GE(begin, 0);
    const qsizetype end = text.indexOf(QStringLiteral("\n## "), begin);
    const QString section = text.mid(begin, end - begin);
    EXPECT_EQ(gettingStartedText(), QStringLiteral("# Getting started\n\n") + section + "\n");
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesAndPersisted)
{
    QTemporaryDir dir;
    const QString ini = QDir(dir.path()).filePath(QStringLiteral("user.ini"));
    {
        QSettings s(ini, QSettings::IniFormat);
        RecentFiles r(&s);
        for (int i = 0; i < 7; ++i)
            r.add(QDir(dir.path()).filePath(QStringLiteral("f%1.tvd").arg(i)));
        r.add(QDir(dir.path()).filePath(QStringLiteral("f4.tvd")));
        const QStringList e = r.entries();
        ASSERT_EQ(e.size(), RecentFiles::kMaxEntries);
        EXPECT_TRUE(e[0].endsWith(QStringLiteral("f4.tvd")));
        EXPECT_TRUE(e[1].endsWith(QStringLiteral("f6.tvd")));
        EXPECT_TRUE(e[4].endsWith(QStringLiteral("f2.tvd")));
    }
    QSettings s(ini, QSettings::IniFormat);
    RecentFiles again(&s);
    EXPECT_EQ(again.entries().size(), RecentFiles::kMaxEntries);
    EXPECT_TRUE(again.entries()[0].endsWith(QStringLiteral("f4.tvd")));
}

TEST_F(ControlPanel, FileWhoseLastSectionEndsEarlyOpensAsANormalLoad)
{
    makeCV(3);
    controller->ShowDataInfo(3);
    int loaded = 0;
    QObject::connect(controller.get(), &ControlPanelController::fileLoaded, [&] { ++loaded; });
    prompts.yesNoAnswers = {true};
    EXPECT_TRUE(controller->openPath(QStringLiteral(TERVO_TEST_DATA "/tracks/truncated.tvd")));
    EXPECT_EQ(controller->caption(), QStringLiteral("TERVO --truncated.tvd"));
    EXPECT_EQ(controller->currentTrack(), 0);
    EXPECT_EQ(store().FileLoadCount, 1);
    EXPECT_EQ(loaded, 1);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(QStringLiteral("line 8")));
    controller->copyAll();
    EXPECT_TRUE(clipboard.content.startsWith(QStringLiteral("Filename\ttruncated.tvd\r\n")));
}

TEST_F(ControlPanel, ValuesBeyondTheRangeOfNumbersAreRefusedAtTheirSource)
{
    makeCV(0);
    controller->ShowDataInfo(0);
    // The pH row and any numeric row.
    controller->commitEdit(ControlPanelController::RowPH, QStringLiteral("1e400"));
    EXPECT_EQ(store()[0].pH, 1);
    // A rescale whose ratio is beyond the range: nothing changes, nothing is asked.
    store()[0].DiskYscale = 1e-300;
    controller->commitEdit(ControlPanelController::RowDiskYScale, QStringLiteral("1e300"));
    EXPECT_EQ(store()[0].DiskYscale, 1e-300);
    EXPECT_DOUBLE_EQ(store().data(1, 0, 0), 1e-6);
    EXPECT_TRUE(prompts.questions.isEmpty());
    // The pH box of a conversion to RHE.
    prompts.yesNoAnswers = {true};
    prompts.inputAnswers = {QStringLiteral("1e999")};
    controller->chooseReference(kRefRHE);
    EXPECT_EQ(store()[0].ref, 2);
    EXPECT_DOUBLE_EQ(store().data(0, 0, 0), 0.6);
    // Pasted header and data values.
    clipboard.content = QStringLiteral("Mode\tCV\npH\t1e400\n0.1\t1e-6\n0.2\t-1e400\n0.3\t1e-6\n");
    controller->paste();
    EXPECT_EQ(store()[0].pnum, 1);
    EXPECT_EQ(store()[0].pH, 1);
    ASSERT_EQ(prompts.messages.size(), 5);
    for (const QString &m : prompts.messages)
        EXPECT_TRUE(m.contains(QStringLiteral("beyond the range"))) << m.toStdString();
}

TEST_F(ControlPanel, PasteOfCopyAllRoundTripsUnderACommaLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    makeCV(0);
    store()[0].Weight = 0.05;
    controller->copyAll();
    ASSERT_TRUE(clipboard.content.contains(QStringLiteral("Conc/molcm-3\t1,500e-6")));
    controller->ShowDataInfo(9);
    controller->paste();
    QLocale::setDefault(QLocale::c());
    EXPECT_DOUBLE_EQ(store()[9].Conc, 1.5e-6);
    EXPECT_DOUBLE_EQ(store()[9].Area, 0.2827);
    EXPECT_DOUBLE_EQ(store()[9].Weight, 0.05);
    EXPECT_DOUBLE_EQ(store().data(0, 9, 1), 0.6025);
}

// Quit with tracks changed since the last save or load asks Save / Discard / Cancel; only Save
// and Discard let the recovery files go.
TEST_F(ControlPanel, QuitAsksWhatToDoWithChangedTracks)
{
    using Answer = ControlPanelController::QuitAnswer;
    EXPECT_EQ(controller->confirmQuit(), Answer::Quit); // nothing changed: nothing asked
    EXPECT_TRUE(prompts.questions.isEmpty());

    const struct {
        std::deque<int> choice;
        std::deque<QString> file;
        Answer answer;
        bool saved;
    } cases[] = {
        {{2}, {}, Answer::Stay, false},                   // Cancel
        {{}, {}, Answer::Stay, false},                    // dismissed
        {{1}, {}, Answer::QuitDiscardingRecovery, false}, // Discard
        {{0}, {}, Answer::Stay, false},                   // Save, dialog cancelled
        {{0}, {QStringLiteral("quit")}, Answer::QuitDiscardingRecovery, true}, // Save as
    };
    for (const auto &c : cases) {
        makeCV(3);
        store().markChanged();
        prompts.questions.clear();
        prompts.choiceAnswers = c.choice;
        prompts.fileAnswers =
            c.file.empty() ? std::deque<QString>{} : std::deque<QString>{path(c.file.front())};
        EXPECT_EQ(controller->confirmQuit(), c.answer);
        ASSERT_EQ(prompts.questions.size(), 1);
        EXPECT_TRUE(prompts.questions[0].startsWith(
            QStringLiteral("The tracks have been changed since they were last saved.")));
        EXPECT_EQ(QFile::exists(path(QStringLiteral("quit.tvd"))), c.saved);
        EXPECT_EQ(store().hasUnsavedChanges(), !c.saved);
    }
}

TEST_F(ControlPanel, SaveOnQuitWritesTheOpenedFileWithoutADialog)
{
    makeCV(0);
    prompts.fileAnswers = {path(QStringLiteral("work"))};
    ASSERT_TRUE(controller->saveAs());
    prompts.yesNoAnswers = {true};
    ASSERT_TRUE(controller->openPath(path(QStringLiteral("work.tvd"))));
    controller->commitEdit(ControlPanelController::RowTitle, QStringLiteral("edited"));
    prompts.choiceAnswers = {0};
    EXPECT_EQ(controller->confirmQuit(),
              ControlPanelController::QuitAnswer::QuitDiscardingRecovery);
    auto reread = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*reread, path(QStringLiteral("work.tvd"))).ok());
    EXPECT_EQ((*reread)[0].Title, QStringLiteral("edited"));
}

TEST_F(ControlPanel, QuitDuringAMeasurementAsksToStopItFirst)
{
    int stops = 0;
    controller->setStopMeasurement([&] {
        ++stops;
        // Stopping stores the run: the tracks are changed.
        state->MeasurementRunning = false;
        makeCV(0);
        store().markChanged();
    });
    state->MeasurementRunning = true;
    prompts.yesNoAnswers = {false};
    EXPECT_EQ(controller->confirmQuit(), ControlPanelController::QuitAnswer::Stay);
    EXPECT_EQ(stops, 0);
    EXPECT_TRUE(state->MeasurementRunning);

    prompts.questions.clear();
    prompts.yesNoAnswers = {true};
    prompts.choiceAnswers = {2};
    EXPECT_EQ(controller->confirmQuit(), ControlPanelController::QuitAnswer::Stay);
    EXPECT_EQ(stops, 1);
    ASSERT_EQ(prompts.questions.size(), 2); // stop first, then what to do with the stored run
    EXPECT_TRUE(prompts.questions[0].startsWith(QStringLiteral("A measurement is running.")));
}
