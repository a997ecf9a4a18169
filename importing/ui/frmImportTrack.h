#pragma once

#include <QWidget>
#include <functional>

class QFileSystemModel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeView;

namespace kurvex {
class KurvexControl;
}

namespace tervo {

class ImportTrackController;
class TrackStore;

// "Import Track": a folder-and-file chooser, the 21 tracks of the chosen file, a preview of the
// one clicked, and "Import" into the main window's current track.
class frmImportTrack : public QWidget {
    Q_OBJECT
public:
    // drawSetting gives PrevGraphDrawSetting at the time of drawing.
    frmImportTrack(ImportTrackController &controller, TrackStore &store,
                   std::function<int()> drawSetting, const QString &startFolder,
                   QWidget *parent = nullptr);

    // The file list's click: lists the tracks of the file at path.
    void chooseFile(const QString &path);
    // A click on grid row 1..21.
    void clickRow(int row);
    void importSelected();
    kurvex::KurvexControl *canvas() const { return m_canvas; }

    QTreeView *Dir1 = nullptr; // folders and files in one chooser
    QLineEdit *txtPath = nullptr;
    QTableWidget *fgcDataSheet = nullptr;
    QWidget *PrevGraph = nullptr;
    QPushButton *cmdImport = nullptr;

private:
    void fillGrid();

    ImportTrackController &m_controller;
    TrackStore &m_store;
    std::function<int()> m_drawSetting;
    QFileSystemModel *m_files = nullptr;
    kurvex::KurvexControl *m_canvas = nullptr;
};

} // namespace tervo
