#include "FigureDialog.h"

#include "canvas/KurvexControl.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QWidget>

namespace tervo {

Figure figureOf(kurvex::KurvexControl &canvas)
{
    Figure f;
    f.scene = canvas.scene();
    const kurvex::ViewState &v = canvas.viewState();
    f.view = v.zoomed() || v.logY() ? v.shown() : v.programView();
    f.logY = v.logY();
    const QSize s = canvas.widget()->size();
    f.size = QSizeF(std::max(s.width(), 320), std::max(s.height(), 240));
    return f;
}

void saveFigureDialog(QWidget *parent, const Figure &figure)
{
    QString filter = QStringLiteral("PNG image (*.png)");
    const QString path = QFileDialog::getSaveFileName(
        parent, QStringLiteral("Save Figure"), QString(),
        QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), &filter);
    if (path.isEmpty())
        return;
    QString file = path;
    if (figureFormatOf(file) == FigureFormat::Unknown)
        file += filter.contains(QLatin1String("svg"))   ? QStringLiteral(".svg")
                : filter.contains(QLatin1String("pdf")) ? QStringLiteral(".pdf")
                                                        : QStringLiteral(".png");
    int dpi = kDefaultFigureDpi;
    if (figureFormatOf(file) == FigureFormat::Png) {
        bool ok = false;
        dpi = QInputDialog::getInt(parent, QStringLiteral("Save Figure"),
                                   QStringLiteral("Resolution (dpi):"), kDefaultFigureDpi, 10, 2400,
                                   10, &ok);
        if (!ok)
            return;
    }
    QString error;
    if (!writeFigure(figure, file, dpi, &error))
        QMessageBox::warning(parent, QStringLiteral("Save Figure"), error);
}

void offerFigureSaving(kurvex::KurvexControl &canvas)
{
    kurvex::KurvexControl *c = &canvas;
    canvas.setFigureSaver([c] { saveFigureDialog(c->widget()->window(), figureOf(*c)); });
}

} // namespace tervo
