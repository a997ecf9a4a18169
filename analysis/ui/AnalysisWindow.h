#pragma once

#include "canvas/KurvexControl.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace tervo {

class TrackStore;
struct TrackHeader;

// What the analysis windows share as views: a track selector that wraps over 0..20, point
// spinners whose values the analysis corrects, number boxes, option groups, a plot canvas and
// the result box. refresh() shows the analysis's values again.
class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    AnalysisWindow(const QString &caption, const QString &objectName, QWidget *parent = nullptr);

    // Shows the analysis's values again and redraws.
    void refresh();

protected:
    QSpinBox *trackSelector(QFormLayout *form, std::function<int()> get,
                            std::function<void(int)> set, const char *objectName);
    // A point index; set receives the typed value and writes back the value kept.
    QSpinBox *pointSpinner(QFormLayout *form, const QString &caption, std::function<int()> get,
                           std::function<void(int &)> set, const char *objectName);
    // A number box; it stores on every change, or only when the operator leaves it.
    QLineEdit *numberBox(QFormLayout *form, const QString &caption, std::function<double()> get,
                         std::function<void(double)> set, bool onChange, const char *objectName);
    QLineEdit *textBox(QFormLayout *form, const QString &caption, std::function<QString()> get,
                       std::function<void(const QString &)> set, const char *objectName);
    QLabel *label(QFormLayout *form, const QString &caption, std::function<QString()> text,
                  const char *objectName);
    // Option buttons in a frame; returns the frame's layout for further rows.
    QButtonGroup *options(QLayout *into, const QString &frame, const QStringList &captions,
                          std::function<int()> get, std::function<void(int)> set,
                          const char *objectName);
    kurvex::KurvexControl *canvas(QLayout *into, const char *objectName);
    QPlainTextEdit *resultBox(QLayout *into, std::function<QString()> text);
    QPushButton *button(QLayout *into, const QString &caption, std::function<void()> clicked,
                        const char *objectName);
    void onRefresh(std::function<void()> f) { m_refreshers.push_back(std::move(f)); }
    // A canvas that changed size is drawn again to fill it.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The selected track's mode, title and rotation rate, shown read-only.
    void trackHeaderRows(QFormLayout *form, std::function<const TrackHeader &()> header);
    // The rows of an analysis over a stretch of one track: the track with its mode, title and
    // rotation rate, then the first and last points with the values at them.
    template <class Analysis> void trackStretchRows(QFormLayout *form, Analysis &a)
    {
        trackStretchRows(
            form, a.store(), [&a] { return a.selectedTrack(); }, [&a](int t) { a.selectTrack(t); },
            [&a] { return a.firstPoint(); }, [&a](int &p) { a.setFirst(p); },
            [&a] { return a.lastPoint(); }, [&a](int &p) { a.setLast(p); });
    }
    void trackStretchRows(QFormLayout *form, const TrackStore &store, std::function<int()> track,
                          std::function<void(int)> selectTrack, std::function<int()> first,
                          std::function<void(int &)> setFirst, std::function<int()> last,
                          std::function<void(int &)> setLast);

private:
    std::vector<std::function<void()>> m_refreshers;
    QTimer *m_resizeRedraw = nullptr;
    bool m_refreshing = false;
};

} // namespace tervo
