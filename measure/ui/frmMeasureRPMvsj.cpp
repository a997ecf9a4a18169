#include "frmMeasureRPMvsj.h"

#include "core/NumberFormat.h"

#include <QCheckBox>
#include <QFormLayout>

namespace tervo {

frmMeasureRPMvsj::frmMeasureRPMvsj(RPMvsjModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("RPM vs. i"), QStringLiteral("frmMeasureRPMvsj"), parent),
      m_rpj(model)
{
    const RPMvsjModel::Fields *f = &model.fields();
    RPMvsjModel *m = &model;
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("Applied Potential /V:"), [f] { return f->v; },
        [m](double v) { m->setPotential(v); }, "txtDiskXValue");
    m_fields.number(
        left, QStringLiteral("RPM limit"), [f] { return f->rpmLimit; },
        [m](double v) { m->setRpmLimit(v); }, "txtLimitRPM");
    m_fields.number(
        left, QStringLiteral("Start RPM"), [f] { return f->startRpm; },
        [m](double v) { m->setStartRpm(v); }, "txtStartRPM");
    m_fields.number(
        left, QStringLiteral("End RPM"), [f] { return f->endRpm; },
        [m](double v) { m->setEndRpm(v); }, "txtEndRPM");
    m_fields.number(
        left, QStringLiteral("rpm/s"), [f] { return f->speed; }, [m](double v) { m->setSpeed(v); },
        "txtSpeed");
    addRetainTimeField(left, QStringLiteral("Retain Time /s"));

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch0)"), [f] { return f->xScale; },
        [m](double v) { m->setXScale(v); }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch1)"), [f] { return f->yScale; },
        [m](double v) { m->setYScale(v); }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch4)"), [f] { return f->rpmScale; },
        [m](double v) { m->setRpmScale(v); }, "txtRPMScale");
    addSamplingRateField(right, QStringLiteral("Sampling Rate"));
    addAccumulationField(right, QStringLiteral("Accumlation  x"));
    auto *recordTime = new QCheckBox(QStringLiteral("Record Time"), this);
    recordTime->setObjectName(QStringLiteral("chkRecordTime"));
    right->addRow(recordTime);
    connect(recordTime, &QCheckBox::toggled, this, [m](bool on) { m->setRecordTime(on); });
    onRefresh([recordTime, f] { recordTime->setChecked(f->recordTime); });

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("RPM limitation (by measurement)"), QStringLiteral("button"),
         QStringLiteral("RPM Control")},
        [f] { return f->method; }, [m](int i) { m->setMethod(i); }, "opnRPMvsj");
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
