#pragma once

#include <QString>
#include <cstdint>

namespace tervo {

// The settings keys the instruments read: which board serves which route, and the rotator's
// calibration and speed monitor. Settings embeds it, so the device code sees only these.
struct BoardSettings {
    std::int32_t ADBoard = 0;
    QString DeviceName;
    std::int32_t CardNumber = 0;
    std::int16_t DynamicRange = 0;
    std::int32_t GPIBControl = 0;
    std::int32_t GPIBAddress = 0;
    std::int32_t FGKind = 0;
    std::int32_t DABoard = 0;
    QString RPMvsVoltageFile;
    std::int32_t PowerControl = 0;
    double RPMScale = 0; // rpm per volt of the speed monitor on input 4
};

} // namespace tervo
