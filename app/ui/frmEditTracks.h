#pragma once

#include "state/TrackStore.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tervo {

class EditTracksController;

// "Edit Tracks": a source and a destination track, each with its arrows and title, and the
// buttons that copy, move or swap them.
class frmEditTracks : public QWidget {
    Q_OBJECT
public:
    explicit frmEditTracks(EditTracksController &controller, QWidget *parent = nullptr);

    // Shows the numbers and titles as they stand.
    void refresh();

    QLineEdit *txtSourceTrack = nullptr;
    QToolButton *updSourceUp = nullptr;
    QToolButton *updSourceDown = nullptr;
    QLabel *lblSourceTrack = nullptr;
    QLineEdit *txtDestinationTrack = nullptr;
    QToolButton *updDestinationUp = nullptr;
    QToolButton *updDestinationDown = nullptr;
    QLabel *lblDestinationTrack = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdMove = nullptr;
    QPushButton *cmdSwap = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    EditTracksController &m_controller;
};

// "Replace words in each title": every occurrence of one text in the titles of all tracks
// replaced by another.
class frmReplaceTitle : public QWidget {
    Q_OBJECT
public:
    // replaced runs after the titles were changed, so the main window shows them.
    frmReplaceTitle(TrackStore &store, std::function<void()> replaced, QWidget *parent = nullptr);

    QLineEdit *txtBefore = nullptr;
    QLineEdit *txtAfter = nullptr;
    QPushButton *cmdGo = nullptr;

private:
    TrackStore &m_store;
    std::function<void()> m_replaced;
};

} // namespace tervo
