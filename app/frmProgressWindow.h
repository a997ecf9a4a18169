#pragma once

#include "ProgressReporter.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>

namespace tervo {

// The small window shown while a long clipboard text is built.
class frmProgressWindow : public QWidget, public ProgressReporter {
    Q_OBJECT
public:
    explicit frmProgressWindow(QWidget *parent = nullptr);

    void begin(const QString &label, int maximum) override;
    void advance(int value) override;
    void end() override;

    QLabel *lblMessage = nullptr;
    QProgressBar *ProgressBar = nullptr;
};

} // namespace tervo
