#include "FunctionGenerator.h"

#include "Instruments.h"
#include "core/NumberFormat.h"

#include <cmath>

namespace tervo {

namespace {

QByteArray lastChars(const QString &text, qsizetype count)
{
    return text.right(count).toLatin1();
}

QByteArray channelDigit(std::int32_t channel)
{
    return QByteArray::number(channel).right(1);
}

QByteArray holdSeconds(std::int32_t hold)
{
    return "HT" + lastChars(formatPattern(hold, "000"), 3) + "E0";
}

} // namespace

QByteArray FGFormatVolt(double volts)
{
    double m = volts * 1000;
    QByteArray text = m < 0 ? "-" : "+";
    m = std::abs(m);
    return text + lastChars(formatPattern(m, "0000"), 4);
}

QByteArray FGFormatRate(double value)
{
    return formatPattern(value / 1000, "00E+0").toLatin1();
}

void Instruments::FGProgramSweep(std::int32_t channel, const std::array<double, 3> &v, double rate,
                                 std::int32_t hold)
{
    const std::int32_t address = m_settings.GPIBAddress;
    const QByteArray rateText = "RT" + FGFormatRate(rate);
    auto send = [&](const QByteArray &command) { GPIBSend(address, command); };
    auto rampStep = [&](const char *step, double volts) {
        send(step);
        send("VF" + FGFormatVolt(volts));
        send(rateText);
        send("HT000E0");
        send("YF0");
    };
    send("SR0");
    send("F" + channelDigit(channel) + "ED1");
    send("VF" + FGFormatVolt(v[0]));
    send(rateText);
    send("STEP");
    send(holdSeconds(hold));
    send("YF1");
    rampStep("F101", v[0]);
    rampStep("F102", v[1]);
    rampStep("F103", v[2]);
    if (v[0] == v[2]) {
        send("ET3");
    } else {
        rampStep("F104", v[0]);
        send("ET4");
    }
    send("ED0");
}

void Instruments::FGProgramStep(std::int32_t channel, const std::array<double, 2> &v,
                                std::int32_t hold1, std::int32_t hold2)
{
    const std::int32_t address = m_settings.GPIBAddress;
    auto send = [&](const QByteArray &command) { GPIBSend(address, command); };
    send("SR0");
    send("F" + channelDigit(channel) + "ED1");
    send("VF" + FGFormatVolt(v[0]));
    send("RT10E9");
    send("STEP");
    send(holdSeconds(hold1));
    send("YF1");
    send("F101");
    send("VF" + FGFormatVolt(v[1]));
    send("RT10E9");
    send("STEP");
    send("HT" + lastChars(formatPattern(hold2, "000E+0"), 6));
    send("YF1");
    send("ET1");
    send("ED0");
}

void Instruments::FGStart()
{
    GPIBSend(m_settings.GPIBAddress, "A1");
}

void Instruments::FGStop()
{
    GPIBSend(m_settings.GPIBAddress, "A0");
}

} // namespace tervo
