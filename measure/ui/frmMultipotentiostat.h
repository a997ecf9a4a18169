#pragma once

#include "MeasureWindow.h"
#include "measure/MultipotentiostatModel.h"

namespace tervo {

// "Multipotentiostat Measurement": a view over MultipotentiostatModel.
class frmMultipotentiostat : public MeasureWindow {
    Q_OBJECT
public:
    frmMultipotentiostat(MultipotentiostatModel &model, QWidget *parent = nullptr);

    MultipotentiostatModel &model() { return m_mm; }
    void QuitMMMeasurement() { quit(); }

private:
    MultipotentiostatModel &m_mm;
};

} // namespace tervo
