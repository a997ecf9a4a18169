#include "frmImportTrack.h"

#include "FileChooser.h"
#include "canvas/KurvexControl.h"
#include "importing/TrackImport.h"
#include "plot/FigureDialog.h"
#include "plot/TrackPreview.h"
#include "tracks/TrackEditing.h"

#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace tervo {

frmImportTrack::frmImportTrack(ImportTrackController &controller, TrackStore &store,
                               std::function<int()> drawSetting, const QString &startFolder,
                               QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller), m_store(store),
      m_drawSetting(std::move(drawSetting))
{
    setObjectName(QStringLiteral("frmImportTrack"));
    setWindowTitle(QStringLiteral("Import Track"));
    resize(1000, 560);
    auto *row = new QHBoxLayout(this);

    const FileChooser chooser = makeFileChooser(this, QDir::AllDirs | QDir::Files, startFolder);
    Dir1 = chooser.tree;
    Dir1->setObjectName(QStringLiteral("Dir1"));
    txtPath = chooser.path;
    txtPath->setObjectName(QStringLiteral("txtPath"));
    m_files = chooser.model;
    auto *left = new QVBoxLayout;
    left->addWidget(txtPath);
    left->addWidget(Dir1, 1);
    row->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    row->addLayout(right, 2);
    fgcDataSheet =
        new QTableWidget(ImportTrackController::kRows, ImportTrackController::kColumns, this);
    fgcDataSheet->setObjectName(QStringLiteral("fgcDataSheet"));
    fgcDataSheet->setHorizontalHeaderLabels(ImportTrackController::headings());
    fgcDataSheet->verticalHeader()->hide();
    fgcDataSheet->verticalHeader()->setDefaultSectionSize(20);
    fgcDataSheet->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fgcDataSheet->setSelectionBehavior(QAbstractItemView::SelectRows);
    fgcDataSheet->setSelectionMode(QAbstractItemView::SingleSelection);
    fgcDataSheet->horizontalHeader()->setStretchLastSection(true);
    for (int r = 0; r < ImportTrackController::kRows; ++r)
        for (int c = 0; c < ImportTrackController::kColumns; ++c)
            fgcDataSheet->setItem(r, c, new QTableWidgetItem);
    right->addWidget(fgcDataSheet, 1);

    PrevGraph = new QWidget(this);
    PrevGraph->setObjectName(QStringLiteral("PrevGraph"));
    PrevGraph->setMinimumSize(320, 200);
    auto *host = new QVBoxLayout(PrevGraph);
    host->setContentsMargins(0, 0, 0, 0);
    m_canvas = kurvex::createControl(QString::fromLatin1(kurvex::kProgId), PrevGraph);
    if (m_canvas) {
        host->addWidget(m_canvas->widget());
        m_canvas->SetSize(0, 0, 0, 0);
        offerFigureSaving(*m_canvas);
    }
    right->addWidget(PrevGraph, 1);
    cmdImport = new QPushButton(QStringLiteral("Import"), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    right->addWidget(cmdImport, 0, Qt::AlignRight);

    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !m_files->isDir(current))
                    chooseFile(m_files->filePath(current));
            });
    connect(fgcDataSheet, &QTableWidget::currentCellChanged, this,
            [this](int r) { clickRow(r + 1); });
    // A double click or Enter on a row imports it.
    connect(fgcDataSheet, &QTableWidget::activated, this, [this] { importSelected(); });
    connect(cmdImport, &QPushButton::clicked, this, [this] { importSelected(); });
}

void frmImportTrack::chooseFile(const QString &path)
{
    m_controller.chooseFile(path);
    fillGrid();
}

void frmImportTrack::fillGrid()
{
    fgcDataSheet->setUpdatesEnabled(false);
    for (int r = 1; r <= ImportTrackController::kRows; ++r)
        for (int c = 0; c < ImportTrackController::kColumns; ++c)
            fgcDataSheet->item(r - 1, c)->setText(m_controller.cellText(r, c));
    fgcDataSheet->setUpdatesEnabled(true);
}

void frmImportTrack::clickRow(int row)
{
    if (!m_controller.clickRow(row) || !m_canvas)
        return;
    // The import preview numbers the x axis of a steady-state track like a voltammogram.
    if (m_store[kScratchSlot].Mode == ModeSSV)
        m_canvas->XAxisFormat(QStringLiteral("0.0"));
    DrawTrackPreview(*m_canvas, m_store, kScratchSlot, m_drawSetting ? m_drawSetting() : 0);
}

void frmImportTrack::importSelected()
{
    m_controller.importSelected();
}

} // namespace tervo
