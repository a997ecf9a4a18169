// The cell file: key=value text beside the settings.
#include "devices/sim/cells/CellFactory.h"
#include "devices/sim/cells/CellParameters.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace tervo::sim;

namespace {

QString fixture(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/cells/") + QLatin1String(name);
}

TEST(CellSetup, TextRoundTripsEveryModel)
{
    for (const QString &model : cellModelNames()) {
        CellSetup setup{model, defaultCellParameters(model)};
        setup.parameters.noise = 3.25e-9;
        setup.parameters.formalPotential = -0.123;
        setup.parameters.seed = 123456789;
        const QString text = cellSetupText(setup);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Model=") + model + QStringLiteral("\r\n")));
        EXPECT_EQ(parseCellSetupText(text), setup) << model.toStdString();
        // Every field is written once.
        EXPECT_EQ(text.count(QStringLiteral("\r\n")),
                  static_cast<qsizetype>(cellParameterInfos().size()) + 1);
    }
}

TEST(CellSetup, ModelsHaveTheirOwnDefaults)
{
    const CellParameters o2 = defaultCellParameters(kOxygenReductionModel);
    EXPECT_DOUBLE_EQ(o2.collectionEfficiency, 0.37);
    EXPECT_GT(o2.peroxideRateConstant, 0);
    EXPECT_NE(o2, defaultCellParameters(kRedoxCoupleModel));
    EXPECT_EQ(defaultCellParameters(QStringLiteral("nonsense")),
              defaultCellParameters(kRedoxCoupleModel));
    EXPECT_DOUBLE_EQ(defaultCellParameters(kRedoxCoupleModel).temperature, 25);
    for (const QString &model : cellModelNames())
        EXPECT_EQ(defaultCellParameters(model).sanitized(), defaultCellParameters(model));
}

TEST(CellSetup, ReadsCrLfFileOverTheModelDefaults)
{
    CellSetup setup;
    ASSERT_TRUE(readCellSetupFile(fixture("oxygen-crlf.txt"), setup));
    EXPECT_EQ(setup.model, kOxygenReductionModel);
    EXPECT_DOUBLE_EQ(setup.parameters.concentration, 1.1);
    EXPECT_DOUBLE_EQ(setup.parameters.diffusion, 1.8e-5);
    EXPECT_DOUBLE_EQ(setup.parameters.collectionEfficiency, 0.42);
    EXPECT_DOUBLE_EQ(setup.parameters.seed, 12);
    // Keys the file leaves out keep the oxygen defaults.
    EXPECT_DOUBLE_EQ(setup.parameters.formalPotential,
                     defaultCellParameters(kOxygenReductionModel).formalPotential);
}

TEST(CellSetup, BadValuesAreSkippedOrBroughtIntoRange)
{
    CellSetup setup;
    ASSERT_TRUE(readCellSetupFile(fixture("bad-values.txt"), setup));
    const CellParameters defaults = defaultCellParameters(kRedoxCoupleModel);
    EXPECT_DOUBLE_EQ(setup.parameters.concentration, defaults.concentration); // not a number
    EXPECT_DOUBLE_EQ(setup.parameters.diffusion, 1e-9);                       // clamped up
    EXPECT_DOUBLE_EQ(setup.parameters.temperature, 100);                      // clamped down
    EXPECT_DOUBLE_EQ(setup.parameters.rateConstant, 0.01); // blanks and a unit after the number
    EXPECT_DOUBLE_EQ(setup.parameters.electrons, 3);       // whole electrons
    EXPECT_DOUBLE_EQ(setup.parameters.seed, 4);
}

TEST(CellSetup, UnknownModelAndMissingModelLine)
{
    CellSetup setup;
    ASSERT_TRUE(readCellSetupFile(fixture("unknown-model.txt"), setup));
    // Another library's model keeps its name so the rig can build it.
    EXPECT_EQ(setup.model, QStringLiteral("Dummy"));
    EXPECT_DOUBLE_EQ(setup.parameters.concentration, 2);
    EXPECT_EQ(makeCellModel(setup), nullptr);

    ASSERT_TRUE(readCellSetupFile(fixture("no-model-line.txt"), setup));
    EXPECT_EQ(setup.model, kRedoxCoupleModel);
    EXPECT_DOUBLE_EQ(setup.parameters.concentration, 4); // the last line wins
}

TEST(CellSetup, WritesAndReadsBackAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(kCellSetupFileName);
    CellSetup setup{kPotentialStepModel, defaultCellParameters(kPotentialStepModel)};
    setup.parameters.resistance = 470;
    ASSERT_TRUE(writeCellSetupFile(path, setup));
    CellSetup back;
    ASSERT_TRUE(readCellSetupFile(path, back));
    EXPECT_EQ(back, setup);

    CellSetup missing{kOxygenReductionModel, {}};
    EXPECT_FALSE(readCellSetupFile(dir.filePath(QStringLiteral("absent.txt")), missing));
    EXPECT_EQ(missing, CellSetup{});
    EXPECT_FALSE(writeCellSetupFile(dir.filePath(QStringLiteral("no/such/folder/x.txt")), setup));
}

TEST(CellSetup, SanitizedReplacesNonFiniteValues)
{
    CellParameters p;
    p.area = std::nan("");
    p.concentration = -1;
    p.transferCoefficient = 2;
    const CellParameters s = p.sanitized();
    EXPECT_DOUBLE_EQ(s.area, CellParameters{}.area);
    EXPECT_DOUBLE_EQ(s.concentration, 0);
    EXPECT_DOUBLE_EQ(s.transferCoefficient, 0.95);
}

} // namespace
