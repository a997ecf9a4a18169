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
    auto header = [this]() -> const TrackHeader & {
        return m_tafel.store()[m_tafel.selectedTrack()];
    };
    Settings &s = m_tafel.settings();
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackSelector(
        form, [this] { return m_tafel.selectedTrack(); }, [this](int t) { m_tafel.selectTrack(t); },
        "txtDataNum");
    label(
        form, QString(), [header] { return modeCaption(header().Mode); }, "lblMode");
    textBox(
        form, QStringLiteral("Title"), [header] { return header().Title; }, nullptr, "txtTitle");
    textBox(
        form, QStringLiteral("RPM"),
        [header] { return header().Mode ? formatGeneral(header().RPM) : QString(); }, nullptr,
        "txtRPM");
    pointSpinner(
        form, QStringLiteral("Start"), [this] { return m_tafel.firstPoint(); },
        [this](int &p) { m_tafel.setFirst(p); }, "txtStart");
    label(
        form, QString(),
        [this] {
            return CursorText(m_tafel.store(), m_tafel.selectedTrack(), m_tafel.firstPoint());
        },
        "lblStartPoint");
    pointSpinner(
        form, QStringLiteral("End"), [this] { return m_tafel.lastPoint(); },
        [this](int &p) { m_tafel.setLast(p); }, "txtEnd");
    label(
        form, QString(),
        [this] {
            return CursorText(m_tafel.store(), m_tafel.selectedTrack(), m_tafel.lastPoint());
        },
        "lblEndPoint");
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
