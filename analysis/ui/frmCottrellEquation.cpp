#include "frmCottrellEquation.h"

#include "core/NumberFormat.h"
#include "plot/PlotRanges.h"
#include "tracks/Tables.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tervo {

frmCottrellEquation::frmCottrellEquation(CottrellAnalysis &analysis, QWidget *parent)
    : AnalysisWindow(QStringLiteral("Cottrell Eqaution Analysis"),
                     QStringLiteral("frmCottrellEquation"), parent),
      m_cottrell(analysis)
{
    auto header = [this]() -> const TrackHeader & {
        return m_cottrell.store()[m_cottrell.selectedTrack()];
    };
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    root->addLayout(left);
    root->addLayout(right, 1);
    auto *form = new QFormLayout;
    left->addLayout(form);
    trackSelector(
        form, [this] { return m_cottrell.selectedTrack(); },
        [this](int t) { m_cottrell.selectTrack(t); }, "txtDataNum");
    label(
        form, QString(), [header] { return modeCaption(header().Mode); }, "lblMode");
    textBox(
        form, QStringLiteral("Title"), [header] { return header().Title; },
        [this](const QString &t) { m_cottrell.setTitle(t); }, "txtTitle");
    textBox(
        form, QStringLiteral("RPM"), [header] { return formatShort(header().RPM); }, nullptr,
        "txtRPM");
    numberBox(
        form, QStringLiteral("ne"), [header] { return header().ne; },
        [this](double v) { m_cottrell.setNe(v); }, true, "txtne");
    numberBox(
        form, QStringLiteral("Conc. /molcm-3"), [header] { return header().Conc; },
        [this](double v) { m_cottrell.setConc(v); }, true, "txtConc");
    numberBox(
        form, QStringLiteral("Area /cm2"), [header] { return header().Area; },
        [this](double v) { m_cottrell.setArea(v); }, true, "txtArea");
    pointSpinner(
        form, QStringLiteral("Start"), [this] { return m_cottrell.firstPoint(); },
        [this](int &p) { m_cottrell.setFirst(p); }, "txtStart");
    label(
        form, QString(),
        [this] {
            return CursorText(m_cottrell.store(), m_cottrell.selectedTrack(),
                              m_cottrell.firstPoint());
        },
        "lblStartPoint");
    pointSpinner(
        form, QStringLiteral("End"), [this] { return m_cottrell.lastPoint(); },
        [this](int &p) { m_cottrell.setLast(p); }, "txtEnd");
    label(
        form, QString(),
        [this] {
            return CursorText(m_cottrell.store(), m_cottrell.selectedTrack(),
                              m_cottrell.lastPoint());
        },
        "lblEndPoint");
    options(
        left, QString(), {QStringLiteral("y = a * x"), QStringLiteral("y = a * x + b")},
        [this] { return m_cottrell.fitMode; }, [this](int m) { m_cottrell.fitMode = m; },
        "opnCalcMode");
    m_plot = canvas(right, "CottrellGraph");
    onRefresh([this] {
        if (m_plot)
            m_cottrell.drawPlot(*m_plot);
    });
    button(
        left, QStringLiteral("Calculation"), [this] { m_cottrell.Calculate(m_plot); }, "cmdCalc");
    resultBox(left, [this] { return m_cottrell.report(); });
}

void frmCottrellEquation::reinitialise()
{
    m_cottrell.selectTrack(m_cottrell.selectedTrack());
    refresh();
}

void frmCottrellEquation::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    refresh();
}

} // namespace tervo
