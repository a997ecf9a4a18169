#include "SimFunctionGenerator.h"

#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {

bool allDigits(const QByteArray &t)
{
    if (t.isEmpty())
        return false;
    for (char c : t)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

bool parseGeneratorExponent(const QByteArray &text, double &value)
{
    const qsizetype e = text.indexOf('E');
    if (e <= 0)
        return false;
    const QByteArray mantissa = text.left(e);
    QByteArray exponent = text.mid(e + 1);
    int sign = 1;
    if (!exponent.isEmpty() && (exponent[0] == '+' || exponent[0] == '-')) {
        sign = exponent[0] == '-' ? -1 : 1;
        exponent = exponent.mid(1);
    }
    if (!allDigits(mantissa) || !allDigits(exponent) || exponent.size() > 3)
        return false;
    value = mantissa.toDouble() * std::pow(10.0, sign * exponent.toInt());
    return true;
}

void SimFunctionGenerator::fault(const QByteArray &text, const char *why)
{
    faults << QStringLiteral("\"%1\": %2").arg(QString::fromLatin1(text), QLatin1String(why));
}

WaveSegment *SimFunctionGenerator::currentSegment()
{
    if (m_editChannel < 0)
        return nullptr;
    WaveProgramme &p = m_channels[std::size_t(m_editChannel)].editing;
    if (m_editStep < 0)
        return &p.start;
    return &p.cycle[std::size_t(m_editStep)];
}

void SimFunctionGenerator::command(const QByteArray &text)
{
    received << text;
    const bool editing = m_editChannel >= 0;

    if (text == "SR0") {
        for (Channel &c : m_channels) {
            c.player.stop();
            c.programmed = false;
        }
        m_editChannel = -1;
        return;
    }
    if (text == "A1" || text == "A0") {
        if (editing)
            return fault(text, "programme still being entered");
        for (Channel &c : m_channels) {
            if (text == "A0")
                c.player.stop();
            else if (c.programmed)
                c.player.start(&c.programme, c.player.potential());
        }
        return;
    }
    // "F<d>ED1": enter a programme for channel d.
    if (text.size() == 5 && text.startsWith('F') && text.endsWith("ED1")) {
        const int d = text[1] - '0';
        if (d < 1 || d > kChannels)
            return fault(text, "no such channel");
        m_editChannel = d - 1;
        Channel &c = m_channels[std::size_t(m_editChannel)];
        c.editing = WaveProgramme{};
        m_editStep = -1;
        m_endStep = -1;
        return;
    }
    if (!editing)
        return fault(text, "programme command outside a programme");
    WaveSegment *seg = currentSegment();
    Channel &c = m_channels[std::size_t(m_editChannel)];

    if (text == "ED0") {
        if (m_endStep < 0 && !c.editing.cycle.empty())
            return fault(text, "programme without an end step");
        if (m_endStep >= 0)
            c.editing.cycle.resize(std::size_t(m_endStep));
        // The player may stand on a step the new programme no longer has.
        c.player.stop();
        c.programme = c.editing;
        c.programmed = true;
        m_editChannel = -1;
        return;
    }
    if (text.size() == 4 && text.startsWith("F1") && allDigits(text.mid(1))) {
        const int step = text.mid(1).toInt();
        const int index = step - 101;
        if (index < 0 || index > static_cast<int>(c.editing.cycle.size()))
            return fault(text, "steps must follow each other from 101");
        if (index == static_cast<int>(c.editing.cycle.size()))
            c.editing.cycle.push_back(WaveSegment{});
        m_editStep = index;
        return;
    }
    if (text.startsWith("VF")) {
        const QByteArray digits = text.mid(3);
        if (text.size() != 7 || (text[2] != '+' && text[2] != '-') || !allDigits(digits))
            return fault(text, "potential must be a sign and four millivolt digits");
        seg->target = (text[2] == '-' ? -1 : 1) * digits.toInt() / 1000.0;
        return;
    }
    if (text.startsWith("RT")) {
        double rate = 0;
        if (!parseGeneratorExponent(text.mid(2), rate))
            return fault(text, "rate must read <digits>E<exponent>");
        if (!(rate > 0))
            return fault(text, "a rate of zero never reaches its potential");
        seg->rate = rate;
        return;
    }
    if (text == "STEP") {
        seg->jump = true;
        return;
    }
    if (text.startsWith("HT")) {
        double hold = 0;
        if (!parseGeneratorExponent(text.mid(2), hold))
            return fault(text, "hold must read <digits>E<exponent>");
        seg->hold = hold;
        return;
    }
    if (text == "YF0" || text == "YF1") {
        seg->trigger = text[2] == '1';
        return;
    }
    if (text.size() >= 3 && text.startsWith("ET") && allDigits(text.mid(2))) {
        const int end = text.mid(2).toInt();
        if (end < 1 || end > static_cast<int>(c.editing.cycle.size()))
            return fault(text, "end step was not programmed");
        m_endStep = end;
        return;
    }
    fault(text, "unknown command");
}

void SimFunctionGenerator::advance(double dt)
{
    for (Channel &c : m_channels)
        c.player.advance(dt);
}

double SimFunctionGenerator::potential(int channel) const
{
    if (channel < 1 || channel > kChannels)
        return 0;
    return m_channels[std::size_t(channel - 1)].player.potential();
}

bool SimFunctionGenerator::running(int channel) const
{
    if (channel < 1 || channel > kChannels)
        return false;
    return m_channels[std::size_t(channel - 1)].player.running();
}

bool SimFunctionGenerator::programmed(int channel) const
{
    if (channel < 1 || channel > kChannels)
        return false;
    return m_channels[std::size_t(channel - 1)].programmed;
}

const WaveProgramme &SimFunctionGenerator::programme(int channel) const
{
    return m_channels[std::size_t(std::clamp(channel, 1, kChannels) - 1)].programme;
}

} // namespace tervo::sim
