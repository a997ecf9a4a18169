#pragma once

#include "MeasureWindow.h"
#include "measure/RPMvsjModel.h"

namespace tervo {

// "RPM vs. i": a view over RPMvsjModel.
class frmMeasureRPMvsj : public MeasureWindow {
    Q_OBJECT
public:
    frmMeasureRPMvsj(RPMvsjModel &model, QWidget *parent = nullptr);

    RPMvsjModel &model() { return m_rpj; }
    void QuitRPMvsjMeasurement() { quit(); }

private:
    RPMvsjModel &m_rpj;
};

} // namespace tervo
