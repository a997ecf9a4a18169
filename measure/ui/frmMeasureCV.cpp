#include "frmMeasureCV.h"

#include "tracks/Tables.h"

#include <QFormLayout>

namespace tervo {

frmMeasureCV::frmMeasureCV(CVModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("CV Meaurement"), QStringLiteral("frmMeasureCV"), parent),
      m_cv(model)
{
    const CVModel::Fields *f = &model.fields();
    CVModel *m = &model;

    // The parameter set, before the target track.
    auto *setRow = new QHBoxLayout;
    setRow->addWidget(new QLabel(QStringLiteral("Setting"), this));
    auto *set = new QSpinBox(this);
    set->setRange(-1, kCVSets); // one beyond each end, so that the arrows wrap
    set->setObjectName(QStringLiteral("updSetting"));
    setRow->addWidget(set);
    setRow->addStretch();
    m_root->addLayout(setRow);
    connect(set, &QSpinBox::valueChanged, this, [m, set](int v) {
        if (set->signalsBlocked())
            return;
        m->stepSet(v - m->currentSet());
    });
    onRefresh([m, set] {
        const QSignalBlocker block(set);
        set->setValue(m->currentSet());
    });
    addTrackRow();

    auto [left, right] = addColumns();
    m_fields.text(
        left, QStringLiteral("Set title"), [f] { return f->setTitle; },
        [m](const QString &t) { m->setSetTitle(t); }, "txtSetTitle");
    addTitleField(left);
    static const char *captions[] = {"1st /V", "2nd /V", "3rd /V"};
    static const char *names[] = {"txtV0", "txtV1", "txtV2"};
    for (int k = 0; k < 3; ++k) {
        m_fields.number(
            left, QString::fromLatin1(captions[k]),
            [f, k] { return f->v[static_cast<std::size_t>(k)]; },
            [m, k](double v) { m->setPotential(k, v); }, names[k]);
    }
    m_fields.number(
        left, QStringLiteral("Scan Rate /mVs-1"), [f] { return f->scanRate; },
        [m](double v) { m->setScanRateFromBox(v); }, "txtScanRate");
    m_fields.number(
        left, QStringLiteral("Cycle Num."), [f] { return f->cycles; },
        [m](double v) { m->setCycles(v); }, "txtCycle");
    addRetainTimeField(left, QStringLiteral("1st retainment time /s"));
    addRpmField(left);

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch 0)"), [f] { return f->xScale; },
        [m](double v) { m->setXScale(v); }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch 1)"), [f] { return f->yScale; },
        [m](double v) { m->setYScale(v); }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch. 5)"), [f] { return f->rpmPerVolt; },
        [m](double v) { m->setRpmPerVolt(v); }, "txtRPMScale");
    addSamplingRateField(right, QStringLiteral("Sampling Rate"));
    addAccumulationField(right, QStringLiteral("Accumlation  x"));
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f] { return f->ref; },
        [m](int i) { m->setReference(i); }, "cbxReference");

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("by cycle num."), QStringLiteral("button")}, [f] { return f->method; },
        [m](int i) { m->setMethod(i); }, "opnMeasurement");
    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    addLabel([m] { return m->remainingText(); }, "lblRemain");
    addButtons(QStringLiteral("Clear V mon."));
    refresh();
}

} // namespace tervo
