// What a script relies on in every command: --help, one-line errors, checked options, exit
// statuses, output that really arrived.
#include "ToolRun.h"
#include "tracks/TrackFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

QString example(const char *name)
{
    return QStringLiteral(TERVO_SOURCE_DIR "/examples/") + QLatin1String(name);
}

QByteArray digest(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

const QStringList kCommands{"analyse",    "calc",       "check",       "convert", "export",
                            "fft-filter", "ir-correct", "import",      "info",    "run",
                            "search",     "smooth",     "special-copy"};

} // namespace

TEST(ToolConventions, EveryCommandPrintsItsOwnUsage)
{
    for (const QString &command : kCommands) {
        const ToolRun r = tool({command, "--help"});
        EXPECT_EQ(r.code, 0) << command.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << command.toStdString();
        EXPECT_TRUE(r.out.contains(("  " + command + " ").toUtf8())) << command.toStdString();
        // Only this command's usage: no other command's line.
        for (const QString &other : kCommands) {
            if (other != command) {
                EXPECT_FALSE(r.out.contains(("\n  " + other + " ").toUtf8()))
                    << command.toStdString() << " shows " << other.toStdString();
            }
        }
    }
}

TEST(ToolConventions, AMalformedCallPrintsTheProblemAndAHint)
{
    const QList<QStringList> calls = {
        {"smooth", example("cv-redox-couple.tvd"), "--bogus"},
        {"export", example("cv-redox-couple.tvd")},
        {"check"},
        {"run"},
        {"search"},
    };
    for (const QStringList &call : calls) {
        const ToolRun r = tool(call);
        EXPECT_EQ(r.code, 2) << call.join(' ').toStdString();
        const QList<QByteArray> lines = r.err.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 2) << r.err.toStdString();
        EXPECT_EQ(lines[1], "see tervo-tool " + call[0].toUtf8() + " --help");
    }
}

// A number option that is no number, not finite or out of range is refused, naming the
// option, and nothing is written.
TEST(ToolConventions, OptionValuesAreChecked)
{
    QTemporaryDir dir;
    const QString in = dir.filePath("in.tvd");
    ASSERT_TRUE(QFile::copy(example("rrde-oxygen-reduction.tvd"), in));
    const QByteArray before = digest(in);
    struct Case {
        QStringList args;
        const char *named;
    };
    const QList<Case> cases = {
        {{"analyse", "kl", in, "--set", "KLVuse=abc"}, "--set KLVuse"},
        {{"analyse", "kl", in, "--set", "KLVuse=1e999"}, "--set KLVuse"},
        {{"analyse", "coulomb", in, "--base", "value", "--base-value", "1e999"}, "--base-value"},
        {{"analyse", "cottrell", in, "--area", "nan"}, "--area"},
        {{"smooth", in, "--points", "abc"}, "--points"},
        {{"smooth", in, "--points", "99"}, "--points"},
        {{"fft-filter", in, "--ymax", "abc"}, "--ymax"},
        {{"fft-filter", in, "--ymax", "-1"}, "--ymax"},
        {{"calc", in, "--a", "abc"}, "--a"},
        {{"calc", in, "--c", "1e999"}, "--c"},
        {{"special-copy", in, "--ce", "abc"}, "--ce"},
        {{"special-copy", in, "--order", "abc"}, "--order"},
        {{"special-copy", in, "--track", "1.5"}, "--track"},
        {{"convert", in, "--out", dir.filePath("c.tvd"), "--rpm", "inf"}, "--rpm"},
        {{"export", in, "21"}, "TRACK"},
    };
    for (const Case &c : cases) {
        const ToolRun r = tool(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(c.named)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
    }
    EXPECT_EQ(digest(in), before);
    EXPECT_FALSE(QFile::exists(dir.filePath("c.tvd")));
}

TEST(ToolConventions, ChoicesIgnoreLetterCase)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("s.tvd");
    EXPECT_EQ(
        tool({"smooth", example("cv-redox-couple.tvd"), "--method", "AVERAGE", "--out", out}).code,
        0);
    const ToolRun r = tool({"special-copy", example("rrde-oxygen-reduction.tvd"), "--disk-unit",
                            "MA", "--polarity", "Cathodic"});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Disk/mA")) << r.out.left(200).toStdString();
    EXPECT_EQ(tool({"analyse", "TAFEL", example("cv-redox-couple.tvd")}).code, 0);
    EXPECT_EQ(tool({"search", TERVO_SOURCE_DIR "/examples", "--mode", "rde"}).code, 0);
}

TEST(ToolConventions, OutputThatCannotBeWrittenIsAFailure)
{
    const ToolRun r = tool({"info", example("cv-redox-couple.tvd")}, QStringLiteral("/dev/full"));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("standard output")) << r.err.toStdString();
}

// Search prints paths a script can hand on to the next command.
TEST(ToolConventions, SearchPrintsUsablePaths)
{
    const QString folder = QStringLiteral(TERVO_SOURCE_DIR "/examples");
    for (const bool absolute : {false, true}) {
        QStringList args{"search", folder, "--mode", "RDE"};
        if (absolute)
            args << "--absolute";
        const ToolRun r = tool(args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QList<QByteArray> fields = r.out.split('\n').first().split('\t');
        const QString path = QString::fromUtf8(fields[0]);
        const QString expected = QDir(folder).filePath("rrde-oxygen-reduction.tvd");
        EXPECT_EQ(path, absolute ? QFileInfo(expected).absoluteFilePath() : expected);
        EXPECT_EQ(tool({"export", path, QString::fromUtf8(fields[1])}).code, 0);
    }
}

TEST(ToolConventions, MessagesNameWhatWasGiven)
{
    QTemporaryDir dir;
    // A coefficient file with the row for 5 points only.
    const QString coefficients = dir.filePath("my-coefficients.dat");
    QFile f(coefficients);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("35,17,12,-3\r\nend\r\n");
    f.close();
    ToolRun r = tool({"smooth", example("cv-redox-couple.tvd"), "--points", "7", "--coefficients",
                      coefficients, "--out", dir.filePath("s.tvd")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("my-coefficients.dat")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Savitzky-Golay.dat")) << r.err.toStdString();

    auto store = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        store->ClearTrack(t);
    TrackHeader &h = (*store)[0];
    h.Mode = ModePS;
    h.pnum = 3;
    for (int i = 0; i < 3; ++i) {
        store->data(0, 0, i) = i;
        store->data(1, 0, i) = 1e-6 * (i + 1);
    }
    const QString ps = dir.filePath("ps.tvd");
    ASSERT_TRUE(writeTrackFile(*store, ps, '.').ok);
    r = tool({"analyse", "tafel", ps});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, (ps + ": track 0 is not a voltammetry track.\n").toUtf8());
}

TEST(ToolConventions, AbsurdStepsCountsAndSizesAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString rrde = example("rrde-oxygen-reduction.tvd");
    const QString png = dir.filePath("f.png");
    const QString csv = QStringLiteral(TERVO_SOURCE_DIR "/tests/data/importing/foreign/"
                                                        "csv-three-header-lines.csv");
    const struct {
        QStringList args;
        const char *named;
    } cases[] = {
        {{"plot", rrde, "--track", "0", "--out", png, "--size", "20000x20000"}, "--size"},
        {{"plot", rrde, "--track", "0", "--out", png, "--dpi", "2400"}, "--dpi"},
        {{"analyse", "h2o", rrde, "--set", "O2VStep=1e-12"}, "voltage step"},
        {{"analyse", "kl", rrde, "--start", "1000000000"}, "--start"},
        {{"smooth", rrde, "--points", "1000001"}, "--points"},
        {{"smooth", rrde, "--skip", "1000000000"}, "--skip"},
        {{"special-copy", rrde, "--order", "1000000"}, "--order"},
        {{"special-copy", rrde, "--cycle", "1000000000"}, "--cycle"},
        {{"convert", csv, "--columns", "1000000,1"}, "--columns"},
        {{"run", dir.filePath("m.tvm"), "--max-run-time", "1e12"}, "--max-run-time"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QElapsedTimer clock;
        clock.start();
        const ToolRun r = tool(c.args);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_GT(r.code, 0);
        EXPECT_TRUE(r.err.contains(c.named)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(png));
}
