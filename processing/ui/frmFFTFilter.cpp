#include "frmFFTFilter.h"

#include "core/NumberFormat.h"
#include "processing/FFTFilter.h"
#include "tracks/Tables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace tervo {

frmFFTFilter::frmFFTFilter(FFTFilterController &controller, QWidget *parent)
    : ProcessingWindow(parent), m_c(controller)
{
    setObjectName(QStringLiteral("frmFFTFilter"));
    setWindowTitle(QStringLiteral("FFTFilter"));
    makeSourceAndDestination(m_c, txtDataNum, txtDesNum, [this] { showTrack(); });
    lblMode = new QLabel(this);
    lblDestMode = new QLabel(this);
    txtTitle = new QLineEdit(this);
    txtRPM = new QLineEdit(this);
    txtDestTitle = new QLineEdit(this);
    txtXMaxFrequency = new QLineEdit(this);
    txtYMaxFrequency = new QLineEdit(this);
    txtTitle->setReadOnly(true);
    txtRPM->setReadOnly(true);
    opnXFilter[0] = new QRadioButton(QStringLiteral("None"), this);
    opnXFilter[1] = new QRadioButton(QStringLiteral("Low-pass Filter"), this);
    opnYFilter = new QRadioButton(QStringLiteral("Low pass filter"), this);
    opnYFilter->setChecked(true);
    cmdCalc = new QPushButton(QStringLiteral("Calculation"), this);
    cmdUpdate = new QPushButton(QStringLiteral("Update Data"), this);
    cmdRecordAnotherTrack = new QPushButton(QStringLiteral("Record Another Track"), this);
    updGraphScaleUp = new QToolButton(this);
    updGraphScaleUp->setArrowType(Qt::UpArrow);
    updGraphScaleDown = new QToolButton(this);
    updGraphScaleDown->setArrowType(Qt::DownArrow);
    for (auto [w, name] : {std::pair<QWidget *, const char *>{lblMode, "lblMode"},
                           {lblDestMode, "lblDestMode"},
                           {txtTitle, "txtTitle"},
                           {txtRPM, "txtRPM"},
                           {txtDestTitle, "txtDestTitle"},
                           {txtXMaxFrequency, "txtXMaxFrequency"},
                           {txtYMaxFrequency, "txtYMaxFrequency"},
                           {cmdCalc, "cmdCalc"},
                           {cmdUpdate, "cmdUpdate"},
                           {cmdRecordAnotherTrack, "cmdRecordAnotherTrack"},
                           {updGraphScaleUp, "updGraphScaleUp"},
                           {updGraphScaleDown, "updGraphScaleDown"}})
        w->setObjectName(QString::fromLatin1(name));
    PrevGraph = createCanvas(QStringLiteral("PrevGraph"), 360, 260);
    FrequencyGraph = createCanvas(QStringLiteral("FrequencyGraph"), 360, 260);

    auto *source = new QGridLayout;
    source->addWidget(new QLabel(QStringLiteral("Track"), this), 0, 0);
    source->addWidget(txtDataNum.widget, 0, 1);
    source->addWidget(lblMode, 0, 2);
    source->addWidget(new QLabel(QStringLiteral("Title"), this), 1, 0);
    source->addWidget(txtTitle, 1, 1, 1, 2);
    source->addWidget(new QLabel(QStringLiteral("RPM"), this), 2, 0);
    source->addWidget(txtRPM, 2, 1, 1, 2);
    auto *xBox = new QGroupBox(QStringLiteral("X"), this);
    auto *xl = new QGridLayout(xBox);
    xl->addWidget(opnXFilter[0], 0, 0);
    xl->addWidget(opnXFilter[1], 1, 0);
    xl->addWidget(new QLabel(QStringLiteral("Max Frequency /Hz"), this), 2, 0);
    xl->addWidget(txtXMaxFrequency, 2, 1);
    auto *yBox = new QGroupBox(QStringLiteral("Y"), this);
    auto *yl = new QGridLayout(yBox);
    yl->addWidget(opnYFilter, 0, 0);
    yl->addWidget(new QLabel(QStringLiteral("Max Frequency /Hz"), this), 1, 0);
    yl->addWidget(txtYMaxFrequency, 1, 1);
    auto *dest = new QGridLayout;
    dest->addWidget(new QLabel(QStringLiteral("Destination"), this), 0, 0);
    dest->addWidget(txtDesNum.widget, 0, 1);
    dest->addWidget(lblDestMode, 0, 2);
    dest->addWidget(new QLabel(QStringLiteral("Title"), this), 1, 0);
    dest->addWidget(txtDestTitle, 1, 1, 1, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdCalc, cmdUpdate, cmdRecordAnotherTrack})
        buttons->addWidget(b);
    auto *left = new QVBoxLayout;
    left->addLayout(source);
    left->addWidget(xBox);
    left->addWidget(yBox);
    left->addLayout(dest);
    left->addLayout(buttons);
    left->addStretch();
    auto *plots = new QVBoxLayout;
    if (PrevGraph)
        plots->addWidget(PrevGraph->widget(), 1);
    auto *scale = new QHBoxLayout;
    if (FrequencyGraph)
        scale->addWidget(FrequencyGraph->widget(), 1);
    auto *scaleButtons = new QVBoxLayout;
    scaleButtons->addWidget(updGraphScaleUp);
    scaleButtons->addWidget(updGraphScaleDown);
    scaleButtons->addStretch();
    scale->addLayout(scaleButtons);
    plots->addLayout(scale, 1);
    auto *top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(plots, 1);

    connect(txtXMaxFrequency, &QLineEdit::editingFinished, this, [this] {
        txtXMaxFrequency->setText(formatShort(m_c.setXMaxFrequency(boxValue(txtXMaxFrequency))));
    });
    connect(txtYMaxFrequency, &QLineEdit::editingFinished, this, [this] {
        txtYMaxFrequency->setText(formatShort(m_c.setYMaxFrequency(boxValue(txtYMaxFrequency))));
    });
    for (int i = 0; i < 2; ++i)
        connect(opnXFilter[i], &QRadioButton::clicked, this, [this, i] { m_c.setXFilter(i); });
    connect(txtDestTitle, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_c.setDestTitle(t); });
    connect(cmdCalc, &QPushButton::clicked, this, [this] {
        cmdCalc->setEnabled(false);
        if (m_c.calculate()) {
            txtDestTitle->setText(m_c.destTitle());
            txtDestTitle->setCursorPosition(0);
        }
        cmdCalc->setEnabled(true);
        redraw();
    });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] {
        m_c.updateData();
        redraw();
    });
    connect(cmdRecordAnotherTrack, &QPushButton::clicked, this, [this] {
        m_c.recordAnotherTrack();
        showTrack();
    });
    connect(updGraphScaleUp, &QToolButton::clicked, this, [this] {
        m_c.scaleGraph(true);
        redraw();
    });
    connect(updGraphScaleDown, &QToolButton::clicked, this, [this] {
        m_c.scaleGraph(false);
        redraw();
    });
}

void frmFFTFilter::openWindow()
{
    m_c.open();
    showTrack();
    show();
    raise();
    activateWindow();
}

void frmFFTFilter::showTrack()
{
    // Also refreshes the cut-off boxes and the x-filter choice from the controller.
    const int t = m_c.selectedTrack();
    const TrackStore &store = m_c.store();
    const TrackHeader &h = store[t];
    txtDataNum.box->setText(QString::number(t));
    lblMode->setText(modeCaption(h.Mode));
    txtTitle->setText(h.Mode == ModeNone ? QString() : h.Title);
    txtTitle->setCursorPosition(0);
    txtRPM->setText(h.Mode == ModeNone ? QString() : formatShort(h.RPM));
    txtDesNum.box->setText(QString::number(m_c.destinationTrack()));
    lblDestMode->setText(modeCaption(store[m_c.destinationTrack()].Mode));
    txtXMaxFrequency->setText(formatShort(m_c.xMaxFrequency()));
    txtYMaxFrequency->setText(formatShort(m_c.yMaxFrequency()));
    opnXFilter[m_c.xFilter()]->setChecked(true);
    redraw();
}

void frmFFTFilter::redraw()
{
    if (PrevGraph)
        m_c.drawPreview(*PrevGraph);
    if (FrequencyGraph)
        m_c.drawSpectrumPlot(*FrequencyGraph);
}

} // namespace tervo
