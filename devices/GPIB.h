#pragma once

#include <QByteArray>
#include <cstdint>

namespace tervo {

// The bytes that carry one command to a GPIB address through the serial-to-GPIB converter.
QByteArray serialConverterFrame(std::int32_t address, const QByteArray &command);

} // namespace tervo
