#include "frmCalculation.h"

#include "core/NumberFormat.h"
#include "processing/TrackCalculation.h"
#include "tracks/Tables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tervo {

namespace {
constexpr int kGraphWidth = 420, kGraphHeight = 320;
}

frmCalculation::frmCalculation(TrackCalculationController &controller, QWidget *parent)
    : ProcessingWindow(parent), m_c(controller)
{
    setObjectName(QStringLiteral("frmCalculation"));
    setWindowTitle(QStringLiteral("Calculation"));
    auto spinner = [this](const char *box, const char *upd, std::function<void(int)> set,
                          std::function<int()> get) {
        return makeSpinner(
            QString::fromLatin1(box), QString::fromLatin1(upd),
            [this, set, get](int d) {
                set(get() + d);
                showTracks();
            },
            [this, set](int t) {
                set(t);
                showTracks();
            });
    };
    txtOpeA = spinner(
        "txtOpeA", "updOpeA", [this](int t) { m_c.setTrackA(t); },
        [this] { return m_c.operands().a; });
    txtOpeB = spinner(
        "txtOpeB", "updOpeB", [this](int t) { m_c.setTrackB(t); },
        [this] { return m_c.operands().b; });
    txtOpeC = spinner(
        "txtOpeC", "updOpeC", [this](int t) { m_c.setTrackC(t); }, [this] { return m_c.trackC(); });
    txtGraphSize = makeSpinner(
        QStringLiteral("txtGraphSize"), QStringLiteral("updGraphSize"),
        [this](int d) { setGraphSize(m_graphSize + d); }, [this](int s) { setGraphSize(s); });
    lblAmode = new QLabel(this);
    lblBmode = new QLabel(this);
    lblCmode = new QLabel(this);
    auto box = [this](const char *name, bool readOnly) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(readOnly);
        return e;
    };
    txtOpeATitle = box("txtOpeATitle", true);
    txtOpeARPM = box("txtOpeARPM", true);
    txtOpeAScanrate = box("txtOpeAScanrate", true);
    txtOpeBTitle = box("txtOpeBTitle", true);
    txtOpeBRPM = box("txtOpeBRPM", true);
    txtOpeBScanrate = box("txtOpeBScanrate", true);
    txtOpeCTitle = box("txtOpeCTitle", false);
    txta = box("txta", false);
    txtb = box("txtb", false);
    txtc = box("txtc", false);
    txtXBShift = box("txtXBShift", false);
    txta->setText(QStringLiteral("1"));
    txtb->setText(QStringLiteral("1"));
    txtc->setText(QStringLiteral("0"));
    txtXBShift->setText(QStringLiteral("0"));
    auto *ops = new QGroupBox(QStringLiteral("Operator ?"), this);
    auto *ol = new QHBoxLayout(ops);
    opnOperator[0] = new QRadioButton(QStringLiteral("+"), ops);
    opnOperator[1] = new QRadioButton(QStringLiteral("-"), ops);
    opnOperator[0]->setChecked(true);
    for (int i = 0; i < 2; ++i) {
        ol->addWidget(opnOperator[i]);
        connect(opnOperator[i], &QRadioButton::clicked, this, [this, i] {
            m_c.setOperator(i);
            redraw();
        });
    }
    cmdCalc = new QPushButton(QStringLiteral("Calculation"), this);
    cmdCalc->setObjectName(QStringLiteral("cmdCalc"));
    cmdUpdate = new QPushButton(QStringLiteral("UpDate"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    PrevGraph = createCanvas(QStringLiteral("PrevGraph"), kGraphWidth, kGraphHeight);
    pbxFrame = new QScrollArea(this);
    pbxFrame->setObjectName(QStringLiteral("pbxFrame"));
    pbxFrame->setMinimumSize(kGraphWidth + 4, kGraphHeight + 4);
    if (PrevGraph) {
        PrevGraph->widget()->resize(kGraphWidth, kGraphHeight);
        pbxFrame->setWidget(PrevGraph->widget());
    }

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("aA(x)+c ? bB(x) = C"), this), 0, 0, 1, 4);
    int row = 1;
    auto trackRow = [&](const char *name, TrackSpinner &s, QLabel *mode, QLineEdit *title,
                        QLineEdit *rpm, QLineEdit *rate) {
        grid->addWidget(new QLabel(QString::fromLatin1(name), this), row, 0);
        grid->addWidget(s.widget, row, 1);
        grid->addWidget(mode, row, 2);
        // C's title is the long result title: it takes the width of the number boxes too.
        grid->addWidget(title, row, 3, 1, rpm ? 1 : 3);
        if (rpm)
            grid->addWidget(rpm, row, 4);
        if (rate)
            grid->addWidget(rate, row, 5);
        ++row;
    };
    trackRow("A", txtOpeA, lblAmode, txtOpeATitle, txtOpeARPM, txtOpeAScanrate);
    trackRow("B", txtOpeB, lblBmode, txtOpeBTitle, txtOpeBRPM, txtOpeBScanrate);
    trackRow("C", txtOpeC, lblCmode, txtOpeCTitle, nullptr, nullptr);
    auto *factors = new QHBoxLayout;
    for (auto [label, e] : {std::pair<const char *, QLineEdit *>{"a", txta},
                            {"b", txtb},
                            {"c", txtc},
                            {"X-shift:", txtXBShift}}) {
        factors->addWidget(new QLabel(QString::fromLatin1(label), this));
        factors->addWidget(e);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ops);
    buttons->addWidget(cmdCalc);
    buttons->addWidget(cmdUpdate);
    buttons->addWidget(new QLabel(QStringLiteral("GraphSize x"), this));
    buttons->addWidget(txtGraphSize.widget);
    auto *top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(factors);
    top->addLayout(buttons);
    top->addWidget(pbxFrame, 1);

    connect(txta, &QLineEdit::textChanged, this, [this] {
        m_c.setFactorA(boxValue(txta));
        redraw();
    });
    connect(txtb, &QLineEdit::textChanged, this, [this] {
        m_c.setFactorB(boxValue(txtb));
        redraw();
    });
    connect(txtc, &QLineEdit::textChanged, this, [this] {
        m_c.setConstant(boxValue(txtc));
        redraw();
    });
    connect(txtXBShift, &QLineEdit::textChanged, this, [this] {
        m_c.setXShift(boxValue(txtXBShift));
        redraw();
    });
    connect(txtOpeCTitle, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_c.setTitleC(t); });
    connect(cmdCalc, &QPushButton::clicked, this, [this] {
        if (m_c.calculate()) {
            txtOpeCTitle->setText(m_c.titleC());
            txtOpeCTitle->setCursorPosition(0);
        }
        showTracks();
    });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] {
        m_c.setTitleC(txtOpeCTitle->text());
        m_c.update();
        showTracks();
    });
}

void frmCalculation::openWindow()
{
    m_c.open();
    m_c.setFactorA(boxValue(txta));
    m_c.setFactorB(boxValue(txtb));
    m_c.setConstant(boxValue(txtc));
    m_c.setXShift(boxValue(txtXBShift));
    m_c.setOperator(opnOperator[1]->isChecked() ? 1 : 0);
    setGraphSize(m_graphSize);
    showTracks();
    show();
    raise();
    activateWindow();
}

void frmCalculation::showTracks()
{
    const TrackStore &store = m_c.store();
    const CalcOperands o = m_c.operands();
    auto show = [&](int t, TrackSpinner &s, QLabel *mode, QLineEdit *title, QLineEdit *rpm,
                    QLineEdit *rate) {
        const TrackHeader &h = store[t];
        const bool vacant = h.Mode == ModeNone;
        s.box->setText(QString::number(t));
        mode->setText(modeCaption(h.Mode));
        if (title) {
            title->setText(vacant ? QString() : h.Title);
            title->setCursorPosition(0);
        }
        if (rpm)
            rpm->setText(vacant ? QString() : formatShort(h.RPM));
        if (rate)
            rate->setText(vacant ? QString() : formatShort(h.Scanrate));
    };
    show(o.a, txtOpeA, lblAmode, txtOpeATitle, txtOpeARPM, txtOpeAScanrate);
    show(o.b, txtOpeB, lblBmode, txtOpeBTitle, txtOpeBRPM, txtOpeBScanrate);
    show(m_c.trackC(), txtOpeC, lblCmode, nullptr, nullptr, nullptr);
    redraw();
}

void frmCalculation::setGraphSize(int size)
{
    m_graphSize = std::clamp(size, 1, 10);
    txtGraphSize.box->setText(QString::number(m_graphSize));
    const Qt::ScrollBarPolicy bars =
        m_graphSize > 1 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    pbxFrame->setHorizontalScrollBarPolicy(bars);
    pbxFrame->setVerticalScrollBarPolicy(bars);
    if (PrevGraph)
        PrevGraph->widget()->resize(kGraphWidth * m_graphSize, kGraphHeight * m_graphSize);
    redraw();
}

void frmCalculation::redraw()
{
    if (PrevGraph)
        m_c.drawPreview(*PrevGraph);
}

} // namespace tervo
