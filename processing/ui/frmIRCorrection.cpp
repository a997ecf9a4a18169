#include "frmIRCorrection.h"

#include "core/NumberFormat.h"
#include "processing/IRCorrection.h"
#include "tracks/Tables.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervo {

frmIRCorrection::frmIRCorrection(IRCorrectionController &controller, QWidget *parent)
    : ProcessingWindow(parent), m_c(controller)
{
    setObjectName(QStringLiteral("frmIRCorrection"));
    setWindowTitle(QStringLiteral("iR Correction"));
    makeSourceAndDestination(m_c, txtDataNum, txtDesNum, [this] { showTrack(); });
    lblMode = new QLabel(this);
    lblDestMode = new QLabel(this);
    txtTitle = new QLineEdit(this);
    txtTitle->setReadOnly(true);
    txtRu = new QLineEdit(this);
    txtRu->setObjectName(QStringLiteral("txtRu"));
    cmdRecordAnotherTrack = new QPushButton(QStringLiteral("Record Another Track"), this);
    cmdRecordAnotherTrack->setObjectName(QStringLiteral("cmdRecordAnotherTrack"));

    auto *root = new QHBoxLayout(this);
    auto *left = new QVBoxLayout;
    root->addLayout(left);
    auto *form = new QFormLayout;
    left->addLayout(form);
    form->addRow(QStringLiteral("Track"), txtDataNum.widget);
    form->addRow(QString(), lblMode);
    form->addRow(QStringLiteral("Title"), txtTitle);
    form->addRow(QStringLiteral("Ru /ohm"), txtRu);
    form->addRow(QStringLiteral("Destination"), txtDesNum.widget);
    form->addRow(QString(), lblDestMode);
    left->addWidget(cmdRecordAnotherTrack);
    left->addStretch(1);
    PrevGraph = createCanvas(QStringLiteral("PrevGraph"), 400, 300);
    if (PrevGraph)
        root->addWidget(PrevGraph->widget(), 1);

    connect(txtRu, &QLineEdit::editingFinished, this, [this] {
        double ru = boxValue(txtRu);
        m_c.setResistance(ru);
        showTrack();
    });
    connect(cmdRecordAnotherTrack, &QPushButton::clicked, this, [this] {
        m_c.correct();
        showTrack();
    });
    showTrack();
}

void frmIRCorrection::openWindow()
{
    show();
    raise();
    showTrack();
}

void frmIRCorrection::showTrack()
{
    const TrackStore &store = m_c.store();
    const TrackHeader &h = store[m_c.selectedTrack()];
    txtDataNum.box->setText(QString::number(m_c.selectedTrack()));
    txtDesNum.box->setText(QString::number(m_c.destination()));
    lblMode->setText(modeCaption(h.Mode));
    lblDestMode->setText(modeCaption(store[m_c.destination()].Mode));
    txtTitle->setText(h.Title);
    txtTitle->setCursorPosition(0); // a long title shows its beginning
    if (!txtRu->hasFocus())
        txtRu->setText(formatGeneral(m_c.resistance()));
    redraw();
}

void frmIRCorrection::redraw()
{
    if (PrevGraph)
        m_c.drawPreview(*PrevGraph);
}

} // namespace tervo
