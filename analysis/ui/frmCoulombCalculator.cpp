#include "frmCoulombCalculator.h"

#include "core/NumberFormat.h"
#include "plot/PlotRanges.h"
#include "tracks/Tables.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tervo {

frmCoulombCalculator::frmCoulombCalculator(CoulombAnalysis &analysis, QWidget *parent)
    : AnalysisWindow(QStringLiteral("Coulomb Number Calculator (Disk Only)"),
                     QStringLiteral("frmCoulombCalculator"), parent),
      m_coulomb(analysis)
{
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackStretchRows(form, m_coulomb);
    auto *choices = new QHBoxLayout;
    left->addLayout(choices);
    options(
        choices, QStringLiteral("Methods"),
        {QStringLiteral("Trapezoid Integration "), QStringLiteral("Simpson Integration ")},
        [this] { return m_coulomb.method; }, [this](int m) { m_coulomb.method = m; }, "opnMethod");
    options(
        choices, QStringLiteral("Baseline"),
        {QStringLiteral("None"), QStringLiteral("Linear"), QStringLiteral("Value")},
        [this] { return m_coulomb.baseLine; }, [this](int m) { m_coulomb.baseLine = m; },
        "opnBaseLine");
    auto *valueForm = new QFormLayout;
    left->addLayout(valueForm);
    numberBox(
        valueForm, QStringLiteral("Base Value /A"), [this] { return m_coulomb.baseValue; },
        [this](double v) { m_coulomb.baseValue = v; }, true, "txtBaseValue");
    m_preview = canvas(root, "PrevGraph");
    button(
        left, QStringLiteral("Calculation"), [this] { m_coulomb.Calculate(m_preview); }, "cmdCalc");
    resultBox(left, [this] { return m_coulomb.report(); });
    onRefresh([this] {
        if (m_preview)
            m_coulomb.drawPreview(*m_preview);
    });
}

void frmCoulombCalculator::reinitialise()
{
    m_coulomb.selectTrack(m_coulomb.selectedTrack());
    refresh();
}

void frmCoulombCalculator::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    refresh();
}

void frmCoulombCalculator::changeEvent(QEvent *event)
{
    AnalysisWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_coulomb.fileLoadSeen())
        refresh();
}

} // namespace tervo
