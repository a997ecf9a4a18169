#pragma once

#include <QString>

namespace tervo {

inline constexpr char kLicence[] =
    "Licence: all rights reserved. TERVO is the laboratory's own program; it is not licensed "
    "for use or distribution outside it.";

// The Help menu's "Getting started" guide: the README's first steps, compiled into the program.
QString gettingStartedText();

// What "About" tells: version, build, the settings folder in use and the licence.
QString aboutText(const QString &settingsFolder, bool readOnly);

} // namespace tervo
