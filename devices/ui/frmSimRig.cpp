#include "frmSimRig.h"

#include "core/NumberFormat.h"
#include "devices/sim/SimCellController.h"
#include "devices/sim/SimPanelController.h"
#include "devices/sim/SimRig.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QStyle>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <iterator>

namespace tervo {

namespace {
struct FieldDef {
    const char *name;
    const char *caption;
    QString sim::SimPanelController::*value;
};
constexpr FieldDef kFields[] = {
    {"txtV0", "Start potential /V", &sim::SimPanelController::v0},
    {"txtV1", "Second potential /V", &sim::SimPanelController::v1},
    {"txtV2", "Third potential /V", &sim::SimPanelController::v2},
    {"txtRate", "Scan rate /mV/s", &sim::SimPanelController::rate},
    {"txtPotentialGain", "Potential monitor V/V", &sim::SimPanelController::potentialGain},
    {"txtCurrentGain", "Current monitor A/V", &sim::SimPanelController::currentGain},
    {"txtRingGain", "Ring current monitor A/V", &sim::SimPanelController::ringGain},
    {"txtNoise", "Noise /V", &sim::SimPanelController::noise},
};
} // namespace

frmSimRig::frmSimRig(sim::SimPanelController &controller, sim::SimCellController *cells,
                     QWidget *parent)
    : QWidget(parent, Qt::Window), m_controller(controller), m_cells(cells),
      m_start(new QPushButton(QStringLiteral("Start sweep"), this)),
      m_stop(new QPushButton(QStringLiteral("Stop sweep"), this)), m_status(new QLabel(this)),
      m_faults(new QPlainTextEdit(this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmSimRig"));
    setWindowTitle(QStringLiteral("Simulated Instrument"));
    auto *form = new QFormLayout;
    for (const FieldDef &f : kFields) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(f.name));
        form->addRow(QString::fromLatin1(f.caption), edit);
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            takeFields();
            m_controller.apply();
            showFields();
        });
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    m_faults->setReadOnly(true);
    m_faults->setMaximumBlockCount(200);
    // The cell on the left; the potentiostat, its sweep and what the rig reports on the right.
    auto *layout = new QHBoxLayout(this);
    if (m_cells) {
        // The cell's parameters scroll where a small screen has no room for them all.
        auto *cellScroll = new QScrollArea(this);
        cellScroll->setWidgetResizable(true);
        cellScroll->setFrameShape(QFrame::NoFrame);
        QWidget *panel = buildCellPanel();
        cellScroll->setWidget(panel);
        cellScroll->setMinimumWidth(panel->sizeHint().width() +
                                    style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        layout->addWidget(cellScroll, 1);
    }
    auto *right = new QVBoxLayout;
    auto *sweepBox = new QGroupBox(QStringLiteral("Potentiostat"), this);
    sweepBox->setLayout(form);
    right->addWidget(sweepBox);
    right->addLayout(buttons);
    right->addWidget(m_status);
    auto *faultBox = new QGroupBox(QStringLiteral("Injected faults"), this);
    auto *faultLayout = new QVBoxLayout(faultBox);
    for (int i = 0; i < static_cast<int>(std::size(sim::kFaultSwitches)); ++i) {
        auto *check = new QCheckBox(QString::fromLatin1(sim::kFaultSwitches[i].caption), faultBox);
        check->setObjectName(QStringLiteral("chkFault_") +
                             QString::fromLatin1(sim::kFaultSwitches[i].key));
        check->setChecked(m_controller.faultInjected(i));
        connect(check, &QCheckBox::toggled, this,
                [this, i](bool on) { m_controller.injectFault(i, on); });
        faultLayout->addWidget(check);
    }
    right->addWidget(faultBox);
    right->addWidget(new QLabel(QStringLiteral("Commands the rig could not take:"), this));
    right->addWidget(m_faults, 1);
    layout->addLayout(right, 1);

    connect(m_start, &QPushButton::clicked, this, [this] {
        takeFields();
        m_controller.startSweep();
        showFields();
        refresh();
    });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_controller.stopSweep();
        refresh();
    });
    m_timer->setInterval(250);
    connect(m_timer, &QTimer::timeout, this, &frmSimRig::refresh);
    showFields();
    refresh();
}

QWidget *frmSimRig::buildCellPanel()
{
    auto *box = new QGroupBox(QStringLiteral("Cell"), this);
    auto *form = new QFormLayout(box);
    auto *model = new QComboBox(box);
    model->setObjectName(QStringLiteral("cbxCellModel"));
    model->addItems(m_cells->models());
    form->addRow(QStringLiteral("Model"), model);
    for (const sim::CellParameterInfo &info : sim::cellParameterInfos()) {
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QStringLiteral("cell_") + QString::fromLatin1(info.key));
        edit->setToolTip(QString::fromLatin1(info.description));
        const QString unit = QString::fromLatin1(info.unit);
        form->addRow(QString::fromLatin1(info.key) + (unit.isEmpty() ? QString() : " /" + unit),
                     edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, key = info.key] {
            m_cells->setParameter(QString::fromLatin1(key), edit->text().toDouble());
            showCellFields();
        });
    }
    auto *ringDisk = new QRadioButton(QStringLiteral("Ring-disk electrode"), box);
    auto *multi = new QRadioButton(QStringLiteral("Multipotentiostat (ten cells)"), box);
    ringDisk->setObjectName(QStringLiteral("optRingDisk"));
    multi->setObjectName(QStringLiteral("optMultipotentiostat"));
    (m_cells->wiring() == sim::SimCellController::RingDisk ? ringDisk : multi)->setChecked(true);
    auto *wiring = new QHBoxLayout;
    wiring->addWidget(ringDisk);
    wiring->addWidget(multi);
    form->addRow(QStringLiteral("Inputs"), wiring);
    auto *apply = new QPushButton(QStringLiteral("Apply cell"), box);
    apply->setObjectName(QStringLiteral("cmdApplyCell"));
    form->addRow(QString(), apply);

    connect(model, &QComboBox::activated, this, [this, model](int) {
        m_cells->chooseModel(model->currentText());
        showCellFields();
    });
    connect(ringDisk, &QRadioButton::toggled, this, [this](bool on) {
        m_cells->setWiring(on ? sim::SimCellController::RingDisk
                              : sim::SimCellController::Multipotentiostat);
    });
    connect(apply, &QPushButton::clicked, this, [this] {
        QString error;
        if (!m_cells->apply(&error))
            QMessageBox::warning(this, windowTitle(), error);
        showCellFields();
    });
    QTimer::singleShot(0, this, &frmSimRig::showCellFields);
    return box;
}

void frmSimRig::showCellFields()
{
    if (!m_cells)
        return;
    if (auto *model = findChild<QComboBox *>(QStringLiteral("cbxCellModel")))
        model->setCurrentText(m_cells->setup.model);
    const bool dummy = m_cells->setup.model == sim::SimCellController::kDummyModel;
    for (const sim::CellParameterInfo &info : sim::cellParameterInfos()) {
        if (auto *edit =
                findChild<QLineEdit *>(QStringLiteral("cell_") + QString::fromLatin1(info.key))) {
            edit->setText(formatShort(m_cells->parameter(QString::fromLatin1(info.key))));
            edit->setEnabled(!dummy);
        }
    }
}

QLineEdit *frmSimRig::field(const QString &name) const
{
    return findChild<QLineEdit *>(name);
}

void frmSimRig::takeFields()
{
    for (const FieldDef &f : kFields)
        m_controller.*(f.value) = field(QString::fromLatin1(f.name))->text();
}

void frmSimRig::showFields()
{
    for (const FieldDef &f : kFields)
        field(QString::fromLatin1(f.name))->setText(m_controller.*(f.value));
}

void frmSimRig::refresh()
{
    m_status->setText(m_controller.statusText());
    const QString faults = m_controller.faults().join(QLatin1Char('\n'));
    if (m_faults->toPlainText() != faults)
        m_faults->setPlainText(faults);
    m_start->setEnabled(!m_controller.sweeping());
    m_stop->setEnabled(m_controller.sweeping());
}

void frmSimRig::showEvent(QShowEvent *event)
{
    m_timer->start();
    QWidget::showEvent(event);
}

void frmSimRig::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace tervo
