#pragma once

#include <QWidget>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QToolButton;
class QTreeView;

namespace tervo {

class SearchTrackController;

// "Search Track": a folder, the criteria, the hits as they are found, and the import of a chosen
// hit into a chosen slot.
class frmSearchTrack : public QWidget {
    Q_OBJECT
public:
    frmSearchTrack(SearchTrackController &controller, const QString &startFolder,
                   QWidget *parent = nullptr);
    ~frmSearchTrack() override;

    QString folder() const;
    void setFolder(const QString &folder);
    void search();
    void refreshDestination();

    QTreeView *Dir1 = nullptr;
    QLineEdit *txtPath = nullptr;
    QRadioButton *opnTitle[2]{};
    QLineEdit *KeyWords = nullptr;
    QRadioButton *opnMeasurement[2]{};
    QComboBox *cbxMeasurement = nullptr;
    QRadioButton *opnRPM[2]{};
    QLineEdit *txtRPM = nullptr;
    QRadioButton *opnScanrate[2]{};
    QLineEdit *txtScanrate = nullptr;
    QPushButton *cmdSearch = nullptr;
    QPushButton *cmdCancel = nullptr;
    QProgressBar *prgSearch = nullptr;
    QLabel *lblStatus = nullptr;
    QTableWidget *SearchResult = nullptr;
    QLineEdit *txtTrack = nullptr;
    QToolButton *UpDown1Up = nullptr;
    QToolButton *UpDown1Down = nullptr;
    QLineEdit *txtTitle = nullptr;
    QPushButton *cmdImport = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void addHit(int index);
    void searchFinished();

    SearchTrackController &m_controller;
    QFileSystemModel *m_folders = nullptr;
};

} // namespace tervo
