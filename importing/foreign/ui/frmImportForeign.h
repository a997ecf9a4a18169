#pragma once

#include "importing/foreign/ForeignImportController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidget>

namespace tervo {

// "Import from other instrument": the files chosen, what was detected in each, and the choices
// that make a track of it. A thin view over the controller it is given.
class frmImportForeign : public QWidget {
    Q_OBJECT
public:
    explicit frmImportForeign(foreign::ForeignImportController &controller,
                              QWidget *parent = nullptr);

    // Shows the window with these files added (a drop on the main window, or the file dialog).
    void openWith(const QStringList &paths);
    // Asks for files with the open dialog, then shows the window.
    void chooseFiles();

    QListWidget *lstFiles = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRemove = nullptr;
    QLabel *lblSummary = nullptr;
    QLabel *lblProblem = nullptr;
    QComboBox *cbxMode = nullptr;
    QLineEdit *txtRpm = nullptr;
    QLineEdit *txtTitle = nullptr;
    QCheckBox *chkFlip = nullptr;
    QComboBox *cbxX = nullptr;
    QComboBox *cbxXUnit = nullptr;
    QComboBox *cbxY = nullptr;
    QComboBox *cbxYUnit = nullptr;
    QComboBox *cbxThinning = nullptr;
    QTableWidget *grdPreview = nullptr;
    QSpinBox *updTrack = nullptr;
    QPushButton *cmdImport = nullptr;

private:
    void refresh();

    foreign::ForeignImportController &m_controller;
    bool m_filling = false;
};

} // namespace tervo
