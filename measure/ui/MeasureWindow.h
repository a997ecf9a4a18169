#pragma once

#include "FieldBinder.h"
#include "measure/MeasurementModel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace tervo {

// What the measurement windows share as views: the target track with its mode, the
// "Measurement Method" options, labels that follow the model, Start / Stop / clear-monitor
// buttons, opening the boards when first shown and finishing a run when closed.
class MeasureWindow : public QWidget {
    Q_OBJECT
public:
    MeasureWindow(MeasurementModel &model, const QString &caption, const QString &objectName,
                  QWidget *parent = nullptr);

    // Places and sizes the window and shows it; the values are screen units, as the graph
    // window's SetSize takes them.
    void SetSize(std::int16_t top, std::int16_t left, std::int16_t width, std::int16_t height);
    static QRect pixelGeometry(std::int16_t top, std::int16_t left, std::int16_t width,
                               std::int16_t height);

protected:
    // The Quit...Measurement operations: the run in progress is finished and the window closed.
    void quit();
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    // The "Track" up-down and the mode label of the target track.
    void addTrackRow();
    // Two form columns side by side.
    std::pair<QFormLayout *, QFormLayout *> addColumns();
    // The fields every measurement model has: the track title and the rotation rate.
    void addTitleField(QFormLayout *form);
    void addRpmField(QFormLayout *form);
    // The sampling boxes every window has, under the window's own captions.
    void addRetainTimeField(QFormLayout *form, const QString &caption);
    void addSamplingRateField(QFormLayout *form, const QString &caption,
                              const char *objectName = "txtSamplingRate");
    void addAccumulationField(QFormLayout *form, const QString &caption);
    void addMethods(const QString &title, const QStringList &captions, std::function<int()> get,
                    std::function<void(int)> set, const char *objectName);
    QLabel *addLabel(std::function<QString()> text, const char *objectName);
    // Start, Stop and the clear-monitor button; returns the button row for more buttons.
    QHBoxLayout *addButtons(const QString &clearCaption);
    void onRefresh(std::function<void()> f) { m_refreshers.push_back(std::move(f)); }
    void refresh();
    // Ticks change the model at the sampling rate; the view follows at screen rate, and at once
    // on every other change.
    void modelChanged();

    MeasurementModel &m_model;
    FieldBinder m_fields;
    QVBoxLayout *m_root = nullptr;

private:
    void finishEditing();

    std::vector<std::function<void()>> m_refreshers;
    bool m_refreshing = false;
    QTimer m_refreshTimer;
    int m_shownState = -1;
};

} // namespace tervo
