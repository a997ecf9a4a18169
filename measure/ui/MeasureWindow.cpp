#include "MeasureWindow.h"

#include "plot/Graph.h"
#include "tracks/Tables.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

namespace tervo {

namespace {
// About 30 refreshes a second: as often as anyone can read a label.
constexpr int kRefreshIntervalMs = 33;
} // namespace

MeasureWindow::MeasureWindow(MeasurementModel &model, const QString &caption,
                             const QString &objectName, QWidget *parent)
    : QWidget(parent, Qt::Window), m_model(model), m_fields(this)
{
    setWindowTitle(caption);
    setObjectName(objectName);
    m_root = new QVBoxLayout(this);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &MeasureWindow::refresh);
    connect(&m_model, &MeasurementModel::changed, this, &MeasureWindow::modelChanged);
    // A board failure closed the model; the window goes with it. A field being edited is
    // dropped, so that leaving it does not load the window again.
    connect(&m_model, &MeasurementModel::boardFailed, this, [this] {
        if (QWidget *w = focusWidget()) {
            const QSignalBlocker block(w);
            w->clearFocus();
        }
        hide();
    });
}

void MeasureWindow::modelChanged()
{
    const int state = m_model.state() * 2 + (m_model.isRecording() ? 1 : 0);
    if (m_model.ticking() && state == m_shownState) {
        if (!m_refreshTimer.isActive())
            m_refreshTimer.start();
        return;
    }
    refresh();
}

void MeasureWindow::addTrackRow()
{
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Track"), this));
    auto *track = new QSpinBox(this);
    // One beyond each end, so that the arrows wrap.
    track->setRange(-1, kUserTracks);
    track->setObjectName(QStringLiteral("updTrack"));
    row->addWidget(track);
    auto *mode = new QLabel(this);
    mode->setObjectName(QStringLiteral("lblMode"));
    mode->setMinimumWidth(100);
    row->addWidget(mode);
    row->addStretch();
    m_root->addLayout(row);
    connect(track, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_refreshing)
            m_model.stepTargetTrack(v - m_model.targetTrack());
    });
    onRefresh([this, track, mode] {
        track->setValue(m_model.targetTrack());
        mode->setText(m_model.targetModeCaption());
    });
}

std::pair<QFormLayout *, QFormLayout *> MeasureWindow::addColumns()
{
    auto *columns = new QHBoxLayout;
    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    columns->addLayout(left);
    columns->addSpacing(12);
    columns->addLayout(right);
    m_root->addLayout(columns);
    return {left, right};
}

void MeasureWindow::addTitleField(QFormLayout *form)
{
    MeasurementModel *m = &m_model;
    m_fields.text(
        form, QStringLiteral("Title:"), [m] { return m->titleField; },
        [m](const QString &t) { m->Title(t); }, "txtTitle");
}

void MeasureWindow::addRpmField(QFormLayout *form)
{
    MeasurementModel *m = &m_model;
    m_fields.text(
        form, QStringLiteral("RPM:"), [m] { return m->rpmField; },
        [m](const QString &t) {
            QString v = t; // the operation corrects its argument in place
            m->rpm(v);
        },
        "txtRPM");
}

void MeasureWindow::addRetainTimeField(QFormLayout *form, const QString &caption)
{
    MeasurementModel *m = &m_model;
    m_fields.number(
        form, caption, [m] { return m->acquisition().retainTime; },
        [m](double v) { m->setRetainTime(v); }, "txtRetainTime");
}

void MeasureWindow::addSamplingRateField(QFormLayout *form, const QString &caption,
                                         const char *objectName)
{
    MeasurementModel *m = &m_model;
    m_fields.number(
        form, caption, [m] { return m->acquisition().samplingRate; },
        [m](double v) { m->setSamplingRate(v); }, objectName);
}

void MeasureWindow::addAccumulationField(QFormLayout *form, const QString &caption)
{
    MeasurementModel *m = &m_model;
    m_fields.number(
        form, caption, [m] { return m->acquisition().accum; },
        [m](double v) { m->setAccumulation(v); }, "txtAccum");
}

void MeasureWindow::addMethods(const QString &title, const QStringList &captions,
                               std::function<int()> get, std::function<void(int)> set,
                               const char *objectName)
{
    auto *box = new QGroupBox(title, this);
    box->setObjectName(QString::fromLatin1(objectName));
    auto *layout = new QHBoxLayout(box);
    auto *group = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *option = new QRadioButton(captions[i], box);
        group->addButton(option, i);
        layout->addWidget(option);
    }
    m_root->addWidget(box);
    connect(group, &QButtonGroup::idToggled, this, [this, set](int id, bool on) {
        if (on && !m_refreshing)
            set(id);
    });
    onRefresh([group, get] {
        if (QAbstractButton *b = group->button(get()))
            b->setChecked(true);
    });
}

QLabel *MeasureWindow::addLabel(std::function<QString()> text, const char *objectName)
{
    auto *label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(objectName));
    m_root->addWidget(label);
    onRefresh([label, text] { label->setText(text()); });
    return label;
}

QHBoxLayout *MeasureWindow::addButtons(const QString &clearCaption)
{
    auto *row = new QHBoxLayout;
    auto *start = new QPushButton(QStringLiteral("Start"), this);
    auto *stop = new QPushButton(QStringLiteral("Stop"), this);
    auto *clear = new QPushButton(clearCaption, this);
    start->setObjectName(QStringLiteral("cmdStart"));
    stop->setObjectName(QStringLiteral("cmdStop"));
    clear->setObjectName(QStringLiteral("cmdClearVMon"));
    row->addWidget(start);
    row->addWidget(stop);
    row->addStretch();
    row->addWidget(clear);
    m_root->addLayout(row);
    connect(start, &QPushButton::clicked, this, [this] {
        // Fields being edited take effect before the run reads them.
        if (QWidget *w = focusWidget())
            w->clearFocus();
        m_model.start(MeasurementModel::Occupied::Ask);
    });
    connect(stop, &QPushButton::clicked, &m_model, &MeasurementModel::stop);
    connect(clear, &QPushButton::clicked, this, [this] {
        if (m_model.state() == MeasurementModel::Monitor)
            m_model.clearMonitor();
    });
    onRefresh([this, start, stop, clear] {
        start->setEnabled(m_model.startEnabled());
        stop->setEnabled(m_model.state() == MeasurementModel::Measuring);
        clear->setEnabled(m_model.state() == MeasurementModel::Monitor);
    });
    // Below the buttons: what the window has to say about the run without stopping it.
    addLabel([this] { return m_model.noticeText(); }, "lblNotice")->setWordWrap(true);
    return row;
}

void MeasureWindow::refresh()
{
    m_refreshTimer.stop();
    m_shownState = m_model.state() * 2 + (m_model.isRecording() ? 1 : 0);
    m_refreshing = true;
    m_fields.refresh();
    for (const auto &f : m_refreshers)
        f();
    m_refreshing = false;
}

QRect MeasureWindow::pixelGeometry(std::int16_t top, std::int16_t left, std::int16_t width,
                                   std::int16_t height)
{
    const int px = Graph::kTwipsPerPixel;
    return QRect(left / px, top / px, std::max(0, width / px), std::max(0, height / px));
}

void MeasureWindow::SetSize(std::int16_t top, std::int16_t left, std::int16_t width,
                            std::int16_t height)
{
    setGeometry(pixelGeometry(top, left, width, height));
    show();
}

void MeasureWindow::quit()
{
    finishEditing();
    m_model.closeWindow();
    close();
}

void MeasureWindow::finishEditing()
{
    // A field being edited takes effect while the window is still loaded.
    if (QWidget *w = focusWidget())
        w->clearFocus();
}

void MeasureWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Loading the window when it is shown; a public operation may have loaded it already.
    if (!m_model.ensureOpen())
        QTimer::singleShot(0, this, &QWidget::hide);
    refresh();
}

void MeasureWindow::closeEvent(QCloseEvent *event)
{
    finishEditing();
    m_model.closeWindow();
    QWidget::closeEvent(event);
}

} // namespace tervo
