#pragma once

#include <QString>
#include <cstdint>

namespace tervo {

// Classifies a GPIB board completion code: 1 when it is an error (low byte 3 or more), 0
// otherwise. message receives the call name with the code's text and the SRQ/IFC flags.
std::int16_t GPIBCheckStatus(const QString &name, std::int32_t code, QString &message);

} // namespace tervo
