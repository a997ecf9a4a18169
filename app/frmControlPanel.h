#pragma once

#include "AppState.h"

#include <QLabel>
#include <QMainWindow>

namespace tervo {

// The operator's home window: shows the track store and opens every other window.
class frmControlPanel : public QMainWindow {
    Q_OBJECT
public:
    explicit frmControlPanel(AppState &state, QWidget *parent = nullptr);

    // Shows the current track.
    void ShowDataInfo();
    // Loads a track file given by path (command line, drop, recent list).
    bool openPath(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void openFile();
    void saveFileAs();
    void step(int delta);
    void updateCaption();

    AppState &m_state;
    QLabel *m_info = nullptr;
};

} // namespace tervo
