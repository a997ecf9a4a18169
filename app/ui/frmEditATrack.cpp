#include "frmEditATrack.h"

#include "EditorPreview.h"
#include "canvas/KurvexControl.h"
#include "plot/FigureDialog.h"
#include "tracks/TrackEditing.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace tervo {

EditorGridModel::EditorGridModel(TrackEditor &editor, QObject *parent)
    : QAbstractTableModel(parent), m_editor(editor)
{
}

int EditorGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_editor.rowCount() - 1;
}

int EditorGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_editor.columnCount();
}

QVariant EditorGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return m_editor.cellText(index.row() + 1, index.column());
}

QVariant EditorGridModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal)
        return m_editor.heading(section);
    return m_editor.pointOfRow(section + 1);
}

void EditorGridModel::reload()
{
    beginResetModel();
    endResetModel();
}

void EditorGridModel::rowChanged(int gridRow)
{
    emit dataChanged(index(gridRow - 1, 0), index(gridRow - 1, columnCount() - 1));
}

frmEditATrack::frmEditATrack(TrackEditor &editor, TrackStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_editor(editor), m_store(store), m_model(editor)
{
    setObjectName(QStringLiteral("frmEditATrack"));
    setWindowTitle(QStringLiteral("Edit A Track"));
    resize(900, 520);
    auto *outer = new QVBoxLayout(this);
    auto *menus = new QMenuBar(this);
    outer->setMenuBar(menus);
    QMenu *edit = menus->addMenu(QStringLiteral("Edit"));
    mnuDelete = edit->addAction(QStringLiteral("Delete"));
    mnuDelete->setObjectName(QStringLiteral("mnuDelete"));
    QMenu *operations = menus->addMenu(QStringLiteral("Operations"));
    mnuBasicOperations = operations->addAction(QStringLiteral("Basic Operations"));
    mnuBasicOperations->setObjectName(QStringLiteral("mnuBasicOperations"));

    auto *row = new QHBoxLayout;
    outer->addLayout(row, 1);
    auto *left = new QVBoxLayout;
    row->addLayout(left);
    cbxCycleNum = new QComboBox(this);
    cbxCycleNum->setObjectName(QStringLiteral("cbxCycleNum"));
    left->addWidget(cbxCycleNum);
    DataGrid = new QTableView(this);
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setModel(&m_model);
    DataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DataGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    DataGrid->verticalHeader()->setDefaultSectionSize(20);
    DataGrid->setMinimumWidth(320);
    DataGrid->installEventFilter(this);
    left->addWidget(DataGrid, 1);
    txtEdit = new QLineEdit(this);
    txtEdit->setObjectName(QStringLiteral("txtEdit"));
    left->addWidget(txtEdit);

    PrevGraph = new QWidget(this);
    PrevGraph->setObjectName(QStringLiteral("PrevGraph"));
    PrevGraph->setMinimumSize(320, 240);
    auto *host = new QVBoxLayout(PrevGraph);
    host->setContentsMargins(0, 0, 0, 0);
    row->addWidget(PrevGraph, 1);
    m_canvas = kurvex::createControl(QString::fromLatin1(kurvex::kProgId), PrevGraph);
    if (m_canvas) {
        host->addWidget(m_canvas->widget());
        m_canvas->SetSize(0, 0, 0, 0);
        m_canvas->widget()->installEventFilter(this);
        offerFigureSaving(*m_canvas);
    }
    // A run of resizes redraws once.
    m_redrawTimer.setSingleShot(true);
    m_redrawTimer.setInterval(0);
    connect(&m_redrawTimer, &QTimer::timeout, this, [this] { redraw(); });

    connect(cbxCycleNum, &QComboBox::activated, this, [this](int k) {
        m_editor.selectCycle(k);
        m_model.reload();
        txtEdit->clear();
        redraw();
    });
    connect(DataGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { cellChosen(current); });
    connect(txtEdit, &QLineEdit::returnPressed, this, [this] { enterPressed(); });
    connect(mnuDelete, &QAction::triggered, this, [this] { deleteSelected(); });
    connect(mnuBasicOperations, &QAction::triggered, this, [this] { openBasicOperations(); });
}

frmEditATrack::~frmEditATrack()
{
    if (m_canvas)
        m_canvas->widget()->removeEventFilter(this);
}

void frmEditATrack::follow()
{
    if (m_editor.follow())
        reload();
}

void frmEditATrack::reload()
{
    {
        const QSignalBlocker block(cbxCycleNum);
        cbxCycleNum->clear();
        cbxCycleNum->addItems(m_editor.cycleNames());
        cbxCycleNum->setCurrentIndex(m_editor.cycle());
    }
    m_model.reload();
    txtEdit->clear();
    redraw();
}

void frmEditATrack::redraw()
{
    m_editor.clearMark();
    m_drawn = m_canvas && drawEditorPreview(*m_canvas, m_store, m_editor);
}

void frmEditATrack::cellChosen(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const int gridRow = index.row() + 1;
    txtEdit->setText(m_editor.cellText(gridRow, index.column()));
    const int previous = m_editor.markRow(gridRow);
    if (!m_drawn)
        return;
    toggleMark(*m_canvas, m_store, m_editor.track(), previous);
    toggleMark(*m_canvas, m_store, m_editor.track(), m_editor.markedPoint());
}

void frmEditATrack::enterPressed()
{
    const QModelIndex current = DataGrid->currentIndex();
    if (!current.isValid())
        return;
    const int gridRow = current.row() + 1;
    const int next = m_editor.enterValue(gridRow, current.column(), txtEdit->text());
    if (next < 0)
        return;
    m_model.rowChanged(gridRow);
    redraw();
    DataGrid->setCurrentIndex(m_model.index(next - 1, current.column()));
    // Staying on the last row chooses no new cell; the mark goes back on the edited point.
    if (next == gridRow)
        cellChosen(current);
}

void frmEditATrack::deleteSelected()
{
    const QModelIndexList rows = DataGrid->selectionModel()->selectedIndexes();
    if (rows.isEmpty())
        return;
    int first = rows.first().row(), last = first;
    for (const QModelIndex &i : rows) {
        first = std::min(first, i.row());
        last = std::max(last, i.row());
    }
    if (m_editor.deleteRows(first + 1, last + 1))
        reload();
}

void frmEditATrack::openBasicOperations()
{
    if (!m_basic) {
        m_basic = new frmBasicOperations(m_editor, this);
        connect(m_basic, &frmBasicOperations::previewed, this, [this] {
            if (m_drawn)
                drawOperationPreview(*m_canvas, m_store, m_editor);
        });
        connect(m_basic, &frmBasicOperations::updated, this, [this] { reload(); });
    }
    m_basic->reset();
    m_basic->show();
    m_basic->raise();
    m_basic->activateWindow();
}

void frmEditATrack::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        follow();
    QWidget::changeEvent(event);
}

void frmEditATrack::showEvent(QShowEvent *event)
{
    follow();
    QWidget::showEvent(event);
}

bool frmEditATrack::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == DataGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        deleteSelected();
        return true;
    }
    if (m_canvas && watched == m_canvas->widget() && event->type() == QEvent::Resize)
        m_redrawTimer.start();
    return QWidget::eventFilter(watched, event);
}

frmBasicOperations::frmBasicOperations(TrackEditor &editor, QWidget *parent)
    : QWidget(parent, Qt::Window), m_editor(editor)
{
    setObjectName(QStringLiteral("frmBasicOperations"));
    setWindowTitle(QStringLiteral("Basic Operations"));
    auto *layout = new QVBoxLayout(this);
    auto *object = new QGroupBox(QStringLiteral("Object"), this);
    auto *objectRow = new QHBoxLayout(object);
    for (int i = 0; i < 3; ++i) {
        auto *c = new QCheckBox(QStringLiteral("ch %1").arg(i), object);
        c->setObjectName(QStringLiteral("chkCh%1").arg(i));
        objectRow->addWidget(c);
        chkCh[std::size_t(i)] = c;
    }
    auto *operation = new QGroupBox(QStringLiteral("Operation"), this);
    auto *operationRow = new QHBoxLayout(operation);
    const char *signs[] = {"+", "-", "*", "/"};
    for (int i = 0; i < 4; ++i) {
        auto *o = new QRadioButton(QString::fromLatin1(signs[i]), operation);
        o->setObjectName(QStringLiteral("opnOperation%1").arg(i));
        operationRow->addWidget(o);
        opnOperation[std::size_t(i)] = o;
    }
    txtOperand = new QLineEdit(this);
    txtOperand->setObjectName(QStringLiteral("txtOperand"));
    cmdPreview = new QPushButton(QStringLiteral("Preview"), this);
    cmdPreview->setObjectName(QStringLiteral("cmdPreview"));
    cmdUpdate = new QPushButton(QStringLiteral("Update"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(txtOperand);
    buttons->addWidget(cmdPreview);
    buttons->addWidget(cmdUpdate);
    layout->addWidget(object);
    layout->addWidget(operation);
    layout->addLayout(buttons);

    connect(cmdPreview, &QPushButton::clicked, this, [this] {
        const std::array<bool, 3> columns{chkCh[0]->isChecked(), chkCh[1]->isChecked(),
                                          chkCh[2]->isChecked()};
        int op = 0;
        for (int i = 0; i < 4; ++i)
            if (opnOperation[std::size_t(i)]->isChecked())
                op = i;
        if (!m_editor.preview(columns, op, txtOperand->text()))
            return;
        cmdUpdate->setEnabled(true);
        emit previewed();
    });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] {
        cmdUpdate->setEnabled(false);
        if (m_editor.UpdateTrack())
            emit updated();
        close();
    });
    reset();
}

void frmBasicOperations::reset()
{
    opnOperation[0]->setChecked(true);
    cmdUpdate->setEnabled(false);
}

} // namespace tervo
