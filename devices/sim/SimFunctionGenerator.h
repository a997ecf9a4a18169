#pragma once

#include "devices/sim/Waveform.h"

#include <QByteArray>
#include <QStringList>
#include <array>

namespace tervo::sim {

// A programmable function generator as the command programmes drive it. Each output channel
// holds a programme of a start step and steps 101.. up to the end step; "A1" runs it (the start
// step once, then the steps 101..end over and over), "A0" stops and holds the potential.
// A command it cannot take is recorded as a fault and changes nothing.
class SimFunctionGenerator {
public:
    static constexpr int kChannels = 2;

    // Takes one command string.
    void command(const QByteArray &text);
    void advance(double dt);
    // The potential of an output channel (1-based) in volts.
    double potential(int channel = 1) const;
    bool running(int channel = 1) const;
    // True once a programme has been entered for the channel (and not cleared by "SR0").
    bool programmed(int channel = 1) const;
    const WaveProgramme &programme(int channel = 1) const;

    QStringList faults;
    QList<QByteArray> received;

private:
    struct Channel {
        WaveProgramme programme;
        WaveProgramme editing;
        bool programmed = false;
        WavePlayer player;
    };
    void fault(const QByteArray &text, const char *why);
    WaveSegment *currentSegment();

    std::array<Channel, kChannels> m_channels;
    int m_editChannel = -1; // 0-based while a programme is being entered
    int m_editStep = -1;    // -1: the start step, else index of step 101 + n
    int m_endStep = -1;
};

// Reads "<digits>E<signed digits>" as a number; false when the text is not in that form.
bool parseGeneratorExponent(const QByteArray &text, double &value);

} // namespace tervo::sim
