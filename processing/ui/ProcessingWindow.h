#pragma once

#include "canvas/KurvexControl.h"

#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace tervo {

// A track number box with its up-down buttons.
struct TrackSpinner {
    QLineEdit *box = nullptr;
    QToolButton *up = nullptr;
    QToolButton *down = nullptr;
    QWidget *widget = nullptr; // the three in a row
};

// What the processing windows share: plot canvases created by their identifier and redrawn
// when resized, and the track spinners.
class ProcessingWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProcessingWindow(QWidget *parent = nullptr);

protected:
    // A KurvexCTRL canvas named name; nullptr when the component is missing.
    kurvex::KurvexControl *createCanvas(const QString &name, int minWidth, int minHeight);
    // A track box named boxName with spinner spinnerName: step(+1/-1) runs on the buttons and
    // typed(number) when a number is typed.
    TrackSpinner makeSpinner(const QString &boxName, const QString &spinnerName,
                             std::function<void(int)> step, std::function<void(int)> typed);
    // The source ("txtDataNum", "UpDown1") and destination ("txtDesNum", "UpDown2") track boxes
    // of a controller that steps and selects both; changed runs after every change.
    template <class Controller>
    void makeSourceAndDestination(Controller &c, TrackSpinner &source, TrackSpinner &destination,
                                  const std::function<void()> &changed)
    {
        source = makeSpinner(
            QStringLiteral("txtDataNum"), QStringLiteral("UpDown1"),
            [&c, changed](int d) {
                c.stepTrack(d);
                changed();
            },
            [&c, changed](int t) {
                c.selectTrack(t);
                changed();
            });
        destination = makeSpinner(
            QStringLiteral("txtDesNum"), QStringLiteral("UpDown2"),
            [&c, changed](int d) {
                c.stepDestination(d);
                changed();
            },
            [&c, changed](int t) {
                c.setDestination(t);
                changed();
            });
    }
    // Draws every canvas again.
    virtual void redraw() = 0;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};

// The decimal-number rule for a box's text.
double boxValue(const QLineEdit *box);

} // namespace tervo
