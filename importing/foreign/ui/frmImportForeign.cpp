#include "frmImportForeign.h"

#include "tracks/Tables.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

namespace tervo {

using foreign::ForeignFile;

namespace {

constexpr int kPreviewRows = 8;
const int kModes[] = {ModeCV, ModeRDE, ModePS};

} // namespace

frmImportForeign::frmImportForeign(foreign::ForeignImportController &controller, QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller)
{
    setObjectName(QStringLiteral("frmImportForeign"));
    setWindowTitle(QStringLiteral("Import from other instrument"));

    lstFiles = new QListWidget;
    cmdAdd = new QPushButton(QStringLiteral("Add files…"));
    cmdRemove = new QPushButton(QStringLiteral("Remove"));
    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(cmdAdd);
    fileButtons->addWidget(cmdRemove);
    auto *left = new QVBoxLayout;
    left->addWidget(lstFiles);
    left->addLayout(fileButtons);

    lblSummary = new QLabel;
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem = new QLabel;
    lblProblem->setStyleSheet(QStringLiteral("color: #b00000"));
    lblProblem->setWordWrap(true);
    cbxMode = new QComboBox;
    for (const int m : kModes)
        cbxMode->addItem(modeName(m), m);
    txtRpm = new QLineEdit;
    txtTitle = new QLineEdit;
    chkFlip = new QCheckBox(QStringLiteral("Flip the current sign"));
    cbxX = new QComboBox;
    cbxXUnit = new QComboBox;
    cbxXUnit->addItems(foreign::xUnitNames());
    cbxY = new QComboBox;
    cbxYUnit = new QComboBox;
    cbxYUnit->addItems(foreign::yUnitNames());
    cbxThinning = new QComboBox;
    grdPreview = new QTableWidget;
    grdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPreview->verticalHeader()->hide();
    updTrack = new QSpinBox;
    updTrack->setRange(0, kUserTracks - 1);
    cmdImport = new QPushButton(QStringLiteral("Import"));
    auto *cmdClose = new QPushButton(QStringLiteral("Close"));

    auto *xRow = new QHBoxLayout;
    xRow->addWidget(cbxX, 1);
    xRow->addWidget(cbxXUnit);
    auto *yRow = new QHBoxLayout;
    yRow->addWidget(cbxY, 1);
    yRow->addWidget(cbxYUnit);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Mode"), cbxMode);
    form->addRow(QStringLiteral("RPM"), txtRpm);
    form->addRow(QStringLiteral("Title"), txtTitle);
    form->addRow(QString(), chkFlip);
    form->addRow(QStringLiteral("x column"), xRow);
    form->addRow(QStringLiteral("y column"), yRow);
    form->addRow(QStringLiteral("Long file"), cbxThinning);
    form->addRow(QStringLiteral("First track"), updTrack);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdImport);
    buttons->addWidget(cmdClose);
    auto *right = new QVBoxLayout;
    right->addWidget(lblSummary);
    right->addLayout(form);
    right->addWidget(grdPreview, 1);
    right->addWidget(lblProblem);
    right->addLayout(buttons);
    auto *top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(right, 2);
    resize(820, 520);

    using C = foreign::ForeignImportController;
    connect(&m_controller, &C::changed, this, &frmImportForeign::refresh);
    connect(cmdAdd, &QPushButton::clicked, this, &frmImportForeign::chooseFiles);
    connect(cmdRemove, &QPushButton::clicked, this,
            [this] { m_controller.removeFile(lstFiles->currentRow()); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdImport, &QPushButton::clicked, this, [this] { m_controller.importAll(); });
    connect(lstFiles, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_filling)
            m_controller.select(row);
    });
    connect(cbxMode, &QComboBox::activated, this,
            [this] { m_controller.setMode(cbxMode->currentData().toInt()); });
    connect(txtRpm, &QLineEdit::editingFinished, this,
            [this] { m_controller.setRpm(txtRpm->text().toDouble()); });
    connect(txtTitle, &QLineEdit::editingFinished, this,
            [this] { m_controller.setTitle(txtTitle->text()); });
    connect(chkFlip, &QCheckBox::clicked, this,
            [this](bool on) { m_controller.setFlipCurrent(on); });
    auto columns = [this] { m_controller.setColumns(cbxX->currentIndex(), cbxY->currentIndex()); };
    connect(cbxX, &QComboBox::activated, this, columns);
    connect(cbxY, &QComboBox::activated, this, columns);
    auto units = [this] {
        m_controller.setUnits(cbxXUnit->currentText(), cbxYUnit->currentText());
    };
    connect(cbxXUnit, &QComboBox::activated, this, units);
    connect(cbxYUnit, &QComboBox::activated, this, units);
    connect(cbxThinning, &QComboBox::activated, this, [this](int i) {
        m_controller.setThinning(i == 0 ? foreign::Thinning::EveryKth : foreign::Thinning::First);
    });
    connect(updTrack, &QSpinBox::valueChanged, this, [this](int t) {
        if (!m_filling)
            m_controller.setStartTrack(t);
    });
    refresh();
}

void frmImportForeign::openWith(const QStringList &paths)
{
    m_controller.addFiles(paths);
    show();
    raise();
    activateWindow();
}

void frmImportForeign::chooseFiles()
{
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, QStringLiteral("Import from other instrument"), QString(),
        QStringLiteral("Instrument exports (*.mpt *.DTA *.dta *.txt *.csv *.tsv);;All files (*)"));
    if (!paths.isEmpty())
        openWith(paths);
}

void frmImportForeign::refresh()
{
    m_filling = true;
    lstFiles->clear();
    for (int i = 0; i < m_controller.count(); ++i)
        lstFiles->addItem(QFileInfo(m_controller.file(i).path).fileName());
    const int cur = m_controller.current();
    lstFiles->setCurrentRow(cur);
    updTrack->setValue(m_controller.startTrack());
    const bool any = cur >= 0;
    for (QWidget *w :
         std::initializer_list<QWidget *>{cmdRemove, cbxMode, txtRpm, txtTitle, chkFlip, cbxX,
                                          cbxXUnit, cbxY, cbxYUnit, cbxThinning, cmdImport})
        w->setEnabled(any);
    grdPreview->clear();
    grdPreview->setRowCount(0);
    grdPreview->setColumnCount(0);
    if (!any) {
        lblSummary->setText(QStringLiteral("Add the exports of EC-Lab (.mpt), Gamry (.DTA), "
                                           "CH Instruments (.txt) or any CSV/TSV file."));
        lblProblem->clear();
        m_filling = false;
        return;
    }
    const ForeignFile &f = m_controller.file(cur);
    lblSummary->setText(m_controller.summary(cur).join(QLatin1Char('\n')));
    lblProblem->setText(m_controller.problem());
    cbxMode->setCurrentIndex(cbxMode->findData(f.mode));
    txtRpm->setText(QString::number(f.rpm));
    txtRpm->setEnabled(f.mode == ModeRDE);
    txtTitle->setText(f.title);
    txtTitle->setCursorPosition(0);
    chkFlip->setChecked(f.flipCurrent);
    cbxX->clear();
    cbxY->clear();
    cbxX->addItems(f.titles());
    cbxY->addItems(f.titles());
    cbxX->setCurrentIndex(f.x);
    cbxY->setCurrentIndex(f.y);
    cbxXUnit->setCurrentIndex(static_cast<int>(foreign::xUnitNames().indexOf(f.xUnit)));
    cbxYUnit->setCurrentIndex(static_cast<int>(foreign::yUnitNames().indexOf(f.yUnit)));
    cbxThinning->clear();
    const bool tooLong = f.rows() > kMaxPoints;
    cbxThinning->setEnabled(tooLong);
    if (tooLong) {
        ForeignFile every = f;
        every.thinning = foreign::Thinning::EveryKth;
        cbxThinning->addItem(
            QStringLiteral("One row in %1 (%2 points)").arg(every.step()).arg(every.points()));
        cbxThinning->addItem(QStringLiteral("The first %1 rows").arg(kMaxPoints));
        cbxThinning->setCurrentIndex(f.thinning == foreign::Thinning::EveryKth ? 0 : 1);
    }
    const int rows = std::min(f.rows(), kPreviewRows);
    grdPreview->setColumnCount(static_cast<int>(f.columns.size()));
    grdPreview->setHorizontalHeaderLabels(f.titles());
    grdPreview->setRowCount(rows);
    for (int c = 0; c < static_cast<int>(f.columns.size()); ++c)
        for (int r = 0; r < rows; ++r)
            grdPreview->setItem(
                r, c,
                new QTableWidgetItem(QString::number(
                    f.columns[static_cast<std::size_t>(c)].values[static_cast<std::size_t>(r)], 'g',
                    6)));
    m_filling = false;
}

} // namespace tervo
