#pragma once

#include "MeasureWindow.h"
#include "measure/PSModel.h"

namespace tervo {

// "Potential Step Measurement": a view over PSModel.
class frmPotentialStep : public MeasureWindow {
    Q_OBJECT
public:
    frmPotentialStep(PSModel &model, QWidget *parent = nullptr);

    PSModel &model() { return m_ps; }
    void QuitPSMeasurement() { quit(); }

private:
    PSModel &m_ps;
};

} // namespace tervo
