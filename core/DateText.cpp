#include "DateText.h"

#include <QLocale>

namespace tervo {

QString generalDateText(const QDateTime &when)
{
    const QLocale locale;
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

} // namespace tervo
