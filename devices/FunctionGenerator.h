#pragma once

#include <QByteArray>

namespace tervo {

// A potential in the generator's command form: sign and four millivolt digits ("+0500"). The
// sign is taken before rounding, and values of 10 V or more lose their leading digits.
QByteArray FGFormatVolt(double volts);
// A scan rate in mV/s as the generator's V/s rate text ("50E-3").
QByteArray FGFormatRate(double value);

} // namespace tervo
