#include "frmMeasureRPMvsj.h"

#include "core/NumberFormat.h"

#include <QCheckBox>
#include <QFormLayout>

namespace tervo {

frmMeasureRPMvsj::frmMeasureRPMvsj(RPMvsjModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("RPM vs. i"), QStringLiteral("frmMeasureRPMvsj"), parent),
      m_rpj(model)
{
    RPMvsjModel::Fields *f = &model.fields;
    RPMvsjModel *m = &model;
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("Applied Potential /V:"), [f] { return f->v; },
        [m](double v) { m->potentialEdited(v); }, "txtDiskXValue");
    m_fields.number(
        left, QStringLiteral("RPM limit"), [f] { return f->rpmLimit; },
        [f](double v) { f->rpmLimit = v; }, "txtLimitRPM");
    m_fields.number(
        left, QStringLiteral("Start RPM"), [f] { return f->startRpm; },
        [m](double v) { m->startRpmEdited(v); }, "txtStartRPM");
    m_fields.number(
        left, QStringLiteral("End RPM"), [f] { return f->endRpm; },
        [m](double v) { m->endRpmEdited(v); }, "txtEndRPM");
    m_fields.number(
        left, QStringLiteral("rpm/s"), [f] { return f->speed; },
        [m](double v) { m->speedEdited(v); }, "txtSpeed");
    m_fields.number(
        left, QStringLiteral("Retain Time /s"), [m] { return m->acquisition.retainTime; },
        [m](double v) { m->acquisition.retainTime = v; }, "txtRetainTime");

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch0)"), [f] { return f->xScale; },
        [f](double v) { f->xScale = v; }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch1)"), [f] { return f->yScale; },
        [f](double v) { f->yScale = v; }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch4)"), [f] { return f->rpmScale; },
        [f](double v) { f->rpmScale = v; }, "txtRPMScale");
    m_fields.number(
        right, QStringLiteral("Sampling Rate"), [m] { return m->acquisition.samplingRate; },
        [m](double v) { m->samplingRateEdited(v); }, "txtSamplingRate");
    m_fields.number(
        right, QStringLiteral("Accumlation  x"), [m] { return m->acquisition.accum; },
        [m](double v) { m->accumulationEdited(v); }, "txtAccum");
    auto *recordTime = new QCheckBox(QStringLiteral("Record Time"), this);
    recordTime->setObjectName(QStringLiteral("chkRecordTime"));
    right->addRow(recordTime);
    connect(recordTime, &QCheckBox::toggled, this, [f](bool on) { f->recordTime = on; });
    onRefresh([recordTime, f] { recordTime->setChecked(f->recordTime); });

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("RPM limitation (by measurement)"), QStringLiteral("button"),
         QStringLiteral("RPM Control")},
        [f] { return f->method; }, [m](int i) { m->AppliedMeasuremode(i); }, "opnRPMvsj");
    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    // The disk potential measured at Start.
    addLabel(
        [m] {
            return m->state() == RPMvsjModel::Measuring
                       ? formatPattern(m->diskPotential(), "0.000") + QStringLiteral("V")
                       : QString();
        },
        "lblDiskVoltage");
    addButtons(QStringLiteral("Clear V Mon."));
    refresh();
}

} // namespace tervo
