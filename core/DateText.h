#pragma once

#include <QDateTime>
#include <QString>

namespace tervo {

// "General Date" text: the locale's short date and long time.
QString generalDateText(const QDateTime &when);

} // namespace tervo
