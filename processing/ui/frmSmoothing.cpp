#include "frmSmoothing.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "processing/Smoothing.h"
#include "tracks/Tables.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervo {

frmSmoothing::frmSmoothing(SmoothingController &controller, QWidget *parent)
    : ProcessingWindow(parent), m_c(controller)
{
    setObjectName(QStringLiteral("frmSmoothing"));
    setWindowTitle(QStringLiteral("Smoothing"));
    makeSourceAndDestination(m_c, txtDataNum, txtDesNum, [this] { showTrack(); });
    txtPointNum = makeSpinner(
        QStringLiteral("txtPointNum"), QStringLiteral("UpDown3"),
        [this](int d) {
            m_c.stepPoints(d);
            showTrack();
        },
        [this](int n) {
            m_c.setPoints(n);
            showTrack();
        });
    lblMode = new QLabel(this);
    lblDestMode = new QLabel(this);
    txtTitle = new QLineEdit(this);
    txtRPM = new QLineEdit(this);
    txtTitle->setReadOnly(true);
    txtRPM->setReadOnly(true);
    txtSkipNum = new QLineEdit(this);
    const char *captions[] = {QT_TRANSLATE_NOOP("Smoothing", "単純移動平均"),
                              QT_TRANSLATE_NOOP("Smoothing", "Savitzky-Golay法"),
                              QT_TRANSLATE_NOOP("Smoothing", "間欠型ノイズ除去")};
    auto *methods = new QGroupBox(QStringLiteral("Methods"), this);
    auto *ml = new QVBoxLayout(methods);
    for (int i = 0; i < 3; ++i) {
        opnYFilter[i] =
            new QRadioButton(QCoreApplication::translate("Smoothing", captions[i]), methods);
        opnYFilter[i]->setObjectName(QStringLiteral("opnYFilter%1").arg(i));
        ml->addWidget(opnYFilter[i]);
        connect(opnYFilter[i], &QRadioButton::clicked, this, [this, i] {
            m_c.setFilter(i);
            showTrack();
        });
    }
    chkXAxis = new QCheckBox(QStringLiteral("Apply X-axis"), this);
    chkApplyAllTrack = new QCheckBox(QStringLiteral("Apply All Track"), this);
    chkSkipatEdge = new QCheckBox(QStringLiteral("Skip at the Edge of Data"), this);
    cmdCalc = new QPushButton(QStringLiteral("Calculation"), this);
    cmdUpdate = new QPushButton(QStringLiteral("Update Data"), this);
    cmdRecordAnotherTrack = new QPushButton(QStringLiteral("Record Another Track"), this);
    for (auto [w, name] : {std::pair<QWidget *, const char *>{lblMode, "lblMode"},
                           {lblDestMode, "lblDestMode"},
                           {txtTitle, "txtTitle"},
                           {txtRPM, "txtRPM"},
                           {txtSkipNum, "txtSkipNum"},
                           {chkXAxis, "chkXAxis"},
                           {chkApplyAllTrack, "chkApplyAllTrack"},
                           {chkSkipatEdge, "chkSkipatEdge"},
                           {cmdCalc, "cmdCalc"},
                           {cmdUpdate, "cmdUpdate"},
                           {cmdRecordAnotherTrack, "cmdRecordAnotherTrack"}})
        w->setObjectName(QString::fromLatin1(name));
    PrevGraph = createCanvas(QStringLiteral("PrevGraph"), 420, 320);

    auto *grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Track"), this), row, 0);
    grid->addWidget(txtDataNum.widget, row, 1);
    grid->addWidget(lblMode, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Title"), this), row, 0);
    grid->addWidget(txtTitle, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("RPM"), this), row, 0);
    grid->addWidget(txtRPM, row++, 1, 1, 2);
    grid->addWidget(methods, row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Points"), this), row, 0);
    grid->addWidget(txtPointNum.widget, row++, 1);
    grid->addWidget(chkSkipatEdge, row, 0, 1, 2);
    grid->addWidget(txtSkipNum, row++, 2);
    grid->addWidget(chkXAxis, row++, 0, 1, 3);
    grid->addWidget(chkApplyAllTrack, row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Destination"), this), row, 0);
    grid->addWidget(txtDesNum.widget, row, 1);
    grid->addWidget(lblDestMode, row++, 2);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdCalc, cmdUpdate, cmdRecordAnotherTrack})
        buttons->addWidget(b);
    auto *left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(buttons);
    left->addStretch();
    auto *top = new QHBoxLayout(this);
    top->addLayout(left);
    if (PrevGraph)
        top->addWidget(PrevGraph->widget(), 1);

    connect(txtSkipNum, &QLineEdit::textChanged, this, [this](const QString &t) {
        m_c.setSkipCount(roundHalfEven(parseDecimal(QStringView(t))));
    });
    connect(chkXAxis, &QCheckBox::toggled, this, [this](bool on) { m_c.applyX = on; });
    connect(chkSkipatEdge, &QCheckBox::toggled, this, [this](bool on) { m_c.skipAtEdge = on; });
    connect(chkApplyAllTrack, &QCheckBox::toggled, this, [this](bool on) {
        m_c.applyAllTracks = on;
        redraw();
    });
    connect(cmdCalc, &QPushButton::clicked, this, [this] {
        m_c.calculate();
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
}

void frmSmoothing::openWindow()
{
    m_c.open();
    showTrack();
    show();
    raise();
    activateWindow();
}

void frmSmoothing::showTrack()
{
    const TrackStore &store = m_c.store();
    const int t = m_c.selectedTrack();
    const TrackHeader &h = store[t];
    txtDataNum.box->setText(QString::number(t));
    lblMode->setText(modeCaption(h.Mode));
    txtTitle->setText(h.Mode == ModeNone ? QString() : h.Title);
    txtTitle->setCursorPosition(0);
    txtRPM->setText(h.Mode == ModeNone ? QString() : formatShort(h.RPM));
    txtDesNum.box->setText(QString::number(m_c.destinationTrack()));
    lblDestMode->setText(modeCaption(store[m_c.destinationTrack()].Mode));
    opnYFilter[m_c.filter()]->setChecked(true);
    txtPointNum.box->setText(QString::number(m_c.points()));
    txtSkipNum->setText(QString::number(m_c.skipCount()));
    redraw();
}

void frmSmoothing::redraw()
{
    if (PrevGraph)
        m_c.drawPreview(*PrevGraph);
}

} // namespace tervo
