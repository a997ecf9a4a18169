#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <stop_token>

namespace tervo {

// The steady-state voltammetry window as macros reach it: one member per SSV command, every
// numeric argument a double. The window connects itself to the runner; without it an SSV line
// ends the run with a message.
class SsvMacroTarget {
public:
    virtual ~SsvMacroTarget() = default;
    virtual void Show() = 0;
    virtual void SelTrack(double track) = 0;
    virtual void DiskScale(double scale) = 0;
    virtual void RingScale(double scale) = 0;
    virtual void Title(const QString &title) = 0;
    virtual void rpm(double rpm) = 0;
    virtual void SetVoltage(double v1st, double v2nd) = 0;
    virtual void SetAcceleratemode(double mode) = 0;
    virtual void CurrentTolerance(double percent) = 0;
    virtual void SetSkipMode(double mode) = 0;
    virtual void AppliedCurrent(double percent) = 0;
    virtual void VoltStep(double volts) = 0;
    virtual void StepTime(double seconds) = 0;
    virtual void Segment(double count) = 0;
    virtual void SamplingRate(double hz) = 0;
    virtual void Accumlation(double count) = 0;
    virtual void SetSendtoClip(double mode) = 0;
    virtual void MinTime(double mode) = 0;
    virtual void RecordNextTrack(double mode) = 0;
    // Sets the running flag while it measures, like every measurement window. Returns the tracks
    // holding data that the started run replaces.
    virtual QList<int> StartMeasurement() = 0;
    virtual void QuitSSVMeasurement() = 0;
};

// One message of Mail.Send.
struct MailMessage {
    QString displayName;
    QString address;
    QString subject;
    QString note;
};

// Sends a message; false with a reason when it could not be sent.
class MailSender {
public:
    // The sending itself, run off the interface thread: it uses nothing the interface thread
    // may change meanwhile, and gives up soon once stop is requested.
    using Delivery = std::function<bool(QString &error, std::stop_token stop)>;

    virtual ~MailSender() = default;
    // Made on the interface thread, with what the message needs taken along.
    virtual Delivery delivery(const MailMessage &message) = 0;

    // Sends on the calling thread.
    bool send(const MailMessage &message, QString &error)
    {
        return delivery(message)(error, std::stop_token());
    }
};

} // namespace tervo
