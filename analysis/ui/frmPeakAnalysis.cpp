#include "frmPeakAnalysis.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tervo {

frmPeakAnalysis::frmPeakAnalysis(PeakAnalysis &analysis, QWidget *parent)
    : AnalysisWindow(QStringLiteral("Peak Analysis"), QStringLiteral("frmPeakAnalysis"), parent),
      m_peaks(analysis), m_typed(analysis.baseWindow.value_or(BaseWindow{}))
{
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackSelector(
        form, [this] { return m_peaks.selectedTrack(); }, [this](int t) { m_peaks.selectTrack(t); },
        "txtDataNum");
    trackHeaderRows(
        form, [this]() -> const TrackHeader & { return m_peaks.store()[m_peaks.selectedTrack()]; });
    QSpinBox *sweep = pointSpinner(
        form, QStringLiteral("Sweep (0: all)"), [this] { return m_peaks.selectedSweep(); },
        [this](int &k) { m_peaks.selectSweep(k); }, "txtSweep");
    sweep->setMinimum(0);
    auto *own = new QCheckBox(QStringLiteral("Base window /V"), this);
    own->setObjectName(QStringLiteral("chkBaseWindow"));
    form->addRow(own);
    connect(own, &QCheckBox::toggled, this, [this](bool on) {
        m_peaks.baseWindow = on ? std::optional<BaseWindow>(m_typed) : std::nullopt;
        refresh();
    });
    onRefresh([this, own] {
        const QSignalBlocker block(own);
        own->setChecked(m_peaks.baseWindow.has_value());
    });
    auto typed = [this](double BaseWindow::*end, double v) {
        m_typed.*end = v;
        if (m_peaks.baseWindow)
            m_peaks.baseWindow = m_typed;
    };
    numberBox(
        form, QStringLiteral("from"), [this] { return m_typed.from; },
        [typed](double v) { typed(&BaseWindow::from, v); }, false, "txtBaseFrom");
    numberBox(
        form, QStringLiteral("to"), [this] { return m_typed.to; },
        [typed](double v) { typed(&BaseWindow::to, v); }, false, "txtBaseTo");
    button(
        left, QStringLiteral("Calculation"), [this] { m_peaks.Calculate(); }, "cmdCalc");
    resultBox(left, [this] { return m_peaks.report(); });
    m_plot = canvas(root, "PeakGraph");
    onRefresh([this] {
        if (m_plot)
            m_peaks.drawPlot(*m_plot);
    });
}

void frmPeakAnalysis::reinitialise()
{
    m_peaks.selectTrack(m_peaks.selectedTrack());
    refresh();
}

void frmPeakAnalysis::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    refresh();
}

} // namespace tervo
