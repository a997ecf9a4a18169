#include "FieldBinder.h"

#include "core/NumberFormat.h"
#include "core/NumberParse.h"

namespace tervo {

QLineEdit *FieldBinder::number(QFormLayout *form, const QString &caption,
                               std::function<double()> get, std::function<void(double)> set,
                               const char *objectName)
{
    auto *edit = new QLineEdit(m_owner);
    edit->setObjectName(QString::fromLatin1(objectName));
    form->addRow(caption, edit);
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [this, edit, set] {
        set(parseDecimal(edit->text()));
        refresh();
    });
    m_refreshers.push_back([edit, get] {
        const QString t = formatShort(get());
        if (!edit->hasFocus() && edit->text() != t)
            edit->setText(t);
    });
    return edit;
}

QLineEdit *FieldBinder::text(QFormLayout *form, const QString &caption,
                             std::function<QString()> get, std::function<void(const QString &)> set,
                             const char *objectName)
{
    auto *edit = new QLineEdit(m_owner);
    edit->setObjectName(QString::fromLatin1(objectName));
    form->addRow(caption, edit);
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [this, edit, set] {
        set(edit->text());
        refresh();
    });
    m_refreshers.push_back([edit, get] {
        const QString t = get();
        if (!edit->hasFocus() && edit->text() != t) {
            edit->setText(t);
            edit->setCursorPosition(0); // a long title shows its beginning
        }
    });
    return edit;
}

QComboBox *FieldBinder::list(QFormLayout *form, const QString &caption, const QStringList &items,
                             std::function<int()> get, std::function<void(int)> set,
                             const char *objectName)
{
    auto *box = new QComboBox(m_owner);
    box->setObjectName(QString::fromLatin1(objectName));
    box->addItems(items);
    form->addRow(caption, box);
    QObject::connect(box, &QComboBox::activated, box, [this, set](int index) {
        set(index);
        refresh();
    });
    m_refreshers.push_back([box, get] {
        const int i = get();
        if (box->currentIndex() != i)
            box->setCurrentIndex(i);
    });
    return box;
}

void FieldBinder::refresh()
{
    for (auto &r : m_refreshers)
        r();
}

} // namespace tervo
