#pragma once

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <functional>
#include <vector>

namespace tervo {

// Binds text fields of a window to its model: a field's value is handed to the model when the
// operator leaves it (the model validates and may correct it), and refresh() shows the model's
// values again.
class FieldBinder {
public:
    explicit FieldBinder(QWidget *owner) : m_owner(owner) {}

    QLineEdit *number(QFormLayout *form, const QString &caption, std::function<double()> get,
                      std::function<void(double)> set, const char *objectName);
    QLineEdit *text(QFormLayout *form, const QString &caption, std::function<QString()> get,
                    std::function<void(const QString &)> set, const char *objectName);
    QComboBox *list(QFormLayout *form, const QString &caption, const QStringList &items,
                    std::function<int()> get, std::function<void(int)> set, const char *objectName);

    void refresh();

private:
    QWidget *m_owner;
    std::vector<std::function<void()>> m_refreshers;
};

} // namespace tervo
