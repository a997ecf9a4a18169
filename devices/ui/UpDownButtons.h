#pragma once

#include <QWidget>

class QToolButton;

namespace tervo {

// The up-down spinner of the calibration window: two arrow buttons with no value of their own.
class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    explicit UpDownButtons(QWidget *parent = nullptr);
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }

signals:
    void up();
    void down();

private:
    QToolButton *m_up;
    QToolButton *m_down;
};

} // namespace tervo
