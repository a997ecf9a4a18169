#pragma once

#include "ControlPanelController.h"
#include "SettingsController.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace tervo {

class frmGuide;
class frmSettings;

// The operator's home window: one track at a time, edits in place, and the menus that open
// every other window. All state and logic live in the controller it is given.
class frmControlPanel : public QMainWindow {
    Q_OBJECT
public:
    frmControlPanel(ControlPanelController &controller, QWidget *parent = nullptr);
    ~frmControlPanel() override;

    // Shows a track (the operation the other windows call after changing one).
    void ShowDataInfo(int DatNum);
    // Places and sizes the window; nothing happens while it is minimised.
    void SetSize(int pTop, int pLeft, int pWidth, int pHeight);

    // Closes without a question, as when the desktop ends the program (SIGTERM, SIGHUP); a
    // question of the Quit that is open at that moment is not waited for.
    void closeUnasked();
    // How the close went on: what the operator answered, or Quit when nobody was asked.
    ControlPanelController::QuitAnswer quitAnswer() const { return m_quitAnswer; }

    // The composition root attaches the windows that other subsystems build: the entry named
    // by its caption is enabled and runs opener when chosen. False for an unknown caption.
    bool setWindowOpener(const QString &caption, std::function<void()> opener);
    QAction *menuEntry(const QString &caption) const { return m_entries.value(caption); }
    // An entry that only some set-ups have (the simulated rig's window), added to the end of the
    // menu whose object name is given ("Tool_Acc").
    QAction *addExtraEntry(const QString &menuName, const QString &caption,
                           std::function<void()> opener);

    // Dropped local files that are not track files go to handler (the import of other
    // instruments' exports); without one only track files are taken.
    void setDropHandler(std::function<void(const QStringList &paths)> handler);

    // The preview: canvas goes into the host area and draw is run for every track shown.
    void setPreview(QWidget *canvas, std::function<void(int track)> draw);
    QWidget *previewHost() const { return PrevGraph; }

    QLineEdit *txtDatNum = nullptr;
    QToolButton *UpDown1Up = nullptr;
    QToolButton *UpDown1Down = nullptr;
    QLabel *lblTrackTitle = nullptr;
    QTableWidget *InformationSheet = nullptr;
    QLineEdit *txtEditField = nullptr;
    QComboBox *cbxReference = nullptr;
    QFrame *PrevGraph = nullptr;

signals:
    // Before the settings are written at close: the place to close the boards.
    void aboutToClose();
    // After the settings were written; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    QAction *addEntry(QMenu *menu, const QString &caption, std::function<void()> run = {});
    void refresh();
    void rebuildRecentMenu();
    void showSettings();
    void showGuide();

    ControlPanelController &m_controller;
    QHash<QString, QAction *> m_entries;
    QHash<QAction *, QMetaObject::Connection> m_runs;
    QMenu *m_recentMenu = nullptr;
    int m_editRow = -1;
    int m_shownTrack = -1;
    std::function<void(int)> m_drawPreview;
    std::function<void(const QStringList &)> m_dropHandler;
    QPointer<QWidget> m_previewCanvas;
    // Redraws the preview once after a run of resizes.
    QTimer m_previewRedraw;
    ControlPanelController::QuitAnswer m_quitAnswer = ControlPanelController::QuitAnswer::Stay;
    bool m_asking = false;
    bool m_unasked = false;
    bool m_closed = false;
    std::unique_ptr<SettingsController> m_settingsController;
    QPointer<frmSettings> m_settingsWindow;
    QPointer<frmGuide> m_guideWindow;
};

} // namespace tervo
