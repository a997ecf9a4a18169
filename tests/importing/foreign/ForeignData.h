#pragma once

#include <QString>

namespace tervo::testing {

// A file of the foreign-format fixtures.
inline QString foreignData(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/importing/foreign/") + QString::fromLatin1(name);
}

} // namespace tervo::testing
