#pragma once

#include <QString>

namespace tervo {

// The progress shown while a long text is built. The window implementation lets the display
// repaint on every advance; tests record the calls.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;
    // A null label keeps the text shown before.
    virtual void begin(const QString &label, int maximum) = 0;
    virtual void advance(int value) = 0;
    virtual void end() = 0;
};

class NullProgress final : public ProgressReporter {
public:
    void begin(const QString &, int) override {}
    void advance(int) override {}
    void end() override {}
};

} // namespace tervo
