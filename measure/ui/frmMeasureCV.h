#pragma once

#include "MeasureWindow.h"
#include "measure/CVModel.h"

namespace tervo {

// "CV Meaurement": a view over CVModel.
class frmMeasureCV : public MeasureWindow {
    Q_OBJECT
public:
    frmMeasureCV(CVModel &model, QWidget *parent = nullptr);

    CVModel &model() { return m_cv; }
    void QuitCVMeasurement() { quit(); }

private:
    CVModel &m_cv;
};

} // namespace tervo
