#include "frmMeasureRDE.h"

#include "tracks/Tables.h"

#include <QFormLayout>

namespace tervo {

frmMeasureRDE::frmMeasureRDE(RDEModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("RDE Measurement"), QStringLiteral("frmMeasureRDE"),
                    parent),
      m_rde(model)
{
    RDEModel::Fields *f = &model.fields;
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
            [f, i](double v) { f->v[i] = v; }, names[k]);
    }
    m_fields.number(
        left, QStringLiteral("Scan Rate /mVs-1"), [f] { return f->scanRate; },
        [f](double v) { f->scanRate = v; }, "txtScanRate");
    m_fields.number(
        left, QStringLiteral("Cycle Num."), [f] { return f->cycles; },
        [f](double v) { f->cycles = v; }, "txtCycle");
    m_fields.number(
        left, QStringLiteral("1st Retainment time /s"), [m] { return m->acquisition.retainTime; },
        [m](double v) { m->acquisition.retainTime = v; }, "txtRetainTime");
    addRpmField(left);

    m_fields.number(
        right, QStringLiteral("XScale V/V (ch0)"), [f] { return f->diskXScale; },
        [f](double v) { f->diskXScale = v; }, "txtDiskXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch1)"), [f] { return f->diskYScale; },
        [f](double v) { f->diskYScale = v; }, "txtDiskYScale");
    m_fields.number(
        right, QStringLiteral("XScale V/V (ch2)"), [f] { return f->ringXScale; },
        [f](double v) { f->ringXScale = v; }, "txtRingXScale");
    m_fields.number(
        right, QStringLiteral("YScale A/V (ch3)"), [f] { return f->ringYScale; },
        [f](double v) { f->ringYScale = v; }, "txtRingYScale");
    m_fields.number(
        right, QStringLiteral("RPM /V (ch4)"), [f] { return f->rpmScale; },
        [m](double v) { m->rpmScaleEdited(v); }, "txtRPMScale");
    m_fields.number(
        right, QStringLiteral("Sampling Rate/Hz"), [m] { return m->acquisition.samplingRate; },
        [m](double v) { m->samplingRateEdited(v); }, "txtSamplingRate");
    m_fields.number(
        right, QStringLiteral("Accumlation"), [m] { return m->acquisition.accum; },
        [m](double v) { m->accumulationEdited(v); }, "txtAccum");
    m_fields.list(
        right, QStringLiteral("Reference"), RefNames(), [f] { return f->ref; },
        [f](int i) { f->ref = i; }, "cbxReference");

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("by cycle num"), QStringLiteral("by button")}, [f] { return f->method; },
        [f](int i) { f->method = i; }, "opnMeasurement");
    addLabel([m] { return m->rpmText(); }, "lblRPM");
    addLabel([m] { return m->remainingText(); }, "lblRemain");
    addButtons(QStringLiteral("Clear Monitor"));
    refresh();
}

} // namespace tervo
