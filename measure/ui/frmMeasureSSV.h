#pragma once

#include "MeasureWindow.h"
#include "measure/SSVModel.h"

#include <functional>

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
    QCheckBox *addCheck(QFormLayout *form, const QString &caption, std::function<int()> get,
                        std::function<void(int)> set, const char *objectName);

    SSVModel &m_ssv;
};

} // namespace tervo
