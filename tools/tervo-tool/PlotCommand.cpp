// tervo-tool plot: tracks of a track file as a figure, without a display.
#include "ToolCommand.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

namespace tervo::tool {

namespace {

// Printing text needs a GUI application, which this tool's core application cannot become; the
// figure is written by tervo-tool-plot beside it, which gets the arguments as they are.
int runPlot(const QStringList &args)
{
    const QString writer =
        QCoreApplication::applicationDirPath() + QStringLiteral("/tervo-tool-plot");
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.setInputChannelMode(QProcess::ForwardedInputChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(writer, args);
    if (!p.waitForStarted()) {
        writeErr(QStringLiteral("plot: %1 cannot be started").arg(writer));
        return 1;
    }
    p.waitForFinished(-1);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : 1;
}

} // namespace

TERVO_TOOL_COMMAND(plot,
                   "  plot FILE.tvd --track N[,M...] [--ring] [--x-range A:B] [--y-range A:B]\n"
                   "       [--log-y] --out FIG.svg|png|pdf [--size WxH] [--dpi N]\n"
                   "                         Tracks as a figure with axis titles and a legend\n"
                   "                         (PNG at --dpi, default 300).\n",
                   runPlot);

} // namespace tervo::tool
