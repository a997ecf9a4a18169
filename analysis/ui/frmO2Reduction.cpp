#include "frmO2Reduction.h"

#include "core/NumberFormat.h"
#include "tracks/Tables.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tervo {

frmO2Reduction::frmO2Reduction(O2ReductionAnalysis &analysis, QWidget *parent)
    : AnalysisWindow(QStringLiteral("O2 Reduction Analysis"), QStringLiteral("frmO2Reduction"),
                     parent),
      m_o2(analysis)
{
    auto header = [this]() -> const TrackHeader & { return m_o2.store()[m_o2.selectedTrack()]; };
    Settings &s = m_o2.settings();
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackSelector(
        form, [this] { return m_o2.selectedTrack(); },
        [this](int t) {
            m_o2.selectTrack(t);
            analyse();
        },
        "txtDataNum");
    trackHeaderRows(form, header);
    numberBox(
        form, QStringLiteral("N"), [this] { return m_o2.store().CollectionEfficiency; },
        [this](double v) { m_o2.setCollectionEfficiency(v); }, true, "txtCE");
    numberBox(
        form, QStringLiteral("Voltage Step"), [&s] { return s.O2VStep; },
        [this](double v) { m_o2.setStep(v); }, true, "txtVstep");
    numberBox(
        form, QStringLiteral("Range /V"), [&s] { return s.O2Vrange; },
        [this](double v) { m_o2.setRange(v); }, true, "txtVrange");
    resultBox(left, [this] { return m_o2.report(); });
    m_plot = canvas(root, "H2OGraph");
    onRefresh([this] {
        if (m_plot)
            m_o2.draw(*m_plot);
    });
}

void frmO2Reduction::analyse()
{
    m_o2.Analyse();
}

void frmO2Reduction::reinitialise()
{
    if (isVisible())
        analyse();
    refresh();
}

void frmO2Reduction::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    analyse();
    refresh();
}

} // namespace tervo
