#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>

namespace tervo {

// Turns SIGTERM and SIGHUP (logout, shutdown, kill) into a call on the event loop, so the
// program closes as its Quit entry does instead of dying with the run in memory.
class SignalClose : public QObject {
    Q_OBJECT
public:
    explicit SignalClose(std::function<void()> close, QObject *parent = nullptr);
    ~SignalClose() override;

    bool received() const { return m_received; }

private:
    std::function<void()> m_close;
    QSocketNotifier *m_notifier = nullptr;
    bool m_received = false;
};

} // namespace tervo
