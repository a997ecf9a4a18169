#include "Tables.h"

#include "core/Colors.h"
#include "core/NumberParse.h"

namespace tervo {

const QStringList &ModeNames()
{
    static const QStringList names{"None", "CV", "RDE", "PS", "RPMvs.j", "Multi", "SSV", "SSVAll"};
    return names;
}

const QStringList &ModeCaptions()
{
    static const QStringList captions = [] {
        QStringList c{"Mode:"};
        for (int i = 1; i < ModeNames().size(); ++i)
            c << QStringLiteral("Mode:") + ModeNames().at(i);
        return c;
    }();
    return captions;
}

const QStringList &UnitNames()
{
    static const QStringList names{" ", "A", "mA", QStringLiteral("µA"), "nA"};
    return names;
}

const QStringList &UnitFactors()
{
    static const QStringList factors{"0", "1", "1e+3", "1e+6", "1e+9"};
    return factors;
}

const QStringList &RefNames()
{
    static const QStringList names{"", "SHE", "Ag|AgCl|sat.", "SCE", "RHE"};
    return names;
}

const std::array<double, 5> &RefPotentials()
{
    static const std::array<double, 5> potentials{0, 0, 0.199, 0.241, 0};
    return potentials;
}

const std::array<QRgb, 10> &TrackColors()
{
    static const std::array<QRgb, 10> colors = [] {
        std::array<QRgb, 10> c{};
        for (int i = 0; i < 10; ++i)
            c[static_cast<std::size_t>(i)] = hlsToRgb(48 + 18 * i, 16, 31);
        return c;
    }();
    return colors;
}

const std::array<QRgb, 10> &TrackLightColors()
{
    static const std::array<QRgb, 10> colors = [] {
        std::array<QRgb, 10> c{};
        for (int i = 0; i < 10; ++i)
            c[static_cast<std::size_t>(i)] = hlsToRgb(48 + 18 * i, 24, 20);
        return c;
    }();
    return colors;
}

QString modeName(int mode)
{
    return mode >= 0 && mode < ModeNames().size() ? ModeNames().at(mode) : QString();
}

QString modeCaption(int mode)
{
    return mode >= 0 && mode < ModeCaptions().size() ? ModeCaptions().at(mode) : QString();
}

QString refName(int ref)
{
    return ref >= 0 && ref < RefNames().size() ? RefNames().at(ref) : QString();
}

double unitFactor(int unit)
{
    return unit >= 0 && unit < UnitFactors().size() ? parseDecimal(UnitFactors().at(unit)) : 0.0;
}

} // namespace tervo
