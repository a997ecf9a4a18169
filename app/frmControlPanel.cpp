#include "frmControlPanel.h"

#include "HelpTexts.h"
#include "frmGuide.h"
#include "frmSettings.h"
#include "tracks/Tables.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace tervo {

namespace {

QString objectNameFor(const QString &caption)
{
    QString name = QStringLiteral("mnu");
    for (const QChar c : caption)
        if (c.isLetterOrNumber())
            name += c;
    return name;
}

// The first local ".tvd" file among dropped URLs, or an empty text.
QString droppedTrackFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QLatin1String(".tvd"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return QString();
}

// The local files among dropped URLs.
QStringList droppedLocalFiles(const QMimeData *mime)
{
    QStringList paths;
    if (mime && mime->hasUrls())
        for (const QUrl &url : mime->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
    return paths;
}

} // namespace

frmControlPanel::frmControlPanel(ControlPanelController &controller, QWidget *parent)
    : QMainWindow(parent), m_controller(controller)
{
    setObjectName(QStringLiteral("frmControlPanel"));
    setWindowTitle(m_controller.caption());
    setAcceptDrops(true);
    m_previewRedraw.setSingleShot(true);
    m_previewRedraw.setInterval(0);
    connect(&m_previewRedraw, &QTimer::timeout, this, [this] {
        if (m_drawPreview)
            m_drawPreview(m_controller.currentTrack());
    });
    buildControls();
    buildMenus();

    connect(&m_controller, &ControlPanelController::trackShown, this, [this] { refresh(); });
    connect(&m_controller, &ControlPanelController::captionChanged, this, &QWidget::setWindowTitle);
    connect(&m_controller, &ControlPanelController::recentFilesChanged, this,
            &frmControlPanel::rebuildRecentMenu);

    auto *previous = new QShortcut(QKeySequence(Qt::Key_PageUp), this);
    auto *next = new QShortcut(QKeySequence(Qt::Key_PageDown), this);
    connect(previous, &QShortcut::activated, &m_controller, &ControlPanelController::stepDown);
    connect(next, &QShortcut::activated, &m_controller, &ControlPanelController::stepUp);

    resize(900, 560);
    m_controller.load();
    // The reference list follows the names table, the first entry empty.
    for (const QString &name : RefNames())
        cbxReference->addItem(name);
    refresh();
}

frmControlPanel::~frmControlPanel() = default;

void frmControlPanel::buildControls()
{
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);

    // Track selector, title and reference electrode.
    auto *top = new QHBoxLayout;
    auto *label1 = new QLabel(QStringLiteral("Track"), central);
    label1->setObjectName(QStringLiteral("Label1"));
    txtDatNum = new QLineEdit(central);
    txtDatNum->setObjectName(QStringLiteral("txtDatNum"));
    txtDatNum->setFont(QFont(QStringLiteral("Arial")));
    txtDatNum->setFixedWidth(40);
    txtDatNum->setAlignment(Qt::AlignRight);
    auto *arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    UpDown1Up = new QToolButton(central);
    UpDown1Up->setObjectName(QStringLiteral("UpDown1Up"));
    UpDown1Up->setArrowType(Qt::UpArrow);
    UpDown1Up->setFixedSize(20, 12);
    UpDown1Down = new QToolButton(central);
    UpDown1Down->setObjectName(QStringLiteral("UpDown1Down"));
    UpDown1Down->setArrowType(Qt::DownArrow);
    UpDown1Down->setFixedSize(20, 12);
    arrows->addWidget(UpDown1Up);
    arrows->addWidget(UpDown1Down);
    lblTrackTitle = new QLabel(central);
    lblTrackTitle->setObjectName(QStringLiteral("lblTrackTitle"));
    lblTrackTitle->setTextFormat(Qt::PlainText);
    QFont titleFont = lblTrackTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    lblTrackTitle->setFont(titleFont);
    auto *label2 = new QLabel(QStringLiteral("Reference"), central);
    label2->setObjectName(QStringLiteral("Label2"));
    cbxReference = new QComboBox(central);
    cbxReference->setObjectName(QStringLiteral("cbxReference"));
    cbxReference->setMinimumWidth(120);
    top->addWidget(label1);
    top->addWidget(txtDatNum);
    top->addLayout(arrows);
    top->addSpacing(12);
    top->addWidget(lblTrackTitle, 1);
    top->addWidget(label2);
    top->addWidget(cbxReference);
    outer->addLayout(top);

    // Information sheet with its edit field on the left, the preview on the right.
    auto *body = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    InformationSheet = new QTableWidget(ControlPanelController::kSheetRows, 2, central);
    InformationSheet->setObjectName(QStringLiteral("InformationSheet"));
    InformationSheet->horizontalHeader()->hide();
    InformationSheet->verticalHeader()->hide();
    InformationSheet->setEditTriggers(QAbstractItemView::NoEditTriggers);
    InformationSheet->setSelectionMode(QAbstractItemView::SingleSelection);
    InformationSheet->verticalHeader()->setDefaultSectionSize(
        InformationSheet->fontMetrics().height() + 6);
    InformationSheet->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    InformationSheet->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    int headingWidth = 0;
    for (int r = 0; r < ControlPanelController::kSheetRows; ++r) {
        const QString text = ControlPanelController::rowHeading(r);
        headingWidth =
            std::max(headingWidth, InformationSheet->fontMetrics().horizontalAdvance(text));
        auto *heading = new QTableWidgetItem(text);
        heading->setFlags(Qt::ItemIsEnabled);
        heading->setBackground(palette().window());
        InformationSheet->setItem(r, 0, heading);
        InformationSheet->setItem(r, 1, new QTableWidgetItem);
    }
    const int headingColumn = std::max(110, headingWidth + 16);
    const int valueColumn = 150;
    InformationSheet->setColumnWidth(0, headingColumn);
    InformationSheet->setColumnWidth(1, valueColumn);
    const int frame = 2 * InformationSheet->frameWidth();
    const int sheetWidth = headingColumn + valueColumn + frame;
    InformationSheet->setFixedSize(
        sheetWidth, ControlPanelController::kSheetRows *
                            InformationSheet->verticalHeader()->defaultSectionSize() +
                        frame);
    txtEditField = new QLineEdit(central);
    txtEditField->setObjectName(QStringLiteral("txtEditField"));
    txtEditField->setFixedWidth(sheetWidth);
    txtEditField->setPlaceholderText(QStringLiteral("Click a row, edit, press Enter"));
    left->addWidget(InformationSheet);
    left->addWidget(txtEditField);
    left->addStretch(1);
    body->addLayout(left);

    PrevGraph = new QFrame(central);
    PrevGraph->setObjectName(QStringLiteral("PrevGraph"));
    PrevGraph->setFrameShape(QFrame::StyledPanel);
    PrevGraph->setAutoFillBackground(true);
    QPalette white = PrevGraph->palette();
    white.setColor(QPalette::Window, Qt::white);
    PrevGraph->setPalette(white);
    PrevGraph->setMinimumSize(320, 240);
    auto *hostLayout = new QVBoxLayout(PrevGraph);
    hostLayout->setContentsMargins(0, 0, 0, 0);
    body->addWidget(PrevGraph, 1);
    outer->addLayout(body, 1);
    setCentralWidget(central);

    connect(UpDown1Up, &QToolButton::clicked, &m_controller, &ControlPanelController::stepUp);
    connect(UpDown1Down, &QToolButton::clicked, &m_controller, &ControlPanelController::stepDown);
    connect(InformationSheet, &QTableWidget::cellClicked, this, [this](int row, int) {
        m_editRow = row;
        txtEditField->setText(m_controller.beginEdit(row));
        txtEditField->setFocus();
        txtEditField->selectAll();
    });
    connect(txtEditField, &QLineEdit::returnPressed, this, [this] {
        if (m_editRow < 0)
            return;
        m_controller.commitEdit(m_editRow, txtEditField->text());
        if (ControlPanelController::rowEditable(m_editRow))
            txtEditField->setText(m_controller.rowValue(m_editRow));
    });
    connect(cbxReference, &QComboBox::activated, &m_controller,
            &ControlPanelController::chooseReference);
    // A value picked on the old tracks is never stored into the newly loaded ones.
    connect(&m_controller, &ControlPanelController::tracksReplaced, this, [this] {
        m_editRow = -1;
        txtEditField->clear();
        InformationSheet->clearSelection();
    });
}

QAction *frmControlPanel::addExtraEntry(const QString &menuName, const QString &caption,
                                        std::function<void()> opener)
{
    QMenu *menu = menuBar()->findChild<QMenu *>(menuName);
    if (!menu)
        return nullptr;
    return addEntry(menu, caption, std::move(opener));
}

QAction *frmControlPanel::addEntry(QMenu *menu, const QString &caption, std::function<void()> run)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(objectNameFor(caption));
    if (run)
        m_runs.insert(a, connect(a, &QAction::triggered, this, [run] { run(); }));
    else
        // Its window is attached later by the composition root.
        a->setEnabled(false);
    m_entries.insert(caption, a);
    return a;
}

void frmControlPanel::buildMenus()
{
    ControlPanelController *c = &m_controller;
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File_Acc"));
    addEntry(file, QStringLiteral("Open"), [c] { c->openFile(); })->setShortcut(QKeySequence::Open);
    addEntry(file, QStringLiteral("Save"), [c] { c->save(); })->setShortcut(QKeySequence::Save);
    // Spelled out: not every desktop gives the standard Save as a key.
    addEntry(file, QStringLiteral("Save as"), [c] {
        c->saveAs();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    file->addSeparator();
    addEntry(file, QStringLiteral("Import Track"));
    addEntry(file, QStringLiteral("Search Track"));
    addEntry(file, QStringLiteral("Import from other instrument…"));
    file->addSeparator();
    m_recentMenu = file->addMenu(QStringLiteral("Recent Files"));
    m_recentMenu->setObjectName(QStringLiteral("mnuRecentFiles"));
    rebuildRecentMenu();
    file->addSeparator();
    addEntry(file, QStringLiteral("Quit"), [this] { close(); })->setShortcut(QKeySequence::Quit);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("Edit_Acc"));
    addEntry(edit, QStringLiteral("Copy All as Text Data"), [c] { c->copyAll(); });
    addEntry(edit, QStringLiteral("Copy I-E(or t) Data as Text Data"), [c] { c->copyIE(); });
    addEntry(edit, QStringLiteral("Replace words in each title"));
    addEntry(edit, QStringLiteral("Special Copy"));
    edit->addSeparator();
    addEntry(edit, QStringLiteral("Edit Tracks"));
    addEntry(edit, QStringLiteral("Edit a Track"));
    addEntry(edit, QStringLiteral("Delete Track"), [c] { c->deleteTrack(); });
    edit->addSeparator();
    addEntry(edit, QStringLiteral("Paste from Clipboard"), [c] { c->paste(); });
    edit->addSeparator();
    addEntry(edit, QStringLiteral("Copy I-t table (Multipotentiostat Only)"),
             [c] { c->copyITTable(); });
    addEntry(edit, QStringLiteral("Copy V-I Table (Multipotentiostat Only)"),
             [c] { c->copyVITable(); });

    QMenu *measure = menuBar()->addMenu(QStringLiteral("&Measurement"));
    measure->setObjectName(QStringLiteral("Measurement_Acc"));
    for (const char *e :
         {"Cyclic Voltammogram", "RDE", "Potential Step", "RPM vs. i", "Multipotentiostat"})
        addEntry(measure, QString::fromLatin1(e));

    QMenu *calc = menuBar()->addMenu(QStringLiteral("&Calculation"));
    calc->setObjectName(QStringLiteral("Calculation_Acc"));
    for (const char *e : {"FFT Filter", "Smoothing", "Calculation"})
        addEntry(calc, QString::fromLatin1(e));

    QMenu *analysis = menuBar()->addMenu(QStringLiteral("&Analysis"));
    analysis->setObjectName(QStringLiteral("Analysis_Acc"));
    for (const char *e :
         {"Koutecky-Levich Analysis", "%H2O Analysis(O2 reduction)", "Cottrell Equation Analysis",
          "Coulomb Number Calculation", "Tafel Analysis"})
        addEntry(analysis, QString::fromLatin1(e));

    QMenu *tool = menuBar()->addMenu(QStringLiteral("&Tool"));
    tool->setObjectName(QStringLiteral("Tool_Acc"));
    for (const char *e : {"Power Control", "Macro", "Adjust RPM"})
        addEntry(tool, QString::fromLatin1(e));

    QMenu *option = menuBar()->addMenu(QStringLiteral("&Option"));
    option->setObjectName(QStringLiteral("Option_Acc"));
    addEntry(option, QStringLiteral("Settings"), [this] { showSettings(); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help_Acc"));
    addEntry(help, QStringLiteral("Getting started"), [this] {
        showGuide();
    })->setShortcut(QKeySequence(Qt::Key_F1));
    addEntry(help, QStringLiteral("About"), [c] { c->showAbout(); });
}

bool frmControlPanel::setWindowOpener(const QString &caption, std::function<void()> opener)
{
    QAction *a = m_entries.value(caption);
    if (!a || !opener)
        return false;
    disconnect(m_runs.value(a));
    m_runs.insert(
        a, connect(a, &QAction::triggered, this, [opener = std::move(opener)] { opener(); }));
    a->setEnabled(true);
    return true;
}

void frmControlPanel::setPreview(QWidget *canvas, std::function<void(int)> draw)
{
    if (m_previewCanvas)
        m_previewCanvas->removeEventFilter(this);
    m_previewCanvas = canvas;
    if (canvas) {
        canvas->setParent(PrevGraph);
        PrevGraph->layout()->addWidget(canvas);
        canvas->installEventFilter(this);
    }
    m_drawPreview = std::move(draw);
    refresh();
}

void frmControlPanel::rebuildRecentMenu()
{
    m_recentMenu->clear();
    const QStringList files = m_controller.recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files.at(i);
        QAction *a = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setToolTip(path);
        a->setStatusTip(path);
        connect(a, &QAction::triggered, this, [this, path] { m_controller.openPath(path); });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void frmControlPanel::ShowDataInfo(int DatNum)
{
    m_controller.ShowDataInfo(DatNum);
}

void frmControlPanel::refresh()
{
    const int t = m_controller.currentTrack();
    if (t != m_shownTrack) {
        // A value picked on one track is never stored into another.
        m_shownTrack = t;
        m_editRow = -1;
        txtEditField->clear();
        InformationSheet->clearSelection();
    }
    txtDatNum->setText(QString::number(t));
    lblTrackTitle->setText(m_controller.trackTitle());
    // Filled without a repaint per cell.
    InformationSheet->setUpdatesEnabled(false);
    for (int r = 0; r < ControlPanelController::kSheetRows; ++r)
        InformationSheet->item(r, 1)->setText(m_controller.rowValue(r));
    InformationSheet->setUpdatesEnabled(true);
    {
        const QSignalBlocker block(cbxReference);
        cbxReference->setCurrentIndex(m_controller.referenceIndex());
    }
    if (m_drawPreview)
        m_drawPreview(t);
}

bool frmControlPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The canvas keeps its drawing at the old size; the track is drawn again to fit.
    if (watched == m_previewCanvas && event->type() == QEvent::Resize && m_drawPreview)
        m_previewRedraw.start();
    return QMainWindow::eventFilter(watched, event);
}

void frmControlPanel::SetSize(int pTop, int pLeft, int pWidth, int pHeight)
{
    if (isMinimized())
        return;
    setGeometry(pLeft, pTop, pWidth, pHeight);
}

void frmControlPanel::showSettings()
{
    if (!m_settingsWindow) {
        m_settingsController = std::make_unique<SettingsController>(m_controller.state().settings,
                                                                    m_controller.state().prompts);
        m_settingsWindow = new frmSettings(*m_settingsController, this);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}

void frmControlPanel::showGuide()
{
    if (!m_guideWindow)
        m_guideWindow = new frmGuide(gettingStartedText(), this);
    m_guideWindow->show();
    m_guideWindow->raise();
    m_guideWindow->activateWindow();
}

void frmControlPanel::closeUnasked()
{
    m_unasked = true;
    close();
}

void frmControlPanel::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    if (m_asking) {
        // The Quit being asked about ends when its question returns.
        event->ignore();
        return;
    }
    if (m_unasked) {
        m_quitAnswer = ControlPanelController::QuitAnswer::Quit;
    } else {
        m_asking = true;
        m_quitAnswer = m_controller.confirmQuit();
        m_asking = false;
        // The desktop ended the program while the question was open: its answer does not count.
        if (m_unasked)
            m_quitAnswer = ControlPanelController::QuitAnswer::Quit;
        if (m_quitAnswer == ControlPanelController::QuitAnswer::Stay) {
            event->ignore();
            return;
        }
    }
    m_closed = true;
    emit aboutToClose();
    m_controller.state().WriteSettings();
    if (m_settingsWindow)
        m_settingsWindow->close();
    if (m_guideWindow)
        m_guideWindow->close();
    event->accept();
    emit closed();
}

void frmControlPanel::setDropHandler(std::function<void(const QStringList &)> handler)
{
    m_dropHandler = std::move(handler);
}

void frmControlPanel::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedTrackFile(event->mimeData()).isEmpty() ||
        (m_dropHandler && !droppedLocalFiles(event->mimeData()).isEmpty()))
        event->acceptProposedAction();
}

void frmControlPanel::dropEvent(QDropEvent *event)
{
    const QString path = droppedTrackFile(event->mimeData());
    if (path.isEmpty()) {
        const QStringList others = droppedLocalFiles(event->mimeData());
        if (!m_dropHandler || others.isEmpty())
            return;
        event->acceptProposedAction();
        m_dropHandler(others);
        return;
    }
    event->acceptProposedAction();
    m_controller.openPath(path);
}

} // namespace tervo
