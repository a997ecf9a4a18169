#pragma once

#include "canvas/KurvexControl.h"
#include "state/TrackStore.h"

#include <QRgb>

namespace tervo {

// How PrevGraphDrawSetting draws a curve.
enum PreviewDrawing : int { PreviewLines = 0, PreviewDots = 1 };

// The hue-lightness-saturation colour of cycle k of m in the preview: hue 64 + spread * k / m.
// The first cycle always takes the lines' spread; later cycles drawn as dots step by the wider one.
QRgb cycleColor(int k, int m, double spread);
inline constexpr double kLineHueSpread = 144.0;
inline constexpr double kDotHueSpread = 164.0;

// Draws track `track` of the store on the canvas by its mode: axes from the widened plot range,
// then the curve as lines (drawSetting 0) or single pixels (1); any other setting draws only the
// axes. A vacant track, or one whose plot range cannot be mapped, leaves a cleared canvas.
void DrawTrackPreview(kurvex::KurvexControl &canvas, const TrackStore &store, int track,
                      int drawSetting);

} // namespace tervo
