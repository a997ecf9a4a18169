#include "frmSearchTrack.h"

#include "FileChooser.h"
#include "core/NumberFormat.h"
#include "importing/TrackSearch.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tervo {

namespace {

// A criterion frame: "All" or the option that switches the criterion on, with its field.
QGroupBox *criterion(QWidget *parent, const QString &title, const QString &name,
                     const QString &onCaption, QRadioButton *(&options)[2], QWidget *field)
{
    auto *box = new QGroupBox(title, parent);
    auto *row = new QHBoxLayout(box);
    options[0] = new QRadioButton(QStringLiteral("All"), box);
    options[1] = new QRadioButton(onCaption, box);
    options[0]->setObjectName(name + QStringLiteral("0"));
    options[1]->setObjectName(name + QStringLiteral("1"));
    options[0]->setChecked(true);
    auto *group = new QButtonGroup(box);
    group->addButton(options[0]);
    group->addButton(options[1]);
    field->setParent(box);
    row->addWidget(options[0]);
    row->addWidget(options[1]);
    row->addWidget(field, 1);
    return box;
}

} // namespace

frmSearchTrack::frmSearchTrack(SearchTrackController &controller, const QString &startFolder,
                               QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller)
{
    setObjectName(QStringLiteral("frmSearchTrack"));
    setWindowTitle(QStringLiteral("Search Track"));
    resize(1100, 600);
    auto *row = new QHBoxLayout(this);

    const FileChooser chooser = makeFileChooser(this, QDir::AllDirs, startFolder);
    Dir1 = chooser.tree;
    Dir1->setObjectName(QStringLiteral("Dir1"));
    txtPath = chooser.path;
    txtPath->setObjectName(QStringLiteral("txtPath"));
    m_folders = chooser.model;
    auto *left = new QVBoxLayout;
    left->addWidget(txtPath);
    left->addWidget(Dir1, 1);
    row->addLayout(left, 1);

    auto *right = new QVBoxLayout;
    row->addLayout(right, 3);
    KeyWords = new QLineEdit;
    KeyWords->setObjectName(QStringLiteral("KeyWords"));
    cbxMeasurement = new QComboBox;
    cbxMeasurement->setObjectName(QStringLiteral("cbxMeasurement"));
    cbxMeasurement->addItems(searchModeNames());
    cbxMeasurement->setCurrentIndex(0);
    txtRPM = new QLineEdit;
    txtRPM->setObjectName(QStringLiteral("txtRPM"));
    txtScanrate = new QLineEdit;
    txtScanrate->setObjectName(QStringLiteral("txtScanrate"));
    auto *criteria = new QGridLayout;
    criteria->addWidget(criterion(this, QStringLiteral("Title"), QStringLiteral("opnTitle"),
                                  QStringLiteral("Keywords"), opnTitle, KeyWords),
                        0, 0);
    criteria->addWidget(criterion(this, QStringLiteral("Measurement"),
                                  QStringLiteral("opnMeasurement"), QStringLiteral("Select"),
                                  opnMeasurement, cbxMeasurement),
                        0, 1);
    criteria->addWidget(criterion(this, QStringLiteral("RPM"), QStringLiteral("opnRPM"),
                                  QStringLiteral("Specify"), opnRPM, txtRPM),
                        1, 0);
    criteria->addWidget(criterion(this, QStringLiteral("Scanrate"), QStringLiteral("opnScanrate"),
                                  QStringLiteral("Specify"), opnScanrate, txtScanrate),
                        1, 1);
    right->addLayout(criteria);

    auto *searchRow = new QHBoxLayout;
    cmdSearch = new QPushButton(QStringLiteral("Search"), this);
    cmdSearch->setObjectName(QStringLiteral("cmdSearch"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setEnabled(false);
    prgSearch = new QProgressBar(this);
    prgSearch->setObjectName(QStringLiteral("prgSearch"));
    prgSearch->setValue(0);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    searchRow->addWidget(cmdSearch);
    searchRow->addWidget(cmdCancel);
    searchRow->addWidget(prgSearch, 1);
    searchRow->addWidget(lblStatus, 1);
    right->addLayout(searchRow);

    SearchResult = new QTableWidget(0, 6, this);
    SearchResult->setObjectName(QStringLiteral("SearchResult"));
    SearchResult->setHorizontalHeaderLabels(searchHeadings());
    SearchResult->verticalHeader()->hide();
    SearchResult->verticalHeader()->setDefaultSectionSize(20);
    SearchResult->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SearchResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    SearchResult->setSelectionMode(QAbstractItemView::SingleSelection);
    SearchResult->horizontalHeader()->setStretchLastSection(true);
    SearchResult->setColumnWidth(0, 240);
    SearchResult->setColumnWidth(2, 220);
    right->addWidget(SearchResult, 1);

    auto *importRow = new QHBoxLayout;
    txtTrack = new QLineEdit(this);
    txtTrack->setObjectName(QStringLiteral("txtTrack"));
    txtTrack->setReadOnly(true);
    txtTrack->setFixedWidth(48);
    UpDown1Up = new QToolButton(this);
    UpDown1Up->setObjectName(QStringLiteral("UpDown1Up"));
    UpDown1Up->setArrowType(Qt::UpArrow);
    UpDown1Up->setAutoRepeat(true);
    UpDown1Down = new QToolButton(this);
    UpDown1Down->setObjectName(QStringLiteral("UpDown1Down"));
    UpDown1Down->setArrowType(Qt::DownArrow);
    UpDown1Down->setAutoRepeat(true);
    txtTitle = new QLineEdit(this);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setReadOnly(true);
    cmdImport = new QPushButton(QStringLiteral("Import"), this);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    importRow->addWidget(new QLabel(QStringLiteral("Track"), this));
    importRow->addWidget(txtTrack);
    importRow->addWidget(UpDown1Up);
    importRow->addWidget(UpDown1Down);
    importRow->addWidget(txtTitle, 1);
    importRow->addWidget(cmdImport);
    right->addLayout(importRow);

    TrackSearch &s = m_controller.search();
    connect(&s, &TrackSearch::hitFound, this, [this](int i) { addHit(i); });
    connect(&s, &TrackSearch::progress, this, [this](int done, int total) {
        prgSearch->setMaximum(std::max(total, 1));
        prgSearch->setValue(done);
    });
    connect(&s, &TrackSearch::finished, this, [this] { searchFinished(); });
    connect(cmdSearch, &QPushButton::clicked, this, [this] { search(); });
    connect(cmdCancel, &QPushButton::clicked, &s, &TrackSearch::cancel);
    connect(SearchResult, &QTableWidget::currentCellChanged, this,
            [this](int r) { m_controller.selectRow(r + 1); });
    auto import = [this] {
        if (m_controller.importSelected())
            refreshDestination();
    };
    connect(SearchResult, &QTableWidget::activated, this, import);
    connect(cmdImport, &QPushButton::clicked, this, import);
    connect(UpDown1Up, &QToolButton::clicked, this, [this] {
        m_controller.stepDestination(+1);
        refreshDestination();
    });
    connect(UpDown1Down, &QToolButton::clicked, this, [this] {
        m_controller.stepDestination(-1);
        refreshDestination();
    });
    refreshDestination();
}

frmSearchTrack::~frmSearchTrack() = default;

QString frmSearchTrack::folder() const
{
    return m_folders->filePath(Dir1->currentIndex());
}

void frmSearchTrack::setFolder(const QString &path)
{
    goTo({Dir1, txtPath, m_folders}, path);
}

void frmSearchTrack::search()
{
    SearchFields f;
    f.keywordsOn = opnTitle[1]->isChecked();
    f.keywords = KeyWords->text();
    f.modeOn = opnMeasurement[1]->isChecked();
    f.modeIndex = cbxMeasurement->currentIndex();
    f.rpmOn = opnRPM[1]->isChecked();
    f.rpm = txtRPM->text();
    f.scanrateOn = opnScanrate[1]->isChecked();
    f.scanrate = txtScanrate->text();
    const QString where = folder();
    if (where.isEmpty())
        return;
    if (!m_controller.startSearch(where, f))
        return;
    SearchResult->setRowCount(0);
    cmdSearch->setEnabled(false);
    cmdCancel->setEnabled(true);
    prgSearch->setValue(0);
    lblStatus->setText(QStringLiteral("Searching..."));
}

void frmSearchTrack::addHit(int index)
{
    const QStringList cells = hitCells(m_controller.search().hits().at(index));
    const int r = SearchResult->rowCount();
    SearchResult->insertRow(r);
    for (int c = 0; c < cells.size(); ++c)
        SearchResult->setItem(r, c, new QTableWidgetItem(cells.at(c)));
}

void frmSearchTrack::searchFinished()
{
    cmdSearch->setEnabled(true);
    cmdCancel->setEnabled(false);
    const SearchSummary &s = m_controller.search().summary();
    QStringList status;
    status << (s.cancelled ? QStringLiteral("Cancelled: %1 found") : QStringLiteral("%1 found"))
                  .arg(s.hits);
    if (s.unreadable > 0)
        status << unreadableText(s.unreadable);
    lblStatus->setText(status.join(QStringLiteral("; ")));
}

void frmSearchTrack::refreshDestination()
{
    txtTrack->setText(formatShort(m_controller.destination()));
    txtTitle->setText(m_controller.destinationTitle());
    txtTitle->setCursorPosition(0);
}

// The destination's title may have changed in other windows meanwhile.
void frmSearchTrack::showEvent(QShowEvent *event)
{
    refreshDestination();
    QWidget::showEvent(event);
}

void frmSearchTrack::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refreshDestination();
    QWidget::changeEvent(event);
}

} // namespace tervo
