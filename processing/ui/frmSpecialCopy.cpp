#include "frmSpecialCopy.h"

#include "core/NumberFormat.h"
#include "processing/SpecialCopy.h"
#include "tracks/Tables.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tervo {

namespace {

// An option array in a frame; the first option is chosen.
template <std::size_t N>
QGroupBox *optionFrame(QWidget *parent, const QString &title, const char *name,
                       QRadioButton *(&buttons)[N], std::initializer_list<const char *> captions)
{
    auto *frame = new QGroupBox(title, parent);
    auto *l = new QVBoxLayout(frame);
    std::size_t i = 0;
    for (const char *c : captions) {
        buttons[i] = new QRadioButton(QString::fromLatin1(c), frame);
        buttons[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(i));
        l->addWidget(buttons[i]);
        ++i;
    }
    buttons[0]->setChecked(true);
    return frame;
}

template <std::size_t N> int chosen(QRadioButton *(&buttons)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked())
            return static_cast<int>(i);
    return 0;
}

} // namespace

frmSpecialCopy::frmSpecialCopy(SpecialCopyController &controller, QWidget *parent)
    : ProcessingWindow(parent), m_c(controller)
{
    setObjectName(QStringLiteral("frmSpecialCopy"));
    setWindowTitle(QStringLiteral("Special Copy"));
    ImcDiskScale = new QComboBox(this);
    ImcRingScale = new QComboBox(this);
    ImcDiskScale->addItems(UnitNames());
    ImcRingScale->addItems(UnitNames());
    ImcDiskScale->setCurrentIndex(1);
    ImcRingScale->setCurrentIndex(1);
    cbxCycleNum = new QComboBox(this);
    auto edit = [this](const char *name, const QString &text = QString()) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    txtArea = edit("txtArea");
    txtWeight = edit("txtWeight");
    txtCE = edit("txtCE");
    txtDeg = edit("txtDeg", formatShort(SpecialCopyOptions().thinning.degree));
    txtDistance = edit("txtDistance", QStringLiteral("0.05"));
    txtOrder = makeSpinner(
        QStringLiteral("txtOrder"), QStringLiteral("UpDown1"),
        [this](int d) {
            txtOrder.box->setText(QString::number(std::max(0, txtOrder.box->text().toInt() + d)));
        },
        [](int) {});
    txtOrder.box->setText(QString::number(SpecialCopyOptions().thinning.order));
    chkAbs = new QCheckBox(QStringLiteral("Output by absolute values"), this);
    chkH2O = new QCheckBox(QStringLiteral("%H2O Output"), this);
    chkInfomationData = new QCheckBox(QStringLiteral("Information Data"), this);
    cmdGo = new QPushButton(QStringLiteral("Go"), this);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (auto [w, name] : {std::pair<QWidget *, const char *>{ImcDiskScale, "ImcDiskScale"},
                           {ImcRingScale, "ImcRingScale"},
                           {cbxCycleNum, "cbxCycleNum"},
                           {chkAbs, "chkAbs"},
                           {chkH2O, "chkH2O"},
                           {chkInfomationData, "chkInfomationData"},
                           {cmdGo, "cmdGo"},
                           {cmdCancel, "cmdCancel"}})
        w->setObjectName(QString::fromLatin1(name));
    PrevGraph = createCanvas(QStringLiteral("PrevGraph"), 360, 260);

    auto *grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Disk"), this), row, 0);
    grid->addWidget(ImcDiskScale, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("Ring"), this), row, 2);
    grid->addWidget(ImcRingScale, row++, 3);
    grid->addWidget(optionFrame(this, QStringLiteral("Conversion"), "opnConversion", opnConversion,
                                {"No Conversion", "Area /cm2", "Weight /mg"}),
                    row, 0, 1, 2);
    auto *amounts = new QGridLayout;
    amounts->addWidget(new QLabel(QStringLiteral("Area /cm2"), this), 0, 0);
    amounts->addWidget(txtArea, 0, 1);
    amounts->addWidget(new QLabel(QStringLiteral("Weight /mg"), this), 1, 0);
    amounts->addWidget(txtWeight, 1, 1);
    grid->addLayout(amounts, row++, 2, 1, 2);
    grid->addWidget(
        optionFrame(this, QStringLiteral("Logmode"), "opnLogMode", opnLogMode, {"Off", "On"}), row,
        0, 1, 2);
    grid->addWidget(optionFrame(this, QStringLiteral("Disk Polarity"), "opnPolarity", opnPolarity,
                                {"bipolar", "cathodic", "anodic"}),
                    row++, 2, 1, 2);
    grid->addWidget(chkAbs, row++, 0, 1, 4);
    grid->addWidget(chkH2O, row, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Collection Effeciency"), this), row, 2);
    grid->addWidget(txtCE, row++, 3);
    grid->addWidget(optionFrame(this, QStringLiteral("Output Range"), "opnOutputRange",
                                opnOutputRange, {"All", "Specify"}),
                    row, 0, 1, 2);
    grid->addWidget(cbxCycleNum, row++, 2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("degree"), this), row, 0);
    grid->addWidget(txtDeg, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("Distance"), this), row, 2);
    grid->addWidget(txtDistance, row++, 3);
    grid->addWidget(new QLabel(QStringLiteral("Order:"), this), row, 0);
    grid->addWidget(txtOrder.widget, row++, 1);
    auto *copyFrame = new QWidget(this);
    auto *cl = new QHBoxLayout(copyFrame);
    opnCopy[0] = new QRadioButton(QStringLiteral("Points Optimization"), copyFrame);
    opnCopy[1] = new QRadioButton(QStringLiteral("Reserved"), copyFrame);
    opnCopy[0]->setChecked(true);
    cl->addWidget(opnCopy[0]);
    cl->addWidget(opnCopy[1]);
    grid->addWidget(copyFrame, row++, 0, 1, 4);
    grid->addWidget(chkInfomationData, row++, 0, 1, 4);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdGo);
    buttons->addWidget(cmdCancel);
    auto *left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(buttons);
    left->addStretch();
    auto *top = new QHBoxLayout(this);
    top->addLayout(left);
    if (PrevGraph)
        top->addWidget(PrevGraph->widget(), 1);

    connect(txtArea, &QLineEdit::editingFinished, this, [this] { m_c.setArea(boxValue(txtArea)); });
    connect(txtWeight, &QLineEdit::editingFinished, this,
            [this] { m_c.setWeight(boxValue(txtWeight)); });
    connect(txtCE, &QLineEdit::editingFinished, this,
            [this] { m_c.setCollectionEfficiency(boxValue(txtCE)); });
    connect(cmdGo, &QPushButton::clicked, this, [this] {
        readOptions();
        m_c.setArea(boxValue(txtArea));
        m_c.setWeight(boxValue(txtWeight));
        m_c.go(localeDecimalSeparator());
        redraw();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
}

void frmSpecialCopy::readOptions()
{
    SpecialCopyOptions &o = m_c.options;
    o.diskUnit = ImcDiskScale->currentIndex();
    o.ringUnit = ImcRingScale->currentIndex();
    o.conversion = chosen(opnConversion);
    o.logarithm = chosen(opnLogMode) == 1;
    o.thinning.logarithm = o.logarithm;
    o.absolute = chkAbs->isChecked();
    o.h2o = chkH2O->isChecked();
    o.polarity = chosen(opnPolarity);
    o.cycle = chosen(opnOutputRange) == 1 ? cbxCycleNum->currentIndex() : -1;
    o.thinning.degree = boxValue(txtDeg);
    o.thinning.distance = boxValue(txtDistance);
    o.thinning.order = std::max(0, txtOrder.box->text().toInt());
    o.information = chkInfomationData->isChecked();
}

void frmSpecialCopy::openWindow()
{
    m_c.activate();
    txtArea->setText(formatShort(m_c.area()));
    txtWeight->setText(formatShort(m_c.weight()));
    txtCE->setText(formatShort(m_c.collectionEfficiency()));
    cbxCycleNum->clear();
    cbxCycleNum->addItems(m_c.cycles());
    show();
    raise();
    activateWindow();
    redraw();
}

void frmSpecialCopy::redraw()
{
    if (PrevGraph)
        m_c.drawPreview(*PrevGraph);
}

} // namespace tervo
