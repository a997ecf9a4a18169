#pragma once

#include "Figure.h"

class QWidget;

namespace kurvex {
class KurvexControl;
}

namespace tervo {

// What a canvas shows, as a figure.
Figure figureOf(kurvex::KurvexControl &canvas);

// "Save Figure…": asks for a file (PNG, SVG or PDF) and, for PNG, a resolution, then writes the
// figure; a failure is reported in a message box.
void saveFigureDialog(QWidget *parent, const Figure &figure);

// Offers "Save Figure…" in the canvas's context menu.
void offerFigureSaving(kurvex::KurvexControl &canvas);

} // namespace tervo
