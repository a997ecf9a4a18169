#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace tervo::sim {

// Names of the cell models this library builds.
inline const QString kRedoxCoupleModel = QStringLiteral("Redox couple");
inline const QString kOxygenReductionModel = QStringLiteral("Oxygen reduction (RRDE)");
inline const QString kPotentialStepModel = QStringLiteral("Potential step");
inline const QString kFilmElectrodeModel = QStringLiteral("Redox couple on a porous film");

// The physical make-up of a simulated cell. Units are the bench units of the lab; the models
// convert. Fields a model does not use are ignored by it.
struct CellParameters {
    double concentration = 1.0;         // mM, oxidised form (O2 for oxygen reduction)
    double reducedConcentration = 0.0;  // mM, reduced form of the couple
    double electrons = 1;               // electrons per molecule of the couple
    double diffusion = 1.0e-5;          // cm^2/s
    double viscosity = 0.01;            // cm^2/s, kinematic
    double area = 0.196;                // cm^2 (5 mm disk)
    double rateConstant = 1.0;          // cm/s, standard rate constant (4-electron path for O2)
    double transferCoefficient = 0.5;   // cathodic transfer coefficient
    double formalPotential = 0.2;       // V against the reference
    double doubleLayer = 20;            // uF/cm^2
    double resistance = 20;             // ohm, uncompensated
    double filmCapacitance = 0;         // mF/cm^2, porous film charged through filmResistance
    double filmResistance = 0;          // ohm, ionic resistance of the film (0: no film)
    double temperature = 25;            // degrees C
    double noise = 1e-9;                // A, rms of the white noise on each current
    double mainsAmplitude = 0;          // A, mains pick-up (0: none)
    double mainsFrequency = 50;         // Hz
    double collectionEfficiency = 0.37; // ring collection efficiency N
    double peroxideRateConstant = 0;    // cm/s, 2-electron path at the formal potential
    double peroxideTransferCoefficient = 0.5;
    double seed = 1; // noise seed (a whole number)

    bool operator==(const CellParameters &) const = default;

    // Every value brought into its allowed range.
    CellParameters sanitized() const;
};

// One editable field: its key in the text form, unit, what it means and its range.
struct CellParameterInfo {
    const char *key;
    const char *unit;
    const char *description;
    double CellParameters::*field;
    double min;
    double max;
};

const std::vector<CellParameterInfo> &cellParameterInfos();

// The model names known here, in menu order.
QStringList cellModelNames();

// Defaults chosen to look like a typical experiment with the model; an unknown name gets those of
// the redox couple.
CellParameters defaultCellParameters(const QString &model);

// A model and its parameters, as kept in the cell file beside the settings.
struct CellSetup {
    QString model = kRedoxCoupleModel;
    CellParameters parameters;

    bool operator==(const CellSetup &) const = default;
};

inline const QString kCellSetupFileName = QStringLiteral("SimulatedCell.txt");

// "key=value" lines, CR LF, the model first ("Model=Redox couple").
QString cellSetupText(const CellSetup &setup);
// Starts from the model's defaults; unknown keys and values that are not numbers are skipped,
// values out of range are brought into range.
CellSetup parseCellSetupText(QStringView text);

bool writeCellSetupFile(const QString &path, const CellSetup &setup);
// False (and the redox couple's defaults) when the file cannot be read.
bool readCellSetupFile(const QString &path, CellSetup &setup);

} // namespace tervo::sim
