#include "frmScanRateStudy.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tervo {

namespace {

QString trackList(const std::vector<int> &tracks)
{
    QStringList parts;
    for (const int t : tracks)
        parts << QString::number(t);
    return parts.join(QLatin1Char(','));
}

// "0,1, 2 3": the track numbers in the text; what is no track number is left out.
std::vector<int> parseTrackList(const QString &text)
{
    std::vector<int> tracks;
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    for (const QString &part : text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int t = part.toInt(&ok);
        if (ok && t >= 0 && t < kUserTracks)
            tracks.push_back(t);
    }
    return tracks;
}

} // namespace

frmScanRateStudy::frmScanRateStudy(ScanRateStudy &study, QWidget *parent)
    : AnalysisWindow(QStringLiteral("Scan Rate Study"), QStringLiteral("frmScanRateStudy"), parent),
      m_study(study)
{
    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    textBox(
        form, QStringLiteral("Tracks"), [this] { return trackList(m_study.tracks); },
        [this](const QString &t) { m_study.tracks = parseTrackList(t); }, "txtTracks");
    numberBox(
        form, QStringLiteral("ne"), [this] { return m_study.electrons; },
        [this](double v) { m_study.electrons = v; }, false, "txtne");
    numberBox(
        form, QStringLiteral("Area /cm2"), [this] { return m_study.area; },
        [this](double v) { m_study.area = v; }, false, "txtArea");
    numberBox(
        form, QStringLiteral("Conc. /molcm-3"), [this] { return m_study.concentration; },
        [this](double v) { m_study.concentration = v; }, false, "txtConc");
    numberBox(
        form, QStringLiteral("D /cm2s-1"), [this] { return m_study.diffusion; },
        [this](double v) { m_study.diffusion = v; }, false, "txtDm");
    button(
        left, QStringLiteral("ne, Conc., Area from the tracks"),
        [this] { m_study.takeHeaderValues(); }, "cmdTakeHeader");
    options(
        left, QStringLiteral("Solve for"),
        {QStringLiteral("D"), QStringLiteral("Conc."), QStringLiteral("Area")},
        [this] { return m_study.solve; }, [this](int s) { m_study.solve = s; }, "opnSolve");
    auto *irreversible = new QCheckBox(QStringLiteral("Irreversible"), this);
    irreversible->setObjectName(QStringLiteral("chkIrreversible"));
    left->addWidget(irreversible);
    connect(irreversible, &QCheckBox::toggled, this, [this](bool on) {
        m_study.irreversible = on;
        refresh();
    });
    onRefresh([this, irreversible] {
        const QSignalBlocker block(irreversible);
        irreversible->setChecked(m_study.irreversible);
    });
    button(
        left, QStringLiteral("Calculation"), [this] { m_study.Calculate(); }, "cmdCalc");
    resultBox(left, [this] { return m_study.report(); });
    m_plot = canvas(root, "RateGraph");
    onRefresh([this] {
        if (m_plot)
            m_study.drawPlot(*m_plot);
    });
}

void frmScanRateStudy::showEvent(QShowEvent *event)
{
    AnalysisWindow::showEvent(event);
    refresh();
}

} // namespace tervo
