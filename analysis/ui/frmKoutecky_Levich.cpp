#include "frmKoutecky_Levich.h"

#include "core/NumberFormat.h"
#include "plot/WindowFit.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tervo {

namespace {

QString dataNum(const TrackHeader &h, bool usable)
{
    return usable ? QStringLiteral("Data Num: ") + QString::number(h.pnum) : QStringLiteral("None");
}

} // namespace

frmKoutecky_Levich::frmKoutecky_Levich(KouteckyLevichAnalysis &analysis, Graph &graph,
                                       QWidget *parent)
    : AnalysisWindow(QStringLiteral("Koutecky-Levich Analysis"),
                     QStringLiteral("frmKoutecky_Levich"), parent),
      m_kl(analysis), m_graph(graph)
{
    TrackStore &store = m_kl.store();
    const Settings &s = m_kl.settings();
    KLSettings &kl = store.kl;
    auto sel = [this] { return std::size_t(m_kl.selectedTrack()); };
    auto track = [this]() -> const TrackHeader & { return m_kl.store()[m_kl.selectedTrack()]; };

    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    root->addLayout(left);
    root->addLayout(right, 1);

    auto *trackBox = new QGroupBox(QStringLiteral("Data"), this);
    auto *form = new QFormLayout(trackBox);
    left->addWidget(trackBox);
    trackSelector(
        form, [this] { return m_kl.selectedTrack(); }, [this](int t) { m_kl.selectTrack(t); },
        "txtDataNum");
    textBox(
        form, QStringLiteral("Title"), [track] { return track().Title; }, nullptr, "txtTitle");
    textBox(
        form, QStringLiteral("RPM"),
        [this, track] { return m_kl.selectedTrackUsable() ? formatShort(track().RPM) : QString(); },
        nullptr, "txtRPM");
    label(
        form, QString(), [this, track] { return dataNum(track(), m_kl.selectedTrackUsable()); },
        "lblpnum");
    auto *use = new QCheckBox(QStringLiteral("Use"), this);
    use->setObjectName(QStringLiteral("chkUse"));
    form->addRow(QString(), use);
    connect(use, &QCheckBox::clicked, this, [this](bool on) {
        m_kl.setUse(on);
        refresh();
    });
    onRefresh([this, use, &kl, sel] {
        const bool usable = m_kl.selectedTrackUsable();
        use->setEnabled(usable);
        use->setTristate(!usable);
        use->setCheckState(!usable                    ? Qt::PartiallyChecked
                           : kl.KLUseFlag[sel()] == 1 ? Qt::Checked
                                                      : Qt::Unchecked);
    });
    pointSpinner(
        form, QStringLiteral("Start"), [&kl, sel] { return kl.KLNStart[sel()]; },
        [this](int &p) { m_kl.setStart(p); }, "txtStart");
    label(
        form, QString(),
        [this, &kl, sel] { return m_kl.pointReadout(m_kl.selectedTrack(), kl.KLNStart[sel()]); },
        "lblStartPoint");
    pointSpinner(
        form, QStringLiteral("End"), [&kl, sel] { return kl.KLNEnd[sel()]; },
        [this](int &p) { m_kl.setEnd(p); }, "txtEnd");
    label(
        form, QString(),
        [this, &kl, sel] { return m_kl.pointReadout(m_kl.selectedTrack(), kl.KLNEnd[sel()]); },
        "lblEndPoint");

    auto *baseBox = new QGroupBox(QStringLiteral("Base Line (in preparation)"), this);
    auto *baseLayout = new QVBoxLayout(baseBox);
    left->addWidget(baseBox);
    QButtonGroup *baseModes = options(
        baseLayout, QString(),
        {QStringLiteral("Not Use Base Line"), QStringLiteral("Subtract following value"),
         QStringLiteral("Use Base Line")},
        [&kl, sel] { return int(kl.KLBaseMode[sel()]); }, [this](int m) { m_kl.setBaseMode(m); },
        "opnBaseLine");
    auto *baseForm = new QFormLayout;
    baseLayout->addLayout(baseForm);
    numberBox(
        baseForm, QStringLiteral("Value /A"), [&kl, sel] { return kl.KLSubVal[sel()]; },
        [this](double v) { m_kl.setSubtractValue(v); }, false, "txtSubVal");
    auto *baseTrack = new QSpinBox(this);
    baseTrack->setObjectName(QStringLiteral("txtBaseTrack"));
    baseTrack->setRange(0, kUserTracks - 1);
    baseTrack->setWrapping(true);
    baseForm->addRow(QStringLiteral("Base Track"), baseTrack);
    connect(baseTrack, &QSpinBox::valueChanged, this, [this](int v) {
        m_kl.stepBaseTrack(v - m_kl.baseTrack());
        refresh();
    });
    onRefresh([this, baseTrack] {
        const QSignalBlocker block(baseTrack);
        baseTrack->setValue(m_kl.baseTrack());
    });
    auto baseHeader = [this]() -> const TrackHeader & { return m_kl.store()[m_kl.baseTrack()]; };
    auto baseUsable = [baseHeader] {
        return baseHeader().Mode == ModeCV || baseHeader().Mode == ModeRDE;
    };
    textBox(
        baseForm, QStringLiteral("Title"), [baseHeader] { return baseHeader().Title; }, nullptr,
        "txtBaseTitle");
    textBox(
        baseForm, QStringLiteral("RPM"),
        [baseHeader, baseUsable] {
            return baseUsable() ? formatShort(baseHeader().RPM) : QString();
        },
        nullptr, "txtBaseRPM");
    label(
        baseForm, QString(),
        [baseHeader, baseUsable] { return dataNum(baseHeader(), baseUsable()); }, "lblbasepnum");
    pointSpinner(
        baseForm, QStringLiteral("End"), [&kl, sel] { return kl.KLBaseNEnd[sel()]; },
        [this](int &p) { m_kl.setBaseEnd(p); }, "txtBaseEnd");
    label(
        baseForm, QString(),
        [this, &kl, sel] { return m_kl.pointReadout(m_kl.baseTrack(), kl.KLBaseNEnd[sel()]); },
        "lblBaseEndPoint");
    onRefresh([baseModes, baseUsable] {
        for (QAbstractButton *b : baseModes->buttons())
            b->setEnabled(baseUsable());
    });

    auto *paramBox = new QGroupBox(QStringLiteral("Parameters"), this);
    auto *params = new QFormLayout(paramBox);
    left->addWidget(paramBox);
    numberBox(
        params, QStringLiteral("Use Voltage /V"), [&s] { return s.KLVuse; },
        [this](double v) { m_kl.setUseVoltage(v); }, false, "txtUseVoltage");
    numberBox(
        params, QStringLiteral("Range /V"), [&s] { return s.KLVrange; },
        [this](double v) { m_kl.setRange(v); }, false, "txtKLVrange");
    numberBox(
        params, QStringLiteral("Area /cm2"), [&s] { return s.KLElectrodeArea; },
        [this](double v) { m_kl.setArea(v); }, true, "txtArea");
    numberBox(
        params, QStringLiteral("n"), [&s] { return s.KLne; }, [this](double v) { m_kl.setNe(v); },
        true, "txtne");
    numberBox(
        params, QStringLiteral("Solution Viscosity /cm2s-1"), [&s] { return s.KLViscosity; },
        [this](double v) { m_kl.setViscosity(v); }, true, "txtKLViscosity");
    numberBox(
        params, QStringLiteral("Diffusion Coefficient /cm2s-1"), [&s] { return s.KLDm; },
        [this](double v) { m_kl.setDiffusion(v); }, true, "txtDm");
    numberBox(
        params, QStringLiteral("Concentration /molcm-3"), [&s] { return s.KLConc; },
        [this](double v) { m_kl.setConc(v); }, true, "txtConc");

    auto *choices = new QHBoxLayout;
    right->addLayout(choices);
    options(
        choices, QStringLiteral("Method"),
        {QStringLiteral("Koutecky-Levich"), QStringLiteral("Levich")},
        [&s] { return int(s.KLMethod); }, [this](int m) { m_kl.setMethod(m); }, "opnMethod");
    options(
        choices, QStringLiteral("Variable"),
        {QStringLiteral("the number of electrons"), QStringLiteral("Solution Viscosity /cm2s-1"),
         QStringLiteral("Diffusion Coefficient /cm2s-1"), QStringLiteral("Concentration /molcm-3")},
        [&s] { return int(s.KLVariable); }, [this](int v) { m_kl.setVariable(v); }, "opnVariable");
    button(
        right, QStringLiteral("Calculation"), [this] { m_kl.Calculate(&m_graph); }, "cmdKLCalc");
    resultBox(right, [this] { return m_kl.report(); });
    m_preview = canvas(right, "PrevGraph");
    onRefresh([this] {
        if (m_preview)
            m_kl.drawPreview(*m_preview);
    });
    scrollWhenTooBig(*this);
}

void frmKoutecky_Levich::InitializeParameters()
{
    m_kl.InitializeParameters();
    refresh();
}

void frmKoutecky_Levich::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    if (!m_opened) {
        m_opened = true;
        m_kl.InitializeParameters();
        m_kl.computeWindow();
    }
    refresh();
}

} // namespace tervo
