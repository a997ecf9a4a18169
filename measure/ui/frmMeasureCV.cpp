#include "frmMeasureCV.h"

#include "tracks/Tables.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace tervo {

frmMeasureCV::frmMeasureCV(CVModel &model, QWidget *parent)
    : QWidget(parent, Qt::Window), m_model(model), m_fields(this)
{
    setWindowTitle(QStringLiteral("CV Meaurement"));
    setObjectName(QStringLiteral("frmMeasureCV"));
    auto *root = new QVBoxLayout(this);

    // Parameter set and target track.
    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Setting"), this));
    m_set = new QSpinBox(this);
    m_set->setRange(-1, kCVSets);
    m_set->setObjectName(QStringLiteral("updSetting"));
    top->addWidget(m_set);
    top->addSpacing(16);
    top->addWidget(new QLabel(QStringLiteral("Track"), this));
    m_track = new QSpinBox(this);
    m_track->setRange(-1, kUserTracks);
    m_track->setObjectName(QStringLiteral("updTrack"));
    top->addWidget(m_track);
    m_mode = new QLabel(this);
    m_mode->setMinimumWidth(100);
    top->addWidget(m_mode);
    top->addStretch();
    root->addLayout(top);

    auto *columns = new QHBoxLayout;
    auto *left = new QFormLayout;
    auto *right = new QFormLayout;
    columns->addLayout(left);
    columns->addSpacing(12);
    columns->addLayout(right);
    root->addLayout(columns);

    CVModel::Fields &f = m_model.fields;
    CVModel *m = &m_model;
    m_fields.text(
        left, QStringLiteral("Set title"), [f = &f] { return f->setTitle; },
        [m](const QString &t) { m->setTitleEdited(t); }, "txtSetTitle");
    m_fields.text(
        left, QStringLiteral("Title:"), [m] { return m->titleField; },
        [m](const QString &t) { m->Title(t); }, "txtTitle");
    for (int k = 0; k < 3; ++k) {
        static const char *captions[] = {"1st /V", "2nd /V", "3rd /V"};
        static const char *names[] = {"txtV0", "txtV1", "txtV2"};
        m_fields.number(
            left, QString::fromLatin1(captions[k]),
            [f = &f, k] { return f->v[static_cast<std::size_t>(k)]; },
            [m, k](double v) { m->potentialEdited(k, v); }, names[k]);
    }
    m_fields.number(
        left, QStringLiteral("Scan Rate /mVs-1"), [f = &f] { return f->scanRate; },
        [m](double v) { m->scanRateEdited(v); }, "txtScanRate");
    m_fields.number(
        left, QStringLiteral("Cycle Num."), [f = &f] { return f->cycles; },
        [m](double v) { m->cyclesEdited(v); }, "txtCycle");
    m_fields.number(
        left, QStringLiteral("1st retainment time /s"), [f = &f] { return f->retainTime; },
        [f = &f](double v) { f->retainTime = v; }, "txtRetainTime");
    m_fields.text(
        left, QStringLiteral("RPM:"), [m] { return m->rpmField; },
        [m](const QString &t) {
            QString v = t;
            m->rpm(v);
        },
        "txtRPM");

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch 0)"), [f = &f] { return f->xScale; },
        [f = &f](double v) { f->xScale = v; }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch 1)"), [f = &f] { return f->yScale; },
        [f = &f](double v) { f->yScale = v; }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch. 5)"), [f = &f] { return f->rpmPerVolt; },
        [f = &f](double v) { f->rpmPerVolt = v; }, "txtRPMScale");
    m_fields.number(
        right, QStringLiteral("Sampling Rate"), [f = &f] { return f->samplingRate; },
        [m](double v) { m->samplingRateEdited(v); }, "txtSamplingRate");
    m_fields.number(
        right, QStringLiteral("Accumlation  x"), [f = &f] { return f->accum; },
        [m](double v) { m->accumulationEdited(v); }, "txtAccum");
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f = &f] { return f->ref; },
        [f = &f](int i) { f->ref = i; }, "cbxReference");

    auto *method = new QGroupBox(QStringLiteral("Measurement Method"), this);
    auto *methodLayout = new QHBoxLayout(method);
    m_byCycles = new QRadioButton(QStringLiteral("by cycle num."), method);
    m_byButton = new QRadioButton(QStringLiteral("button"), method);
    methodLayout->addWidget(m_byCycles);
    methodLayout->addWidget(m_byButton);
    root->addWidget(method);

    m_monitor = new QLabel(this);
    m_monitor->setObjectName(QStringLiteral("lblMonitor"));
    m_remaining = new QLabel(this);
    m_remaining->setObjectName(QStringLiteral("lblRemain"));
    root->addWidget(m_monitor);
    root->addWidget(m_remaining);

    auto *buttons = new QHBoxLayout;
    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    auto *clear = new QPushButton(QStringLiteral("Clear V mon."), this);
    m_start->setObjectName(QStringLiteral("cmdStart"));
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    buttons->addWidget(clear);
    root->addLayout(buttons);

    connect(m_start, &QPushButton::clicked, this, [this] {
        // Fields being edited take effect before the run reads them.
        if (QWidget *w = focusWidget())
            w->clearFocus();
        m_model.start();
    });
    connect(m_stop, &QPushButton::clicked, &m_model, &CVModel::stop);
    connect(clear, &QPushButton::clicked, &m_model, &CVModel::clearMonitor);
    connect(m_byCycles, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_refreshing)
            m_model.fields.method = 0;
    });
    connect(m_byButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_refreshing)
            m_model.fields.method = 1;
    });
    connect(m_set, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_refreshing)
            m_model.stepSet(v - m_model.currentSet());
    });
    connect(m_track, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_refreshing)
            m_model.stepTargetTrack(v - m_model.targetTrack());
    });
    connect(&m_model, &CVModel::changed, this, &frmMeasureCV::refresh);
    refresh();
}

void frmMeasureCV::refresh()
{
    m_refreshing = true;
    m_fields.refresh();
    m_set->setValue(m_model.currentSet());
    m_track->setValue(m_model.targetTrack());
    m_mode->setText(m_model.targetModeCaption());
    m_monitor->setText(m_model.monitorText());
    m_remaining->setText(m_model.remainingText());
    (m_model.fields.method == 0 ? m_byCycles : m_byButton)->setChecked(true);
    m_start->setEnabled(m_model.startEnabled());
    m_stop->setEnabled(m_model.state() == CVModel::Measuring);
    m_refreshing = false;
}

void frmMeasureCV::SetSize(std::int16_t top, std::int16_t left, std::int16_t width,
                           std::int16_t height)
{
    setGeometry(left, top, width, height);
    show();
}

void frmMeasureCV::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_open)
        return;
    m_open = true;
    if (!m_model.open()) {
        // A board that fails to open closes the window again.
        m_open = false;
        QTimer::singleShot(0, this, &QWidget::hide);
    }
    refresh();
}

void frmMeasureCV::closeEvent(QCloseEvent *event)
{
    m_model.closeWindow();
    m_open = false;
    QWidget::closeEvent(event);
}

} // namespace tervo
