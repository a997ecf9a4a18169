#pragma once

#include "MeasureWindow.h"
#include "measure/RDEModel.h"

namespace tervo {

// "RDE Measurement": a view over RDEModel.
class frmMeasureRDE : public MeasureWindow {
    Q_OBJECT
public:
    frmMeasureRDE(RDEModel &model, QWidget *parent = nullptr);

    RDEModel &model() { return m_rde; }
    void QuitRDEMeasurement() { quit(); }

private:
    RDEModel &m_rde;
};

} // namespace tervo
