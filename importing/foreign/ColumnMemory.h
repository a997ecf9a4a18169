#pragma once

#include "ForeignFile.h"

class QSettings;

namespace tervo::foreign {

// The operator's column and unit choice for delimited text, remembered per pattern of column
// titles (case and digits ignored), so the next export of the same instrument opens the same way.
QString columnPattern(const QStringList &titles);
void rememberColumns(QSettings &settings, const ForeignFile &file);
// Applies a remembered choice; false when there is none for these titles.
bool recallColumns(QSettings &settings, ForeignFile &file);

} // namespace tervo::foreign
