#pragma once

#include <QRgb>
#include <QString>
#include <QStringList>
#include <array>

namespace tervo {

const QStringList &ModeNames();
const QStringList &ModeCaptions();
const QStringList &UnitNames();
const QStringList &UnitFactors(); // as text, parsed with the decimal-number rule when used
const QStringList &RefNames();
const std::array<double, 5> &RefPotentials();
const std::array<QRgb, 10> &TrackColors();
const std::array<QRgb, 10> &TrackLightColors();

// ModeNames/ModeCaptions entry, or an empty text for an unknown code.
QString modeName(int mode);
QString modeCaption(int mode);
QString refName(int ref);
double unitFactor(int unit);

} // namespace tervo
