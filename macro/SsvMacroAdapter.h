#pragma once

#include "MacroTargets.h"
#include "core/NumberFormat.h"
#include "measure/SSVModel.h"

#include <functional>

namespace tervo {

// The steady-state voltammetry window as the macros drive it: each line loads the window's
// model when it is not loaded, then calls the public operation of the same name.
class SsvMacroAdapter final : public SsvMacroTarget {
public:
    SsvMacroAdapter(SSVModel &model, std::function<void()> show)
        : m_model(model), m_show(std::move(show))
    {
    }

    void Show() override { m_show(); }
    void SelTrack(double v) override { load().SelTrack(v); }
    void DiskScale(double v) override { load().DiskScale(v); }
    void RingScale(double v) override { load().RingScale(v); }
    void Title(const QString &title) override { load().Title(title); }
    void rpm(double v) override
    {
        QString text = formatGeneral(v);
        load().rpm(text);
    }
    void SetVoltage(double v1st, double v2nd) override { load().SetVoltage(v1st, v2nd); }
    void SetAcceleratemode(double v) override { load().SetAcceleratemode(v); }
    void CurrentTolerance(double v) override { load().CurrentTolerance(v); }
    void SetSkipMode(double v) override { load().SetSkipMode(v); }
    void AppliedCurrent(double v) override { load().AppliedCurrent(v); }
    void VoltStep(double v) override { load().VoltStep(v); }
    void StepTime(double v) override { load().StepTime(v); }
    void Segment(double v) override { load().Segment(v); }
    void SamplingRate(double v) override { load().SamplingRate(v); }
    void Accumlation(double v) override { load().Accumlation(v); }
    void SetSendtoClip(double v) override { load().SetSendtoClip(v); }
    void MinTime(double v) override { load().MinTime(v); }
    void RecordNextTrack(double v) override { load().RecordNextTrack(v); }
    QList<int> StartMeasurement() override { return load().start(); }
    void QuitSSVMeasurement() override { m_model.QuitSSVMeasurement(); }

private:
    SSVModel &load()
    {
        m_model.ensureOpen();
        return m_model;
    }

    SSVModel &m_model;
    std::function<void()> m_show;
};

} // namespace tervo
