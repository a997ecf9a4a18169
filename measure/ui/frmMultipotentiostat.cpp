#include "frmMultipotentiostat.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>

namespace tervo {

frmMultipotentiostat::frmMultipotentiostat(MultipotentiostatModel &model, QWidget *parent)
    : MeasureWindow(model, QStringLiteral("Multipotentiostat Measurement"),
                    QStringLiteral("frmMultipotentiostat"), parent),
      m_mm(model)
{
    using MM = MultipotentiostatModel;
    const MM::Fields *f = &model.fields();
    MM *m = &model;
    QStringList inputs;
    for (int i = 0; i < kMMInputs; ++i)
        inputs << QStringLiteral("Ch") + QString::number(i);

    auto *grid = new QGridLayout;
    const char *heads[] = {"", "Title", "x ch.", "y ch.", "XScale V/V", "YScale A/V", ""};
    for (int c = 0; c < 7; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(heads[c]), this), 0, c);
    for (int k = 0; k < MM::kChannels; ++k) {
        const auto ks = static_cast<std::size_t>(k);
        const QString colour = QColor(MM::channelColour(k)).name();
        auto *name = new QLabel(QStringLiteral("ch %1").arg(k + 1), this);
        name->setObjectName(QStringLiteral("lblCh%1").arg(k));
        name->setStyleSheet(QStringLiteral("color: %1").arg(colour));
        grid->addWidget(name, k + 1, 0);
        auto *title = new QLineEdit(this);
        title->setObjectName(QStringLiteral("txtTitle%1").arg(k));
        grid->addWidget(title, k + 1, 1);
        connect(title, &QLineEdit::editingFinished, this,
                [m, title, k] { m->setTitle(k, title->text()); });
        onRefresh([f, title, ks] {
            if (!title->hasFocus() && title->text() != f->titles[ks]) {
                title->setText(f->titles[ks]);
                title->setCursorPosition(0);
            }
        });
        for (int xy = 0; xy < 2; ++xy) {
            const int j = 2 * k + xy;
            auto *box = new QComboBox(this);
            box->setObjectName(QStringLiteral("cbxADCh%1").arg(j));
            box->addItems(inputs);
            grid->addWidget(box, k + 1, 2 + xy);
            connect(box, &QComboBox::activated, this, [m, j](int i) { m->inputChosen(j, i); });
            onRefresh([m, box, j] { box->setCurrentIndex(m->input(j)); });
            auto *scale = new QLineEdit(this);
            scale->setObjectName(QStringLiteral("txtScale%1").arg(j));
            grid->addWidget(scale, k + 1, 4 + xy);
            connect(scale, &QLineEdit::editingFinished, this,
                    [m, scale, j] { m->setScale(j, parseDecimal(scale->text())); });
            onRefresh([m, scale, j] {
                if (!scale->hasFocus())
                    scale->setText(formatShort(m->scale(j)));
            });
        }
        auto *current = new QLabel(this);
        current->setObjectName(QStringLiteral("lblCurrent%1").arg(k));
        current->setStyleSheet(QStringLiteral("color: %1").arg(colour));
        current->setMinimumWidth(80);
        grid->addWidget(current, k + 1, 6);
        onRefresh([m, current, ks] { current->setText(m->currentTexts()[ks]); });
    }
    m_root->addLayout(grid);

    auto [left, right] = addColumns();
    m_fields.number(
        left, QStringLiteral("Max Time /s"), [f] { return f->maxTime; },
        [m](double v) { m->setMaxTime(v); }, "txtMaxTime");
    addSamplingRateField(left, QStringLiteral("Sampling Rate /Hz"), "txtSamplingrate");
    addAccumulationField(right, QStringLiteral("Accumlation x"));
    auto *iMon = new QCheckBox(QStringLiteral("Current Monitor"), this);
    iMon->setObjectName(QStringLiteral("chkiMon"));
    right->addRow(iMon);
    connect(iMon, &QCheckBox::toggled, this, [m](bool on) { m->setCurrentMonitor(on); });
    onRefresh([iMon, f] { iMon->setChecked(f->currentMonitor); });

    addMethods(
        QStringLiteral("Measurement Method"),
        {QStringLiteral("Stop by time "), QStringLiteral("Stop by button"),
         QStringLiteral("Sampling by button")},
        [f] { return f->method; }, [m](int i) { m->setMethod(i); }, "opnMMMeas");
    addLabel([m] { return m->statusText(); }, "lblStatus");
    QHBoxLayout *buttons = addButtons(QStringLiteral("Clear V. Mon"));
    auto *sampling = new QPushButton(QStringLiteral("Sampling"), this);
    sampling->setObjectName(QStringLiteral("cmdSampling"));
    buttons->insertWidget(2, sampling);
    connect(sampling, &QPushButton::clicked, m, &MM::sampling);
    onRefresh([m, sampling] { sampling->setEnabled(m->state() == MM::Measuring); });
    refresh();
}

} // namespace tervo
