// tervo-tool analyse prints what the analysis window shows for the same file and choices.
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/PeakAnalysis.h"
#include "analysis/ScanRateStudy.h"
#include "state/Settings.h"
#include "support/TestDoubles.h"
#include "tracks/TrackFile.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

using namespace tervo;

namespace {

struct ToolOutput {
    int code = -1;
    QString out, err;
};

ToolOutput analyse(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(TERVO_BIN_DIR "/tervo-tool"),
            QStringList{QStringLiteral("analyse")} + args);
    p.waitForFinished(20000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QString kExample = QStringLiteral(TERVO_SOURCE_DIR "/examples/rrde-oxygen-reduction.tvd");

} // namespace

TEST(AnalyseCommand, KouteckyLevichReportIsTheWindows)
{
    const ToolOutput run =
        analyse({QStringLiteral("kl"), kExample, QStringLiteral("--use"), QStringLiteral("0,1,2,3"),
                 QStringLiteral("--set"), QStringLiteral("KLVuse=0.3"), QStringLiteral("--set"),
                 QStringLiteral("KLVrange=-0.02"), QStringLiteral("--solve"), QStringLiteral("C")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, kExample).ok());
    Settings s;
    ApplyDefaultSettings(s);
    ScriptedPrompts prompts;
    AnalysisPoints points;
    KouteckyLevichAnalysis kl(*store, s, points, prompts);
    kl.InitializeParameters();
    for (int t = 0; t < 4; ++t) {
        kl.selectTrack(t);
        kl.setUse(true);
    }
    kl.selectTrack(0);
    kl.setUseVoltage(0.3);
    kl.setRange(-0.02); // the box stores the absolute value
    s.KLVariable = KouteckyLevichAnalysis::Concentration;
    ASSERT_TRUE(kl.Calculate(nullptr));
    EXPECT_EQ(run.out, kl.report());
    EXPECT_TRUE(run.out.contains(QStringLiteral("*Conc /molcm-3\t")));
}

TEST(AnalyseCommand, ProblemsGoToStderrWithExitStatus)
{
    // The default range is negative: no point qualifies, as in the window before it is edited.
    ToolOutput run =
        analyse({QStringLiteral("kl"), kExample, QStringLiteral("--use"), QStringLiteral("0,1")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("Please check at least one 'Use' Check Box")));
    run = analyse(
        {QStringLiteral("h2o"), kExample, QStringLiteral("--set"), QStringLiteral("O2VStep=0")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("The voltage step must not be 0.")));
    const struct {
        QStringList args;
        const char *why;
    } bad[] = {
        {{QStringLiteral("fit"), kExample}, "Unknown analysis"},
        {{QStringLiteral("kl"), kExample, QStringLiteral("--set"), QStringLiteral("NoSuchKey=1")},
         "unknown setting"},
        {{QStringLiteral("coulomb"), kExample, QStringLiteral("--track"), QStringLiteral("21")},
         "--track"},
        {{QStringLiteral("kl")}, "needs KIND and FILE"},
    };
    for (const auto &b : bad) {
        run = analyse(b.args);
        EXPECT_EQ(run.code, 2) << b.why;
        EXPECT_TRUE(run.err.contains(QLatin1String(b.why))) << run.err.toStdString();
    }
    run = analyse({QStringLiteral("--help")});
    EXPECT_EQ(run.code, 0);
    for (const char *option :
         {"--track", "--use", "--points", "--solve", "--start", "--end", "--fit", "--ne", "--conc",
          "--area", "--method", "--base", "--base-value", "--set", "--settings-dir"})
        EXPECT_TRUE(run.out.contains(QLatin1String(option))) << option;
}

TEST(AnalyseCommand, CoulombOptionsReachTheAnalysis)
{
    const ToolOutput run =
        analyse({QStringLiteral("coulomb"), kExample, QStringLiteral("--track"),
                 QStringLiteral("1"), QStringLiteral("--start"), QStringLiteral("10"),
                 QStringLiteral("--end"), QStringLiteral("400"), QStringLiteral("--method"),
                 QStringLiteral("simpson"), QStringLiteral("--base"), QStringLiteral("value"),
                 QStringLiteral("--base-value"), QStringLiteral("-1e-4")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, kExample).ok());
    ScriptedPrompts prompts;
    AnalysisPoints points;
    CoulombAnalysis coulomb(*store, points, prompts);
    coulomb.selectTrack(1);
    int first = 10, last = 400;
    coulomb.setFirst(first);
    coulomb.setLast(last);
    coulomb.method = CoulombAnalysis::Simpson;
    coulomb.baseLine = CoulombAnalysis::Value;
    coulomb.baseValue = -1e-4;
    ASSERT_TRUE(coulomb.Calculate(nullptr));
    EXPECT_EQ(run.out, coulomb.report());
}

TEST(AnalyseCommand, ANonFinitePointIsSkippedAndCounted)
{
    QTemporaryDir dir;
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, kExample).ok());
    store->data(1, 1, 100) = std::numeric_limits<double>::quiet_NaN();
    store->data(1, 1, 200) = std::numeric_limits<double>::infinity();
    const QString path = dir.filePath(QStringLiteral("points.tvd"));
    ASSERT_TRUE(writeTrackFile(*store, path, '.').ok);
    const QStringList range{QStringLiteral("--track"), QStringLiteral("1"),
                            QStringLiteral("--start"), QStringLiteral("10"),
                            QStringLiteral("--end"),   QStringLiteral("400")};
    for (const char *kind : {"coulomb", "tafel"}) {
        const ToolOutput run = analyse(QStringList{QString::fromLatin1(kind), path} + range);
        ASSERT_EQ(run.code, 0) << kind << ": " << run.err.toStdString();
        EXPECT_FALSE(run.out.contains(QStringLiteral("NaN"), Qt::CaseInsensitive)) << kind;
        EXPECT_FALSE(run.out.contains(QStringLiteral("Inf"), Qt::CaseInsensitive)) << kind;
        EXPECT_TRUE(run.out.contains(QStringLiteral("2 points that are not finite numbers were "
                                                    "skipped.")))
            << kind << ": " << run.out.toStdString();
    }
}

TEST(AnalyseCommand, ATinyVoltageStepIsRefusedAtOnce)
{
    QElapsedTimer clock;
    clock.start();
    const ToolOutput run = analyse(
        {QStringLiteral("h2o"), kExample, QStringLiteral("--set"), QStringLiteral("O2VStep=1e-9")});
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("The voltage step must be at least")))
        << run.err.toStdString();
    // The smallest step the message names is taken.
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, kExample).ok());
    const ToolOutput smallest =
        analyse({QStringLiteral("h2o"), kExample, QStringLiteral("--set"),
                 QStringLiteral("O2VStep=%1").arg(minimumVoltStep((*store)[0]))});
    EXPECT_EQ(smallest.code, 0) << smallest.err.toStdString();
}

TEST(AnalyseCommand, PeaksReportIsTheWindows)
{
    const QString cv = QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd");
    const ToolOutput run =
        analyse({QStringLiteral("peaks"), cv, QStringLiteral("--sweep"), QStringLiteral("2"),
                 QStringLiteral("--base"), QStringLiteral("0.6:0.5")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(loadTrackFile(*store, cv).ok());
    ScriptedPrompts prompts;
    PeakAnalysis peaks(*store, prompts);
    peaks.selectTrack(0);
    int sweep = 2;
    peaks.selectSweep(sweep);
    peaks.baseWindow = BaseWindow{0.6, 0.5};
    ASSERT_TRUE(peaks.Calculate());
    EXPECT_EQ(run.out, peaks.report());

    // Refusals: the message on stderr, exit 1, nothing on stdout.
    for (const QStringList &args : {QStringList{QStringLiteral("peaks"), cv,
                                                QStringLiteral("--base"), QStringLiteral("1:1.2")},
                                    QStringList{QStringLiteral("peaks"), kExample},
                                    QStringList{QStringLiteral("peaks"), cv,
                                                QStringLiteral("--sweep"), QStringLiteral("4")}}) {
        const ToolOutput refused = analyse(args);
        EXPECT_EQ(refused.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(refused.out.isEmpty());
        EXPECT_FALSE(refused.err.isEmpty());
    }
    // Malformed options name themselves.
    const struct {
        QStringList args;
        const char *named;
    } bad[] = {
        {{QStringLiteral("--sweep"), QStringLiteral("abc")}, "--sweep"},
        {{QStringLiteral("--sweep"), QStringLiteral("0")}, "--sweep"},
        {{QStringLiteral("--base"), QStringLiteral("0.5:x")}, "--base"},
        {{QStringLiteral("--base"), QStringLiteral("0.5:1e999")}, "--base"},
        {{QStringLiteral("--base"), QStringLiteral("0.5:0.5")}, "--base"},
        {{QStringLiteral("--base"), QStringLiteral("linear")}, "--base"},
        // A window without its colon is not taken for the coulomb analysis's choice.
        {{QStringLiteral("--base"), QStringLiteral("0.5")}, "--base: \"0.5\" is not a window"},
    };
    for (const auto &b : bad) {
        const ToolOutput r = analyse(QStringList{QStringLiteral("peaks"), cv} + b.args);
        EXPECT_EQ(r.code, 2) << b.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QLatin1String(b.named))) << r.err.toStdString();
    }
    const ToolOutput help = analyse({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("--sweep K")));
    EXPECT_TRUE(help.out.contains(QStringLiteral("--base E1:E2")));
}

TEST(AnalyseCommand, ScanRateReportIsTheStudys)
{
    // The example's three cycles as three tracks at made-up rates: enough for the command path.
    QTemporaryDir dir;
    auto store = std::make_unique<TrackStore>();
    ASSERT_TRUE(
        loadTrackFile(*store, QStringLiteral(TERVO_SOURCE_DIR "/examples/cv-redox-couple.tvd"))
            .ok());
    for (int t = 1; t < 3; ++t) {
        store->CopyTrackHeader(0, t);
        for (int p = 0; p < (*store)[0].pnum; ++p)
            for (int c = 0; c < 2; ++c)
                store->data(c, t, p) = store->data(c, 0, p) * (c == 1 ? 1 + t : 1);
        (*store)[t].Scanrate = 50 * (1 + t) * (1 + t);
    }
    const QString path = dir.filePath(QStringLiteral("rates.tvd"));
    ASSERT_TRUE(writeTrackFile(*store, path, '.').ok);
    ASSERT_TRUE(loadTrackFile(*store, path).ok());
    const ToolOutput run =
        analyse({QStringLiteral("scan-rate"), path, QStringLiteral("--use"),
                 QStringLiteral("0,1,2"), QStringLiteral("--solve"), QStringLiteral("area"),
                 QStringLiteral("--diffusion"), QStringLiteral("1e-5")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    ScriptedPrompts prompts;
    ScanRateStudy study(*store, prompts);
    study.tracks = {0, 1, 2};
    study.takeHeaderValues();
    study.diffusion = 1e-5;
    study.solve = ScanRateStudy::Area;
    ASSERT_TRUE(study.Calculate());
    EXPECT_EQ(run.out, study.report());
    EXPECT_TRUE(run.out.contains(QStringLiteral("\r\n*Area /cm2\t")));

    const struct {
        QStringList args;
        const char *named;
    } bad[] = {
        {{QStringLiteral("--solve"), QStringLiteral("n")}, "--solve"},
        {{QStringLiteral("--diffusion"), QStringLiteral("-1")}, "--diffusion"},
        {{QStringLiteral("--ne"), QStringLiteral("abc")}, "--ne"},
    };
    for (const auto &b : bad) {
        const ToolOutput r = analyse(QStringList{QStringLiteral("scan-rate"), path} + b.args);
        EXPECT_EQ(r.code, 2) << b.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(QLatin1String(b.named))) << r.err.toStdString();
    }
    const ToolOutput one =
        analyse({QStringLiteral("scan-rate"), path, QStringLiteral("--use"), QStringLiteral("0")});
    EXPECT_EQ(one.code, 1);
    EXPECT_TRUE(one.err.contains(QStringLiteral("two scan rates")));
}
