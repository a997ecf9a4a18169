#pragma once

#include "core/Prompts.h"

#include <QObject>
#include <memory>

class QSoundEffect;

namespace tervo {

// Plays a wave file asynchronously through Qt Multimedia; an empty, missing or unreadable file
// plays nothing.
class QtSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    explicit QtSoundPlayer(QObject *parent = nullptr);
    ~QtSoundPlayer() override;
    void play(const QString &path) override;

private:
    QSoundEffect *m_effect = nullptr;
};

} // namespace tervo
