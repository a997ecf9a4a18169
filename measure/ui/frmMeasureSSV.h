#pragma once

#include "MeasureWindow.h"
#include "measure/SSVModel.h"

class QCheckBox;

namespace tervo {

// "Steady State Voltammogram": a view over SSVModel.
class frmMeasureSSV : public MeasureWindow {
    Q_OBJECT
public:
    frmMeasureSSV(SSVModel &model, QWidget *parent = nullptr);

    SSVModel &model() { return m_ssv; }
    void QuitSSVMeasurement() { m_ssv.QuitSSVMeasurement(); }

private:
    QCheckBox *addCheck(QFormLayout *form, const QString &caption, int SSVModel::Fields::*field,
                        const char *objectName);

    SSVModel &m_ssv;
};

} // namespace tervo
