// Writes tracks of a track file as a figure (PNG, SVG or PDF) without a display; "tervo-tool plot"
// runs it with the same arguments.
//
//   tervo-tool-plot FILE.tvd --track N[,M...] [--ring] [--x-range A:B] [--y-range A:B] [--log-y]
//                   --out FIG.svg|png|pdf [--size WxH] [--dpi N]

#include "plot/TrackFigure.h"
#include "state/TrackStore.h"
#include "tracks/TrackFile.h"

#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

void say(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

int usage(const QString &why)
{
    say(why);
    say(QStringLiteral("Usage: tervo-tool plot FILE.tvd --track N[,M...] [--ring] [--x-range A:B] "
                       "[--y-range A:B] [--log-y] --out FIG.svg|png|pdf [--size WxH] [--dpi N]"));
    return 2;
}

std::optional<std::pair<double, double>> range(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return std::nullopt;
    bool a = false, b = false;
    const double lo = parts[0].toDouble(&a), hi = parts[1].toDouble(&b);
    if (!a || !b || lo == hi || !std::isfinite(lo) || !std::isfinite(hi))
        return std::nullopt;
    return std::make_pair(std::min(lo, hi), std::max(lo, hi));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    QString file, out;
    tervo::TrackFigureRequest request;
    int dpi = tervo::kDefaultFigureDpi;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--ring")) {
            request.ring = true;
        } else if (a == QLatin1String("--log-y")) {
            request.logY = true;
        } else if (a == QLatin1String("--track") && hasValue) {
            for (const QString &t : args[++i].split(QLatin1Char(','))) {
                bool ok = false;
                const int n = t.trimmed().toInt(&ok);
                if (!ok)
                    return usage(QStringLiteral("--track takes track numbers: \"%1\"").arg(t));
                request.tracks.push_back(n);
            }
        } else if ((a == QLatin1String("--x-range") || a == QLatin1String("--y-range")) &&
                   hasValue) {
            const auto r = range(args[++i]);
            if (!r)
                return usage(
                    QStringLiteral("%1 takes A:B with A and B different: \"%2\"").arg(a, args[i]));
            (a == QLatin1String("--x-range") ? request.xRange : request.yRange) = r;
        } else if (a == QLatin1String("--out") && hasValue) {
            out = args[++i];
        } else if (a == QLatin1String("--size") && hasValue) {
            const QStringList wh = args[++i].toLower().split(QLatin1Char('x'));
            bool okW = false, okH = false;
            const int w = wh.size() == 2 ? wh[0].toInt(&okW) : 0;
            const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
            if (!okW || !okH || w < 100 || h < 100 || w > 20000 || h > 20000)
                return usage(
                    QStringLiteral("--size takes WxH, 100 to 20000 each: \"%1\"").arg(args[i]));
            request.size = QSizeF(w, h);
        } else if (a == QLatin1String("--dpi") && hasValue) {
            bool ok = false;
            dpi = args[++i].toInt(&ok);
            if (!ok || dpi < 10 || dpi > 2400)
                return usage(QStringLiteral("--dpi takes 10 to 2400: \"%1\"").arg(args[i]));
        } else if (!a.startsWith(QLatin1String("--")) && file.isEmpty()) {
            file = a;
        } else {
            return usage(QStringLiteral("Unknown or incomplete option \"%1\".").arg(a));
        }
    }
    if (file.isEmpty() || out.isEmpty() || request.tracks.empty())
        return usage(QStringLiteral("plot needs FILE.tvd, --track and --out."));
    if (tervo::figureFormatOf(out) == tervo::FigureFormat::Unknown)
        return usage(QStringLiteral("%1: the figure is saved as .png, .svg or .pdf").arg(out));
    // Refused before the file is read, and with the options that set the pixels.
    if (tervo::figureFormatOf(out) == tervo::FigureFormat::Png) {
        if (const QString problem = tervo::pngSizeProblem(request.size, dpi); !problem.isEmpty())
            return usage(QStringLiteral("--size %1x%2 at --dpi %3: %4")
                             .arg(request.size.width())
                             .arg(request.size.height())
                             .arg(dpi)
                             .arg(problem));
    }

    auto store = std::make_unique<tervo::TrackStore>();
    const tervo::TrackFileReadResult read = tervo::loadTrackFile(*store, file);
    if (!read.loaded()) {
        say(read.message(file));
        return 1;
    }
    QString error;
    const std::optional<tervo::Figure> figure = tervo::trackFigure(*store, request, &error);
    if (!figure || !tervo::writeFigure(*figure, out, dpi, &error)) {
        say(QStringLiteral("%1: %2").arg(file, error));
        return 1;
    }
    return 0;
}
