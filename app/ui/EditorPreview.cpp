#include "EditorPreview.h"

#include "plot/Palette.h"
#include "plot/PlotRanges.h"
#include "plot/TrackPreview.h"
#include "state/TrackModes.h"

#include <cmath>

namespace tervo {

namespace {

// Exclusive-or with this pen turns the white background red, and back again.
constexpr QRgb kMarkPen = 0x00ffff;

bool mappable(const TrackHeader &h)
{
    const PlotRange r = WidenRange(h.Vxmin, h.Vymin, h.Vxmax, h.Vymax, 10);
    return std::isfinite(r.xmin) && std::isfinite(r.xmax) && std::isfinite(r.ymin) &&
           std::isfinite(r.ymax) && r.xmin != r.xmax && r.ymin != r.ymax;
}

void drawCycle(kurvex::KurvexControl &canvas, const TrackStore &store, int slot,
               const TrackEditor &editor, int column, QRgb color)
{
    const double *x = store.data.column(0, slot);
    const double *y = store.data.column(column, slot);
    for (int i = editor.firstPoint(); i <= editor.lastPoint(); ++i)
        canvas.VPset(x[i], y[i], color);
}

} // namespace

bool drawEditorPreview(kurvex::KurvexControl &canvas, const TrackStore &store,
                       const TrackEditor &editor)
{
    const int track = editor.track();
    if (track < 0 || store.isVacant(track) || !mappable(store[track])) {
        canvas.Cls();
        return false;
    }
    DrawTrackPreview(canvas, store, track, PreviewDots);
    drawCycle(canvas, store, track, editor, 1, paletteColor(kLightBlue));
    if (modeFacts(store[track].Mode).ringColumn)
        drawCycle(canvas, store, track, editor, 2, paletteColor(kLightGreen));
    return true;
}

void drawOperationPreview(kurvex::KurvexControl &canvas, const TrackStore &store,
                          const TrackEditor &editor)
{
    const QRgb cyan = paletteColor(kLightCyan);
    drawCycle(canvas, store, kScratchSlot, editor, 1, cyan);
    if (modeFacts(store[kScratchSlot].Mode).ringColumn)
        drawCycle(canvas, store, kScratchSlot, editor, 2, cyan);
}

void toggleMark(kurvex::KurvexControl &canvas, const TrackStore &store, int track, int point)
{
    if (point < 0 || point >= kMaxPoints)
        return;
    canvas.SetDrawMode(kurvex::kDrawXorPen);
    canvas.SetDrawWidth(2);
    canvas.SetFillStyle(kurvex::kFillTransparent);
    canvas.SetForeColor(kMarkPen);
    const double x = store.data(0, track, point);
    canvas.VCircle(x, store.data(1, track, point), 3, kMarkPen);
    if (store[track].Mode == ModeRDE)
        canvas.VCircle(x, store.data(2, track, point), 3, kMarkPen);
    canvas.SetDrawMode(kurvex::kDrawCopyPen);
    canvas.SetDrawWidth(1);
    canvas.SetForeColor(0x000000);
}

} // namespace tervo
