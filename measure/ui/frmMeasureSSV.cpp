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
    const SSVModel::Fields *f = &model.fields();
    SSVModel *m = &model;
    connect(m, &SSVModel::quitRequested, this, &QWidget::close);
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("1st /V"), [f] { return f->v1; },
        [m](double v) { m->setPotential(0, v); }, "txtV0");
    m_fields.number(
        left, QStringLiteral("2nd /V"), [f] { return f->v2; },
        [m](double v) { m->setPotential(1, v); }, "txtV1");
    m_fields.number(
        left, QStringLiteral("Volt Step /V"), [f] { return f->voltStep; },
        [m](double v) { m->setVoltStep(v); }, "txtVoltStep");
    m_fields.number(
        left, QStringLiteral("Step Time /s"), [f] { return f->stepTime; },
        [m](double v) { m->setStepTime(v); }, "txtStepTime");
    m_fields.number(
        left, QStringLiteral("Segment Num."), [f] { return double(f->segments); },
        [m](double v) { m->setSegments(v); }, "txtSegment");
    addRpmField(left);
    addCheck(
        left, QStringLiteral("Accelerate"), [f] { return f->accelerate; },
        [m](int on) { m->setAccelerate(on); }, "chkAccelerate");
    m_fields.number(
        left, QStringLiteral("Current Tolerance /%"), [f] { return f->currentTolerance; },
        [m](double v) { m->setCurrentTolerance(v); }, "txtCurrentTolerance");
    m_fields.number(
        left, QStringLiteral("Min. Time x StepTime/4"), [f] { return double(f->minTime); },
        [m](double v) { m->setMinTime(v); }, "txtMinTime");
    addCheck(
        left, QStringLiteral("Skip Fitting"), [f] { return f->skip; },
        [m](int on) { m->setSkip(on); }, "chkSkip");
    m_fields.number(
        left, QStringLiteral("Applied Current /%"), [f] { return f->appliedCurrent; },
        [m](double v) { m->setAppliedCurrent(v); }, "txtAppliedCurrent");

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch0)"), [f] { return f->diskXScale; },
        [m](double v) { m->setDiskXScale(v); }, "txtDiskXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch1)"), [f] { return f->diskYScale; },
        [m](double v) { m->setDiskYScale(v); }, "txtDiskYScale");
    m_fields.number(
        right, QStringLiteral("XScale V/V (ch2)"), [f] { return f->ringXScale; },
        [m](double v) { m->setRingXScale(v); }, "txtRingXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch3)"), [f] { return f->ringYScale; },
        [m](double v) { m->setRingYScale(v); }, "txtRingYScale");
    addSamplingRateField(right, QStringLiteral("Sampling Rate/Hz"));
    addAccumulationField(right, QStringLiteral("Accumlation"));
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f] { return f->ref; },
        [m](int i) { m->setReference(i); }, "cbxReference");
    addCheck(
        right, QStringLiteral("Record all points in the next track"),
        [f] { return f->recordNextTrack; }, [m](int on) { m->setRecordNextTrack(on); },
        "chkRecordNextTrack");
    addCheck(
        right, QStringLiteral("Send to Clipboard"), [f] { return f->sendToClip; },
        [m](int on) { m->setSendToClip(on); }, "chkSendtoClip");

    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    addLabel([m] { return m->remainingText(); }, "lblRemain");
    addButtons(QStringLiteral("Clear Monitor"));
    refresh();
}

QCheckBox *frmMeasureSSV::addCheck(QFormLayout *form, const QString &caption,
                                   std::function<int()> get, std::function<void(int)> set,
                                   const char *objectName)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(QString::fromLatin1(objectName));
    connect(box, &QCheckBox::toggled, this, [set](bool on) { set(on ? 1 : 0); });
    onRefresh([box, get] {
        const QSignalBlocker block(box);
        box->setChecked(get() == 1);
    });
    form->addRow(box);
    return box;
}

} // namespace tervo
