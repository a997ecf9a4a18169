#include "ToolRun.h"
#include "support/TestDoubles.h"
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kExample = QStringLiteral(TERVO_SOURCE_DIR "/examples/rrde-oxygen-reduction.tvd");

} // namespace

// The figures are written without a display, each in the format its name gives.
TEST(PlotCommand, WritesPngSvgAndPdfHeadless)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("kl.png"));
    ToolRun r =
        tool({QStringLiteral("plot"), kExample, QStringLiteral("--track"), QStringLiteral("0,3"),
              QStringLiteral("--ring"), QStringLiteral("--out"), png, QStringLiteral("--size"),
              QStringLiteral("480x360"), QStringLiteral("--dpi"), QStringLiteral("150")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage img(png);
    EXPECT_EQ(img.size(), QSize(750, 563));

    const QString svg = dir.filePath(QStringLiteral("kl.svg"));
    r = tool({QStringLiteral("plot"), kExample, QStringLiteral("--track"), QStringLiteral("2"),
              QStringLiteral("--x-range"), QStringLiteral("0:0.9"), QStringLiteral("--log-y"),
              QStringLiteral("--out"), svg});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QByteArray s = tervo::fileBytes(svg);
    EXPECT_TRUE(s.contains("<svg"));
    EXPECT_TRUE(s.contains("|Current /A|"));
    EXPECT_TRUE(s.contains("1e-"));

    const QString pdf = dir.filePath(QStringLiteral("kl.pdf"));
    r = tool({QStringLiteral("plot"), kExample, QStringLiteral("--track"), QStringLiteral("1"),
              QStringLiteral("--out"), pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(tervo::fileBytes(pdf).startsWith("%PDF"));
}

TEST(PlotCommand, RefusesMalformedCallsAndVacantTracks)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("f.svg"));
    EXPECT_EQ(tool({QStringLiteral("plot"), kExample, QStringLiteral("--out"), out}).code, 2);
    EXPECT_EQ(
        tool({QStringLiteral("plot"), kExample, QStringLiteral("--track"), QStringLiteral("0"),
              QStringLiteral("--out"), dir.filePath(QStringLiteral("f.gif"))})
            .code,
        2);
    const ToolRun vacant = tool({QStringLiteral("plot"), kExample, QStringLiteral("--track"),
                                 QStringLiteral("17"), QStringLiteral("--out"), out});
    EXPECT_EQ(vacant.code, 1);
    EXPECT_TRUE(vacant.err.contains("track 17 is vacant")) << vacant.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}
