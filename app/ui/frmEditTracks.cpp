#include "frmEditTracks.h"

#include "tracks/TrackEditing.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace tervo {

namespace {

QToolButton *arrow(QWidget *parent, Qt::ArrowType type, const QString &name)
{
    auto *b = new QToolButton(parent);
    b->setArrowType(type);
    b->setObjectName(name);
    b->setAutoRepeat(true);
    return b;
}

QLineEdit *numberBox(QWidget *parent, const QString &name)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setReadOnly(true);
    t->setFixedWidth(48);
    return t;
}

} // namespace

frmEditTracks::frmEditTracks(EditTracksController &controller, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller)
{
    setObjectName(QStringLiteral("frmEditTracks"));
    setWindowTitle(QStringLiteral("Edit Tracks"));
    auto *grid = new QGridLayout(this);

    txtSourceTrack = numberBox(this, QStringLiteral("txtSourceTrack"));
    updSourceUp = arrow(this, Qt::UpArrow, QStringLiteral("updSourceUp"));
    updSourceDown = arrow(this, Qt::DownArrow, QStringLiteral("updSourceDown"));
    lblSourceTrack = new QLabel(this);
    lblSourceTrack->setObjectName(QStringLiteral("lblSourceTrack"));
    txtDestinationTrack = numberBox(this, QStringLiteral("txtDestinationTrack"));
    updDestinationUp = arrow(this, Qt::UpArrow, QStringLiteral("updDestinationUp"));
    updDestinationDown = arrow(this, Qt::DownArrow, QStringLiteral("updDestinationDown"));
    lblDestinationTrack = new QLabel(this);
    lblDestinationTrack->setObjectName(QStringLiteral("lblDestinationTrack"));
    lblSourceTrack->setMinimumWidth(200);

    grid->addWidget(new QLabel(QStringLiteral("Source Track"), this), 0, 0);
    grid->addWidget(txtSourceTrack, 0, 1);
    grid->addWidget(updSourceUp, 0, 2);
    grid->addWidget(updSourceDown, 0, 3);
    grid->addWidget(lblSourceTrack, 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Destination Track"), this), 1, 0);
    grid->addWidget(txtDestinationTrack, 1, 1);
    grid->addWidget(updDestinationUp, 1, 2);
    grid->addWidget(updDestinationDown, 1, 3);
    grid->addWidget(lblDestinationTrack, 1, 4);

    auto *buttons = new QHBoxLayout;
    cmdCopy = new QPushButton(QStringLiteral("Copy"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdMove = new QPushButton(QStringLiteral("Move"), this);
    cmdMove->setObjectName(QStringLiteral("cmdMove"));
    cmdSwap = new QPushButton(QStringLiteral("Swap"), this);
    cmdSwap->setObjectName(QStringLiteral("cmdSwap"));
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdMove);
    buttons->addWidget(cmdSwap);
    grid->addLayout(buttons, 2, 0, 1, 5);

    auto step = [this](QToolButton *b, bool source, int delta) {
        connect(b, &QToolButton::clicked, this, [this, source, delta] {
            if (source)
                m_controller.stepSource(delta);
            else
                m_controller.stepDestination(delta);
            refresh();
        });
    };
    step(updSourceUp, true, +1);
    step(updSourceDown, true, -1);
    step(updDestinationUp, false, +1);
    step(updDestinationDown, false, -1);
    connect(cmdCopy, &QPushButton::clicked, this, [this] {
        m_controller.copy();
        refresh();
    });
    connect(cmdMove, &QPushButton::clicked, this, [this] {
        m_controller.move();
        refresh();
    });
    connect(cmdSwap, &QPushButton::clicked, this, [this] {
        m_controller.swap();
        refresh();
    });
    refresh();
}

void frmEditTracks::refresh()
{
    txtSourceTrack->setText(EditTracksController::trackText(m_controller.source()));
    lblSourceTrack->setText(m_controller.title(m_controller.source()));
    txtDestinationTrack->setText(EditTracksController::trackText(m_controller.destination()));
    lblDestinationTrack->setText(m_controller.title(m_controller.destination()));
}

// Titles may have changed in other windows meanwhile.
void frmEditTracks::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

void frmEditTracks::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QWidget::changeEvent(event);
}

frmReplaceTitle::frmReplaceTitle(TrackStore &store, std::function<void()> replaced, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store), m_replaced(std::move(replaced))
{
    setObjectName(QStringLiteral("frmReplaceTitle"));
    setWindowTitle(QStringLiteral("Replace words in each title"));
    auto *grid = new QGridLayout(this);
    txtBefore = new QLineEdit(this);
    txtBefore->setObjectName(QStringLiteral("txtBefore"));
    txtAfter = new QLineEdit(this);
    txtAfter->setObjectName(QStringLiteral("txtAfter"));
    cmdGo = new QPushButton(QStringLiteral("Go"), this);
    cmdGo->setObjectName(QStringLiteral("cmdGo"));
    grid->addWidget(new QLabel(QStringLiteral("before"), this), 0, 0);
    grid->addWidget(txtBefore, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("after"), this), 1, 0);
    grid->addWidget(txtAfter, 1, 1);
    grid->addWidget(cmdGo, 2, 1, Qt::AlignRight);
    connect(cmdGo, &QPushButton::clicked, this, [this] {
        if (replaceInTitles(m_store, txtBefore->text(), txtAfter->text()) > 0 && m_replaced)
            m_replaced();
    });
}

} // namespace tervo
