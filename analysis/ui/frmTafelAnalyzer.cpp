#include "frmTafelAnalyzer.h"

#include "core/NumberFormat.h"
#include "plot/PlotRanges.h"
#include "tracks/Tables.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tervo {

frmTafelAnalyzer::frmTafelAnalyzer(TafelAnalysis &analysis, QWidget *parent)
    : AnalysisWindow(QStringLiteral("Tafel Analysis"), QStringLiteral("frmTafelAnalyzer"), parent),
      m_tafel(analysis)
{
    Settings &s = m_tafel.settings();
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackStretchRows(form, m_tafel);
    numberBox(
        form, QStringLiteral("Redox Potential/V"), [&s] { return s.TaEred; },
        [this](double v) { m_tafel.setRedoxPotential(v); }, false, "txtRedoxPotential");
    numberBox(
        form, QStringLiteral("Area /cm2"), [&s] { return s.TaArea; },
        [this](double v) { m_tafel.setArea(v); }, false, "txtArea");
    button(
        left, QStringLiteral("Calculation"), [this] { m_tafel.Calculate(); }, "cmdCalc");
    resultBox(left, [this] { return m_tafel.report(); });
    m_preview = canvas(root, "PrevGraph");
    onRefresh([this] {
        if (m_preview)
            m_tafel.drawPreview(*m_preview);
    });
}

void frmTafelAnalyzer::reinitialise()
{
    m_tafel.selectTrack(m_tafel.selectedTrack());
    refresh();
}

void frmTafelAnalyzer::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    refresh();
}

} // namespace tervo
