#include "frmMeasureRDE.h"

#include "tracks/Tables.h"

#include <QFormLayout>

namespace tervo {

frmMeasureRDE::frmMeasureRDE(RDEModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("RDE Measurement"), QStringLiteral("frmMeasureRDE"),
                    parent),
      m_rde(model)
{
    const RDEModel::Fields *f = &model.fields();
    RDEModel *m = &model;
    addTrackRow();
    auto [left, right] = addColumns();
    addTitleField(left);
    static const char *captions[] = {"1st /V", "2nd /V", "3rd /V"};
    static const char *names[] = {"txtV0", "txtV1", "txtV2"};
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<std::size_t>(k);
        m_fields.number(
            left, QString::fromLatin1(captions[k]), [f, i] { return f->v[i]; },
            [m, k](double v) { m->setPotential(k, v); }, names[k]);
    }
    m_fields.number(
        left, QStringLiteral("Scan Rate /mVs-1"), [f] { return f->scanRate; },
        [m](double v) { m->setScanRate(v); }, "txtScanRate");
    m_fields.number(
        left, QStringLiteral("Cycle Num."), [f] { return f->cycles; },
        [m](double v) { m->setCycles(v); }, "txtCycle");
    addRetainTimeField(left, QStringLiteral("1st Retainment time /s"));
    addRpmField(left);

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
    m_fields.number(
        right, QStringLiteral("RPM /V (ch4)"), [f] { return f->rpmScale; },
        [m](double v) { m->setRpmScale(v); }, "txtRPMScale");
    addSamplingRateField(right, QStringLiteral("Sampling Rate/Hz"));
    addAccumulationField(right, QStringLiteral("Accumlation"));
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f] { return f->ref; },
        [m](int i) { m->setReference(i); }, "cbxReference");

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("by cycle num"), QStringLiteral("by button")}, [f] { return f->method; },
        [m](int i) { m->setMethod(i); }, "opnMeasurement");
    addLabel([m] { return m->rpmText(); }, "lblRPM");
    addLabel([m] { return m->remainingText(); }, "lblRemain");
    addButtons(QStringLiteral("Clear Monitor"));
    refresh();
}

} // namespace tervo
