#include "AnalysisWindow.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "plot/FigureDialog.h"
#include "plot/PlotRanges.h"
#include "state/TrackStore.h"
#include "tracks/Tables.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tervo {

AnalysisWindow::AnalysisWindow(const QString &caption, const QString &objectName, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(caption);
    setObjectName(objectName);
}

void AnalysisWindow::trackHeaderRows(QFormLayout *form, std::function<const TrackHeader &()> header)
{
    label(
        form, QString(), [header] { return modeCaption(header().Mode); }, "lblMode");
    textBox(
        form, QStringLiteral("Title"), [header] { return header().Title; }, nullptr, "txtTitle");
    textBox(
        form, QStringLiteral("RPM"),
        [header] { return header().Mode ? formatShort(header().RPM) : QString(); }, nullptr,
        "txtRPM");
}

void AnalysisWindow::trackStretchRows(QFormLayout *form, const TrackStore &store,
                                      std::function<int()> track,
                                      std::function<void(int)> selectTrack,
                                      std::function<int()> first,
                                      std::function<void(int &)> setFirst,
                                      std::function<int()> last, std::function<void(int &)> setLast)
{
    trackSelector(form, track, std::move(selectTrack), "txtDataNum");
    trackHeaderRows(form, [&store, track]() -> const TrackHeader & { return store[track()]; });
    pointSpinner(form, QStringLiteral("Start"), first, std::move(setFirst), "txtStart");
    label(
        form, QString(), [&store, track, first] { return CursorText(store, track(), first()); },
        "lblStartPoint");
    pointSpinner(form, QStringLiteral("End"), last, std::move(setLast), "txtEnd");
    label(
        form, QString(), [&store, track, last] { return CursorText(store, track(), last()); },
        "lblEndPoint");
}

void AnalysisWindow::refresh()
{
    if (m_refreshing)
        return;
    m_refreshing = true;
    for (auto &r : m_refreshers)
        r();
    m_refreshing = false;
}

QSpinBox *AnalysisWindow::trackSelector(QFormLayout *form, std::function<int()> get,
                                        std::function<void(int)> set, const char *objectName)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QString::fromLatin1(objectName));
    spin->setRange(0, kUserTracks - 1);
    spin->setWrapping(true);
    form->addRow(QStringLiteral("Track"), spin);
    connect(spin, &QSpinBox::valueChanged, this, [this, set](int v) {
        if (m_refreshing)
            return;
        set(v);
        refresh();
    });
    onRefresh([spin, get] {
        const QSignalBlocker block(spin);
        spin->setValue(get());
    });
    return spin;
}

QSpinBox *AnalysisWindow::pointSpinner(QFormLayout *form, const QString &caption,
                                       std::function<int()> get, std::function<void(int &)> set,
                                       const char *objectName)
{
    auto *spin = new QSpinBox(this);
    spin->setObjectName(QString::fromLatin1(objectName));
    spin->setRange(-1, kMaxPoints);
    spin->setKeyboardTracking(false);
    form->addRow(caption, spin);
    connect(spin, &QSpinBox::valueChanged, this, [this, spin, set](int v) {
        if (m_refreshing)
            return;
        set(v);
        const QSignalBlocker block(spin);
        spin->setValue(v);
        refresh();
    });
    onRefresh([spin, get] {
        const QSignalBlocker block(spin);
        spin->setValue(get());
    });
    return spin;
}

QLineEdit *AnalysisWindow::numberBox(QFormLayout *form, const QString &caption,
                                     std::function<double()> get, std::function<void(double)> set,
                                     bool onChange, const char *objectName)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(objectName));
    form->addRow(caption, edit);
    if (onChange) {
        connect(edit, &QLineEdit::textEdited, this,
                [set](const QString &t) { set(parseDecimal(t)); });
        connect(edit, &QLineEdit::editingFinished, this, [this] { refresh(); });
    } else {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, set] {
            set(parseDecimal(edit->text()));
            refresh();
        });
    }
    onRefresh([edit, get] {
        const QString t = formatShort(get());
        if (!edit->hasFocus() && edit->text() != t)
            edit->setText(t);
    });
    return edit;
}

QLineEdit *AnalysisWindow::textBox(QFormLayout *form, const QString &caption,
                                   std::function<QString()> get,
                                   std::function<void(const QString &)> set, const char *objectName)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(objectName));
    form->addRow(caption, edit);
    if (set)
        connect(edit, &QLineEdit::textEdited, this, [set](const QString &t) { set(t); });
    else
        edit->setReadOnly(true);
    onRefresh([edit, get] {
        const QString t = get();
        if (!edit->hasFocus() && edit->text() != t) {
            edit->setText(t);
            edit->setCursorPosition(0); // a long title shows its beginning
        }
    });
    return edit;
}

QLabel *AnalysisWindow::label(QFormLayout *form, const QString &caption,
                              std::function<QString()> text, const char *objectName)
{
    auto *l = new QLabel(this);
    l->setObjectName(QString::fromLatin1(objectName));
    form->addRow(caption, l);
    onRefresh([l, text] { l->setText(text()); });
    return l;
}

QButtonGroup *AnalysisWindow::options(QLayout *into, const QString &frame,
                                      const QStringList &captions, std::function<int()> get,
                                      std::function<void(int)> set, const char *objectName)
{
    auto *box = new QGroupBox(frame, this);
    box->setObjectName(QString::fromLatin1(objectName));
    auto *layout = new QVBoxLayout(box);
    auto *group = new QButtonGroup(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *b = new QRadioButton(captions[i], box);
        group->addButton(b, i);
        layout->addWidget(b);
    }
    into->addWidget(box);
    connect(group, &QButtonGroup::idClicked, this, [this, set](int id) {
        set(id);
        refresh();
    });
    onRefresh([group, get] {
        if (QAbstractButton *b = group->button(get()))
            b->setChecked(true);
    });
    return group;
}

kurvex::KurvexControl *AnalysisWindow::canvas(QLayout *into, const char *objectName)
{
    kurvex::KurvexControl *c = kurvex::createControl(QString::fromLatin1(kurvex::kProgId), this);
    if (!c)
        return nullptr;
    c->widget()->setObjectName(QString::fromLatin1(objectName));
    c->widget()->setMinimumSize(320, 240);
    c->widget()->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (auto *box = qobject_cast<QBoxLayout *>(into))
        box->addWidget(c->widget(), 1);
    else
        into->addWidget(c->widget());
    offerFigureSaving(*c);
    if (!m_resizeRedraw) {
        m_resizeRedraw = new QTimer(this);
        m_resizeRedraw->setSingleShot(true);
        m_resizeRedraw->setInterval(0);
        connect(m_resizeRedraw, &QTimer::timeout, this, &AnalysisWindow::refresh);
    }
    c->widget()->installEventFilter(this);
    return c;
}

bool AnalysisWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_resizeRedraw && isVisible())
        m_resizeRedraw->start();
    return QWidget::eventFilter(watched, event);
}

QPlainTextEdit *AnalysisWindow::resultBox(QLayout *into, std::function<QString()> text)
{
    auto *box = new QPlainTextEdit(this);
    box->setObjectName(QStringLiteral("txtResult"));
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    into->addWidget(box);
    onRefresh([box, text] {
        QString t = text();
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (box->toPlainText() != t)
            box->setPlainText(t);
    });
    return box;
}

QPushButton *AnalysisWindow::button(QLayout *into, const QString &caption,
                                    std::function<void()> clicked, const char *objectName)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(objectName));
    into->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, clicked] {
        clicked();
        refresh();
    });
    return b;
}

} // namespace tervo
