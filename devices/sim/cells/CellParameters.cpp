#include "CellParameters.h"

#include "core/FileRead.h"
#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace tervo::sim {

namespace {

const QString kModelKey = QStringLiteral("Model");

} // namespace

const std::vector<CellParameterInfo> &cellParameterInfos()
{
    using P = CellParameters;
    static const std::vector<CellParameterInfo> infos = {
        {"Concentration", "mM", "bulk concentration of the oxidised form (O2)", &P::concentration,
         0, 1000},
        {"ReducedConcentration", "mM", "bulk concentration of the reduced form",
         &P::reducedConcentration, 0, 1000},
        {"Electrons", "", "electrons transferred per molecule of the couple", &P::electrons, 1, 10},
        {"DiffusionCoefficient", "cm2/s", "diffusion coefficient", &P::diffusion, 1e-9, 1e-3},
        {"KinematicViscosity", "cm2/s", "kinematic viscosity of the solution", &P::viscosity, 1e-4,
         1},
        {"ElectrodeArea", "cm2", "disk electrode area", &P::area, 1e-6, 100},
        {"RateConstant", "cm/s", "standard rate constant (4-electron path for O2)",
         &P::rateConstant, 1e-15, 1e3},
        {"TransferCoefficient", "", "cathodic transfer coefficient", &P::transferCoefficient, 0.05,
         0.95},
        {"FormalPotential", "V", "formal potential against the reference", &P::formalPotential, -5,
         5},
        {"DoubleLayerCapacitance", "uF/cm2", "double-layer capacitance per area", &P::doubleLayer,
         0, 1e4},
        {"UncompensatedResistance", "ohm", "uncompensated solution resistance", &P::resistance, 0,
         1e7},
        {"FilmCapacitance", "mF/cm2", "capacitance of a porous film on the disk per area",
         &P::filmCapacitance, 0, 1e3},
        {"FilmResistance", "ohm", "ionic resistance through which the film charges (0: no film)",
         &P::filmResistance, 0, 1e7},
        {"Temperature", "C", "cell temperature", &P::temperature, -20, 100},
        {"NoiseAmplitude", "A", "rms white noise on each current", &P::noise, 0, 1},
        {"MainsAmplitude", "A", "amplitude of the mains pick-up", &P::mainsAmplitude, 0, 1},
        {"MainsFrequency", "Hz", "mains frequency", &P::mainsFrequency, 0, 1e4},
        {"CollectionEfficiency", "", "ring collection efficiency N", &P::collectionEfficiency, 0,
         1},
        {"PeroxideRateConstant", "cm/s", "rate constant of the 2-electron path to H2O2",
         &P::peroxideRateConstant, 0, 1e3},
        {"PeroxideTransferCoefficient", "", "transfer coefficient of the 2-electron path",
         &P::peroxideTransferCoefficient, 0.05, 0.95},
        {"Seed", "", "noise seed", &P::seed, 0, 9007199254740992.0},
    };
    return infos;
}

CellParameters CellParameters::sanitized() const
{
    const CellParameters fallback;
    CellParameters p = *this;
    for (const CellParameterInfo &info : cellParameterInfos()) {
        double &v = p.*info.field;
        if (!std::isfinite(v))
            v = fallback.*info.field;
        v = std::clamp(v, info.min, info.max);
    }
    p.electrons = std::round(p.electrons);
    p.seed = std::floor(p.seed);
    return p;
}

QStringList cellModelNames()
{
    return {kRedoxCoupleModel, kOxygenReductionModel, kPotentialStepModel, kFilmElectrodeModel};
}

CellParameters defaultCellParameters(const QString &model)
{
    CellParameters p;
    if (model == kOxygenReductionModel) {
        // O2-saturated 0.1 M acid at a Pt disk; potentials on the RHE scale. Half-wave potential
        // near 0.8 V at 1600 rpm. Platinum makes little peroxide: the 2-electron share is about
        // 2.5 % in the kinetic region and grows slowly to about 8 % at 0.1 V, as the two paths'
        // transfer coefficients differ by only 0.04.
        p.concentration = 1.2;
        p.reducedConcentration = 0;
        p.diffusion = 1.9e-5;
        p.rateConstant = 3e-6;
        p.transferCoefficient = 0.5;
        p.formalPotential = 1.23;
        p.peroxideRateConstant = 4.5e-8;
        p.peroxideTransferCoefficient = 0.54;
        p.doubleLayer = 40;
        p.resistance = 20;
        p.noise = 5e-9;
    } else if (model == kPotentialStepModel) {
        // Dilute supporting electrolyte: a charging time constant of about 2 ms that a 1 kHz
        // sampling shows.
        p.resistance = 250;
        p.doubleLayer = 40;
        p.noise = 2e-9;
    } else if (model == kFilmElectrodeModel) {
        // A catalyst layer of high surface area: about 1 mF charged through 2 kohm, so every
        // potential step relaxes over some seconds, as steady-state staircases meet it.
        p.filmCapacitance = 5;
        p.filmResistance = 2000;
    }
    return p;
}

QString cellSetupText(const CellSetup &setup)
{
    QString text = kModelKey + QLatin1Char('=') + setup.model + QStringLiteral("\r\n");
    for (const CellParameterInfo &info : cellParameterInfos()) {
        text += QLatin1String(info.key) + QLatin1Char('=') +
                formatGeneral(setup.parameters.*info.field) + QStringLiteral("\r\n");
    }
    return text;
}

CellSetup parseCellSetupText(QStringView text)
{
    const QByteArray utf8 = text.toUtf8();
    LineReader reader(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    QStringList lines;
    std::string_view raw;
    while (reader.next(raw))
        lines << QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
    CellSetup setup;
    for (QStringView line : lines) {
        line = line.trimmed();
        if (line.startsWith(kModelKey + QLatin1Char('=')))
            setup.model = line.mid(kModelKey.size() + 1).trimmed().toString();
    }
    setup.parameters = defaultCellParameters(setup.model);
    for (QStringView line : lines) {
        line = line.trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QStringView key = line.left(eq).trimmed();
        const QStringView value = line.mid(eq + 1).trimmed();
        const std::string valueText = value.toString().toStdString();
        // A value that is not a number keeps the default rather than turning into 0.
        if (numericPrefixLength(valueText) == 0)
            continue;
        for (const CellParameterInfo &info : cellParameterInfos()) {
            if (key == QLatin1String(info.key)) {
                setup.parameters.*info.field = parseDecimal(std::string_view(valueText));
                break;
            }
        }
    }
    setup.parameters = setup.parameters.sanitized();
    return setup;
}

bool writeCellSetupFile(const QString &path, const CellSetup &setup)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(cellSetupText(setup).toUtf8());
    return file.commit();
}

bool readCellSetupFile(const QString &path, CellSetup &setup)
{
    QByteArray bytes;
    if (!readWholeFile(path, bytes).ok) {
        setup = CellSetup{};
        return false;
    }
    setup = parseCellSetupText(QString::fromUtf8(bytes));
    return true;
}

} // namespace tervo::sim
