#include "frmControlPanel.h"

#include "core/NumberFormat.h"
#include "tracks/Tables.h"
#include "tracks/TrackFile.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tervo {

frmControlPanel::frmControlPanel(AppState &state, QWidget *parent)
    : QMainWindow(parent), m_state(state)
{
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    auto *row = new QHBoxLayout;
    auto *down = new QPushButton(QStringLiteral("<"), central);
    auto *up = new QPushButton(QStringLiteral(">"), central);
    row->addWidget(down);
    row->addWidget(up);
    row->addStretch();
    layout->addLayout(row);
    m_info = new QLabel(central);
    m_info->setTextFormat(Qt::PlainText);
    m_info->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(m_info, 1);
    setCentralWidget(central);
    connect(down, &QPushButton::clicked, this, [this] { step(-1); });
    connect(up, &QPushButton::clicked, this, [this] { step(+1); });

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("Open"), this, &frmControlPanel::openFile);
    file->addAction(QStringLiteral("Save as"), this, &frmControlPanel::saveFileAs);
    file->addSeparator();
    file->addAction(QStringLiteral("Quit"), this, &QWidget::close);

    m_state.loadMainWindowState();
    resize(640, 480);
    updateCaption();
    ShowDataInfo();
}

void frmControlPanel::updateCaption()
{
    setWindowTitle(QStringLiteral("TERVO --") + m_state.store.CurrentFileTitle);
}

void frmControlPanel::ShowDataInfo()
{
    const TrackStore &s = m_state.store;
    const int t = s.CurrentTrack;
    const TrackHeader &h = s[t];
    QString text = QStringLiteral("Track %1\n%2\n").arg(t).arg(modeCaption(h.Mode));
    if (h.Mode != ModeNone) {
        text += QStringLiteral("Title: %1\nMeasTime: %2\nScan rate /mVs-1: %3\nRPM: %4\n"
                               "Points: %5\n")
                    .arg(h.Title, h.MeasTime, formatGeneral(h.Scanrate), formatGeneral(h.RPM))
                    .arg(h.pnum);
    }
    m_info->setText(text);
}

bool frmControlPanel::openPath(const QString &path)
{
    const TrackFileReadResult r = loadTrackFile(m_state.store, path);
    if (!r.ok())
        m_state.prompts.message(r.message(path));
    updateCaption();
    ShowDataInfo();
    return r.ok();
}

void frmControlPanel::openFile()
{
    const QString path = m_state.prompts.openFileName(QStringLiteral("Open"),
                                                      QStringLiteral("TERVO files (*.tvd)"));
    if (!path.isEmpty())
        openPath(path);
}

void frmControlPanel::saveFileAs()
{
    QString path = m_state.prompts.saveFileName(QStringLiteral("Save as"),
                                                QStringLiteral("TERVO files (*.tvd)"));
    if (path.isEmpty())
        return;
    path = trackFileNameForSave(path);
    const FileWriteResult r = writeTrackFile(
        m_state.store, path, static_cast<char>(localeDecimalSeparator().unicode()));
    if (!r.ok) {
        m_state.prompts.message(r.error);
        return;
    }
    m_state.store.CurrentFileTitle = QFileInfo(path).fileName();
    m_state.store.markSaved();
    updateCaption();
}

void frmControlPanel::step(int delta)
{
    m_state.store.CurrentTrack = wrapTrack(m_state.store.CurrentTrack + delta);
    ShowDataInfo();
}

void frmControlPanel::closeEvent(QCloseEvent *event)
{
    m_state.WriteSettings();
    event->accept();
}

} // namespace tervo
