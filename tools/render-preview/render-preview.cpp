// Renders the preview of a synthetic three-cycle cyclic voltammogram, or of a track from a track
// file, to a PNG without a display.
//
//   render-preview OUT.png [--dots] [--size WxH] [--file FILE.tvd --track N] [--graph [--log]]
//
// --graph draws the track on a graph window's surface instead, as a measurement draws its result
// (x label "/V"); --log labels the y axis in decades.

#include "canvas/KurvexControl.h"
#include "plot/Graph.h"
#include "plot/Palette.h"
#include "plot/PlotRanges.h"
#include "plot/TrackPreview.h"
#include "state/TrackStore.h"
#include "tracks/TrackFile.h"

#include <QApplication>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {

// The graph's copy commands are not used here.
class NoClipboard : public tervo::Clipboard {
public:
    QString text() const override { return QString(); }
    void setText(const QString &) override {}
    void setImage(const QImage &) override {}
    void clear() override {}
};

// Three cycles 0 V -> 0.8 V -> -0.2 V -> 0 V of a reversible couple near 0.35 V, with a charging
// current that flips with the sweep direction.
void makeVoltammogram(tervo::TrackStore &s, int track)
{
    tervo::TrackHeader &h = s[track];
    h.Mode = tervo::ModeCV;
    h.Title = QStringLiteral("synthetic CV");
    h.V1st = 0;
    h.V2nd = 0.8;
    h.V3rd = -0.2;
    const double step = 0.002;
    int n = 0;
    double ymin = 0, ymax = 0;
    auto add = [&](double v, bool anodic, int cycle) {
        const double x = (v - 0.35) / 0.03;
        const double peak = 2.0e-5 * std::exp(-x * x / 2) * (1.0 - 0.08 * cycle);
        const double i = (anodic ? 1 : -1) * (peak + 2e-6) + 1e-5 * (v - 0.3);
        s.data(0, track, n) = v;
        s.data(1, track, n) = i;
        ymin = std::min(ymin, i);
        ymax = std::max(ymax, i);
        ++n;
    };
    for (int c = 0; c < 3; ++c) {
        for (double v = 0; v < 0.8; v += step)
            add(v, true, c);
        for (double v = 0.8; v > -0.2; v -= step)
            add(v, false, c);
        for (double v = -0.2; v < 0; v += step)
            add(v, true, c);
    }
    add(0, true, 2);
    h.pnum = n;
    h.Vxmin = -0.2;
    h.Vxmax = 0.8;
    h.Vymin = ymin;
    h.Vymax = ymax;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString out, file;
    int track = 0, width = 800, height = 560;
    int drawSetting = tervo::PreviewLines;
    bool graph = false, decades = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--graph")) {
            graph = true;
        } else if (a == QLatin1String("--log")) {
            decades = true;
        } else if (a == QLatin1String("--dots")) {
            drawSetting = tervo::PreviewDots;
        } else if (a == QLatin1String("--size") && i + 1 < args.size()) {
            const QStringList wh = args[++i].split(QLatin1Char('x'));
            if (wh.size() == 2) {
                width = std::max(50, wh[0].toInt());
                height = std::max(50, wh[1].toInt());
            }
        } else if (a == QLatin1String("--file") && i + 1 < args.size()) {
            file = args[++i];
        } else if (a == QLatin1String("--track") && i + 1 < args.size()) {
            track = args[++i].toInt();
        } else {
            out = a;
        }
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: render-preview OUT.png [--dots] [--size WxH] "
                             "[--file FILE.tvd --track N] [--graph [--log]]\n");
        return 2;
    }
    auto store = std::make_unique<tervo::TrackStore>();
    if (file.isEmpty()) {
        makeVoltammogram(*store, track = 0);
    } else {
        const tervo::TrackFileReadResult r = tervo::loadTrackFile(*store, file);
        if (r.status == tervo::TrackFileReadResult::CannotOpen ||
            r.status == tervo::TrackFileReadResult::NotTrackFile) {
            std::fprintf(stderr, "%s\n", qPrintable(r.message(file)));
            return 1;
        }
    }
    if (graph) {
        NoClipboard clipboard;
        tervo::Graph g(clipboard);
        const int unit = g.getPictureX();
        g.SetSize(0, 0, width * unit, height * unit);
        const tervo::TrackHeader &h = (*store)[track];
        const tervo::PlotRange r = tervo::WidenRange(h.Vxmin, h.Vymin, h.Vxmax, h.Vymax, 10);
        g.View(r.xmin, r.ymax, r.xmax, r.ymin);
        g.Axis(tervo::NiceStep(r.xmin, r.xmax), tervo::NiceStep(r.ymin, r.ymax), decades ? 1 : 0,
               QStringLiteral("/V"));
        for (int i = 0; i + 1 < tervo::pointCount(h); ++i)
            g.VLine(store->data(0, track, i), store->data(1, track, i),
                    store->data(0, track, i + 1), store->data(1, track, i + 1),
                    tervo::paletteColor(tervo::kLightRed));
        if (!g.image().save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        return 0;
    }
    std::unique_ptr<kurvex::KurvexControl> canvas(
        kurvex::createControl(QString::fromLatin1(kurvex::kProgId)));
    canvas->widget()->resize(width, height);
    tervo::DrawTrackPreview(*canvas, *store, track, drawSetting);
    if (!canvas->image().save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
