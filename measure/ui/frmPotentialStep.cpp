#include "frmPotentialStep.h"

#include <QCheckBox>
#include <QFormLayout>

namespace tervo {

frmPotentialStep::frmPotentialStep(PSModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("Potential Step Measurement"),
                    QStringLiteral("frmPotentialStep"), parent),
      m_ps(model)
{
    PSModel::Fields *f = &model.fields;
    PSModel *m = &model;
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    m_fields.number(
        left, QStringLiteral("1st /V"), [f] { return f->v0; }, [f](double v) { f->v0 = v; },
        "txtV0");
    m_fields.number(
        left, QStringLiteral("2nd /V"), [f] { return f->v1; }, [f](double v) { f->v1 = v; },
        "txtV1");
    m_fields.number(
        left, QStringLiteral("1st retainment time /s"), [m] { return m->acquisition.retainTime; },
        [m](double v) { m->acquisition.retainTime = v; }, "txtRetainTime");
    m_fields.number(
        left, QStringLiteral("by time"), [f] { return f->maxTime; },
        [f](double v) { f->maxTime = v; }, "txtMaxTime");
    m_fields.number(
        left, QStringLiteral("by Coulomb Number /C"), [f] { return f->coulomb; },
        [f](double v) { f->coulomb = v; }, "txtCoulomb");
    addRpmField(left);

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch 0)"), [f] { return f->xScale; },
        [f](double v) { f->xScale = v; }, "txtXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch 1)"), [f] { return f->yScale; },
        [f](double v) { f->yScale = v; }, "txtYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch. 5)"), [f] { return f->rpmScale; },
        [f](double v) { f->rpmScale = v; }, "txtRPMScale");
    m_fields.number(
        right, QStringLiteral("Initial Value/Hz"), [m] { return m->acquisition.samplingRate; },
        [m](double v) { m->samplingRateEdited(v); }, "txtSamplingRate");
    m_fields.number(
        right, QStringLiteral("Division"), [f] { return f->division; },
        [f](double v) { f->division = v; }, "txtDivision");
    m_fields.number(
        right, QStringLiteral("Accumlation  x"), [m] { return m->acquisition.accum; },
        [m](double v) { m->accumulationEdited(v); }, "txtAccum");
    auto *graphOn = new QCheckBox(QStringLiteral("Realtime Graph Draw mode"), this);
    graphOn->setObjectName(QStringLiteral("chkGraphOn"));
    right->addRow(graphOn);
    connect(graphOn, &QCheckBox::toggled, this, [m](bool on) { m->graphOnEdited(on); });
    onRefresh([graphOn, f] { graphOn->setChecked(f->graphOn); });

    addMethods(
        QStringLiteral("Sampling"), {QStringLiteral("Constant"), QStringLiteral("Variable")},
        [f] { return f->samplingMode; }, [f](int i) { f->samplingMode = i; }, "opnSampling");
    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("by time"), QStringLiteral("by button"),
         QStringLiteral("by Coulomb Number /C")},
        [f] { return f->method; },
        [m](int i) {
            auto mode = static_cast<std::int16_t>(i);
            m->MeasMode(mode);
        },
        "opnMeasurement");
    addLabel([m] { return m->monitorText(); }, "lblMonitor");
    addLabel([m] { return m->statusText(); }, "lblStatus");
    addButtons(QStringLiteral("Clear V. Mon"));
    refresh();
}

} // namespace tervo
