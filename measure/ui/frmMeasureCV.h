#pragma once

#include "FieldBinder.h"
#include "measure/CVModel.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>

namespace tervo {

// "CV Meaurement": a view over CVModel.
class frmMeasureCV : public QWidget {
    Q_OBJECT
public:
    frmMeasureCV(CVModel &model, QWidget *parent = nullptr);

    CVModel &model() { return m_model; }
    // Places and sizes the window and shows it.
    void SetSize(std::int16_t top, std::int16_t left, std::int16_t width, std::int16_t height);
    void QuitCVMeasurement() { close(); }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void refresh();

    CVModel &m_model;
    FieldBinder m_fields;
    QSpinBox *m_set = nullptr;
    QSpinBox *m_track = nullptr;
    QLabel *m_mode = nullptr;
    QLabel *m_monitor = nullptr;
    QLabel *m_remaining = nullptr;
    QRadioButton *m_byCycles = nullptr;
    QRadioButton *m_byButton = nullptr;
    QPushButton *m_start = nullptr;
    QPushButton *m_stop = nullptr;
    bool m_open = false;
    bool m_refreshing = false;
};

} // namespace tervo
