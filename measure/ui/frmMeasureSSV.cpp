#include "frmMeasureSSV.h"

#include "tracks/Tables.h"

#include <QCheckBox>
#include <QFormLayout>

namespace tervo {

frmMeasureSSV::frmMeasureSSV(SSVModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("Steady State Voltammogram"),
                    QStringLiteral("frmMeasureSSV"), parent),
      m_ssv(model)
{
    SSVModel::Fields *f = &model.fields;
    SSVModel *m = &model;
    connect(m, &SSVModel::quitRequested, this, &QWidget::close);
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("1st /V"), [f] { return f->v1; }, [f](double v) { f->v1 = v; },
        "txtV0");
    m_fields.number(
        left, QStringLiteral("2nd /V"), [f] { return f->v2; }, [f](double v) { f->v2 = v; },
        "txtV1");
    m_fields.number(
        left, QStringLiteral("Volt Step /V"), [f] { return f->voltStep; },
        [m](double v) { m->voltStepEdited(v); }, "txtVoltStep");
    m_fields.number(
        left, QStringLiteral("Step Time /s"), [f] { return f->stepTime; },
        [m](double v) { m->stepTimeEdited(v); }, "txtStepTime");
    m_fields.number(
        left, QStringLiteral("Segment Num."), [f] { return double(f->segments); },
        [m](double v) { m->segmentsEdited(v); }, "txtSegment");
    addRpmField(left);
    addCheck(left, QStringLiteral("Accelerate"), &SSVModel::Fields::accelerate, "chkAccelerate");
    m_fields.number(
        left, QStringLiteral("Current Tolerance /%"), [f] { return f->currentTolerance; },
        [m](double v) { m->toleranceEdited(v); }, "txtCurrentTolerance");
    m_fields.number(
        left, QStringLiteral("Min. Time x StepTime/4"), [f] { return double(f->minTime); },
        [m](double v) { m->minTimeEdited(v); }, "txtMinTime");
    addCheck(left, QStringLiteral("Skip Fitting"), &SSVModel::Fields::skip, "chkSkip");
    m_fields.number(
        left, QStringLiteral("Applied Current /%"), [f] { return f->appliedCurrent; },
        [m](double v) { m->appliedCurrentEdited(v); }, "txtAppliedCurrent");

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch0)"), [f] { return f->diskXScale; },
        [f](double v) { f->diskXScale = v; }, "txtDiskXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch1)"), [f] { return f->diskYScale; },
        [f](double v) { f->diskYScale = v > 0 ? v : 1e-05; }, "txtDiskYScale");
    m_fields.number(
        right, QStringLiteral("XScale V/V (ch2)"), [f] { return f->ringXScale; },
        [f](double v) { f->ringXScale = v; }, "txtRingXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch3)"), [f] { return f->ringYScale; },
        [f](double v) { f->ringYScale = v > 0 ? v : 1e-05; }, "txtRingYScale");
    m_fields.number(
        right, QStringLiteral("Sampling Rate/Hz"), [m] { return m->acquisition.samplingRate; },
        [m](double v) { m->samplingRateEdited(v); }, "txtSamplingRate");
    m_fields.number(
        right, QStringLiteral("Accumlation"), [m] { return m->acquisition.accum; },
        [m](double v) { m->accumulationEdited(v); }, "txtAccum");
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f] { return f->ref; },
        [f](int i) { f->ref = i; }, "cbxReference");
    addCheck(right, QStringLiteral("Record all points in the next track"),
             &SSVModel::Fields::recordNextTrack, "chkRecordNextTrack");
    addCheck(right, QStringLiteral("Send to Clipboard"), &SSVModel::Fields::sendToClip,
             "chkSendtoClip");

    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    addLabel([m] { return m->remainingText(); }, "lblRemain");
    addButtons(QStringLiteral("Clear Monitor"));
    refresh();
}

QCheckBox *frmMeasureSSV::addCheck(QFormLayout *form, const QString &caption,
                                   int SSVModel::Fields::*field, const char *objectName)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(QString::fromLatin1(objectName));
    SSVModel::Fields *f = &m_ssv.fields;
    connect(box, &QCheckBox::toggled, this, [f, field](bool on) { f->*field = on ? 1 : 0; });
    onRefresh([box, f, field] {
        const QSignalBlocker block(box);
        box->setChecked(f->*field == 1);
    });
    form->addRow(box);
    return box;
}

} // namespace tervo
