#include "frmPotentialStep.h"

#include <QCheckBox>
#include <QFormLayout>

namespace tervo {

frmPotentialStep::frmPotentialStep(PSModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("Potential Step Measurement"),
                    QStringLiteral("frmPotentialStep"), parent),
      m_ps(model)
{
    const PSModel::Fields *f = &model.fields();
    PSModel *m = &model;
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("1st /V"), [f] { return f->v0; },
        [m](double v) { m->setPotential(0, v); }, "txtV0");
    m_fields.number(
        left, QStringLiteral("2nd /V"), [f] { return f->v1; },
        [m](double v) { m->setPotential(1, v); }, "txtV1");
    addRetainTimeField(left, QStringLiteral("1st retainment time /s"));
    m_fields.number(
        left, QStringLiteral("by time"), [f] { return f->maxTime; },
        [m](double v) { m->setMaxTime(v); }, "txtMaxTime");
    m_fields.number(
        left, QStringLiteral("by Coulomb Number /C"), [f] { return f->coulomb; },
        [m](double v) { m->setCoulomb(v); }, "txtCoulomb");
    addRpmField(left);

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch 0)"), [f] { return f->xScale; },
        [m](double v) { m->setXScale(v); }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch 1)"), [f] { return f->yScale; },
        [m](double v) { m->setYScale(v); }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch. 5)"), [f] { return f->rpmScale; },
        [m](double v) { m->setRpmScale(v); }, "txtRPMScale");
    addSamplingRateField(right, QStringLiteral("Initial Value/Hz"));
    m_fields.number(
        right, QStringLiteral("Division"), [f] { return f->division; },
        [m](double v) { m->setDivision(v); }, "txtDivision");
    addAccumulationField(right, QStringLiteral("Accumlation  x"));
    auto *graphOn = new QCheckBox(QStringLiteral("Realtime Graph Draw mode"), this);
    graphOn->setObjectName(QStringLiteral("chkGraphOn"));
    right->addRow(graphOn);
    connect(graphOn, &QCheckBox::toggled, this, [m](bool on) { m->setGraphOn(on); });
    onRefresh([graphOn, f] { graphOn->setChecked(f->graphOn); });

    addMethods(
        QStringLiteral("Sampling"), {QStringLiteral("Constant"), QStringLiteral("Variable")},
        [f] { return f->samplingMode; }, [m](int i) { m->setSamplingMode(i); }, "opnSampling");
    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("by time"), QStringLiteral("by button"),
         QStringLiteral("by Coulomb Number /C")},
        [f] { return f->method; }, [m](int i) { m->setMethod(i); }, "opnMeasurement");
    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    addLabel([m] { return m->statusText(); }, "lblStatus");
    addButtons(QStringLiteral("Clear V. Mon"));
    refresh();
}

} // namespace tervo
