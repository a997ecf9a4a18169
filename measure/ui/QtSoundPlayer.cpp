#include "QtSoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tervo {

QtSoundPlayer::QtSoundPlayer(QObject *parent) : QObject(parent) {}

QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::play(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() == 0)
        return;
    if (!m_effect)
        m_effect = new QSoundEffect(this);
    m_effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_effect->play();
}

} // namespace tervo
