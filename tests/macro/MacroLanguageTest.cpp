#include "macro/MacroLanguage.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

MacroLine parse(const char *line, int n = 1)
{
    return parseMacroLine(QString::fromUtf8(line), n);
}

} // namespace

struct ErrorCase {
    const char *line;
    int number;
    const char *message;
};

class MacroErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(MacroErrors, NameTheLineAndTheSignature)
{
    const MacroLine l = parse(GetParam().line, GetParam().number);
    EXPECT_EQ(l.kind, MacroLine::Error);
    EXPECT_EQ(l.error, QString::fromUtf8(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Language, MacroErrors,
    ::testing::Values(
        ErrorCase{"CV.Title", 3, "3line Syntax error:CV.Title Title"},
        ErrorCase{"CV.Voltage 0.6 1.2", 2, "2line Syntax error:CV.Voltage V1st V2nd V3rd"},
        ErrorCase{"\tCV.Start", 5, "5line Syntax Error"},
        ErrorCase{"cv.start", 1, "1line Syntax Error"},
        ErrorCase{"CVF.Title", 7, "7line Syntax error:CVF.Title TrackNum"},
        ErrorCase{"PS.MeasureMode", 4, "4line Syntax error:PS.Measuremode mode"},
        ErrorCase{"Power 1", 9, "9line Syntax error:Power ch sw"},
        ErrorCase{"SSV.CurrentTolerance", 2, "2line Syntax error:SSV.CurrentTolerance i/%"},
        ErrorCase{"Mail.DisplayName", 1, "1line Syntax error:Mail.DisplayName Displayname"},
        ErrorCase{"File.Save", 2, "2line Syntax error:File.Save Path"},
        ErrorCase{"RPMvsi.RPM 200 1200", 6, "6line Syntax error:RPMvsi.RPM Start End Speed"},
        // Too large for the argument's integer type.
        ErrorCase{"CV.Repeat 3e9", 8, "8line Overflow:CV.Repeat RepeatNum"},
        ErrorCase{"PS.MeasureMode 32768", 2, "2line Overflow:PS.Measuremode mode"},
        ErrorCase{"Power 1 256", 3, "3line Overflow:Power ch sw"},
        ErrorCase{"Power 1 -1", 3, "3line Overflow:Power ch sw"},
        // A number argument that is not a finite number, of every kind of argument.
        ErrorCase{"Wait NaN", 4, "4line Syntax error:Wait time/ms"},
        ErrorCase{"CV.DiskScale NaN", 2, "2line Syntax error:CV.DiskScale YScale"},
        ErrorCase{"CV.Scanrate Inf", 3, "3line Overflow:CV.Scanrate Scanrate/s"},
        ErrorCase{"CV.Scanrate -Inf", 3, "3line Overflow:CV.Scanrate Scanrate/s"},
        ErrorCase{"CV.Voltage 0 1e999 0", 1, "1line Overflow:CV.Voltage V1st V2nd V3rd"},
        ErrorCase{"CV.RPM Inf", 5, "5line Overflow:CV.RPM RPM"},
        ErrorCase{"RPMvsi.RPM 200 1200 NaN", 6, "6line Syntax error:RPMvsi.RPM Start End Speed"}));

TEST(MacroLanguage, LinesAreTrimmedOfSpacesAndCommentsSkipped)
{
    const MacroLine indented = parse("    CV.Start   ");
    ASSERT_EQ(indented.kind, MacroLine::Command);
    EXPECT_STREQ(indented.command->name, "CV.Start");
    EXPECT_TRUE(indented.command->acts);
    EXPECT_EQ(parse("'CV.Start").kind, MacroLine::Skip);
    EXPECT_EQ(parse("   ").kind, MacroLine::Skip);
    EXPECT_EQ(parse("").kind, MacroLine::Skip);
}

TEST(MacroLanguage, TextArgumentsAreWordOneAlone)
{
    EXPECT_EQ(parse("CV.Title Pt disk").text, "Pt");
    // Two blanks give an empty word 1.
    EXPECT_EQ(parse("CV.Title  Pt").text, "");
    EXPECT_EQ(parse("Mail.DisplayName Taro  Yamada").text, "Taro  Yamada");
    EXPECT_EQ(parse("Mail.DisplayName Lab").text, "Lab");
    EXPECT_EQ(parse("File.Save results/run1.tvd now").text, "results/run1.tvd");
}

TEST(MacroLanguage, NumbersAreLeadingDecimalsRoundedHalfToEven)
{
    const MacroLine v = parse("CV.Voltage 1e-3 -0.25 5V");
    ASSERT_EQ(v.kind, MacroLine::Command);
    EXPECT_EQ(v.numbers, (std::array<double, 3>{1e-3, -0.25, 5}));
    EXPECT_EQ(parse("CV.Repeat 2.5").numbers[0], 2);
    EXPECT_EQ(parse("CV.Repeat 3.5").numbers[0], 4);
    EXPECT_EQ(parse("CV.Repeat -2.5").numbers[0], -2);
    EXPECT_EQ(parse("CV.Repeat many").numbers[0], 0);
    // Surplus arguments are ignored.
    EXPECT_EQ(parse("Wait 100 200").numbers[0], 100);
}

TEST(MacroLanguage, NumberTextIsTheShortestForm)
{
    EXPECT_EQ(parse("CV.RPM 0300").text, "300");
    EXPECT_EQ(parse("RDE.RPM fast").text, "0");
    EXPECT_EQ(parse("CV.Setting 2.0").text, "2");
}

TEST(MacroLanguage, EveryCommandIsFoundByItsExactName)
{
    int count = 0;
    for (const MacroCommand &c : macroVocabulary()) {
        EXPECT_EQ(findMacroCommand(QString::fromLatin1(c.name)), &c) << c.name;
        // A command with arguments names them in its signature, one without has none.
        EXPECT_EQ(c.args.empty(), std::string_view(c.signature).empty()) << c.name;
        ++count;
    }
    EXPECT_EQ(count, 101);
    EXPECT_EQ(findMacroCommand(u"CV.start"), nullptr);
    EXPECT_EQ(findMacroCommand(u"CV"), nullptr);
}

TEST(MacroLanguage, OnlyMeasuringWaitingTurningSwitchingAndSavingAreSkippedInDebugMode)
{
    QStringList acting;
    for (const MacroCommand &c : macroVocabulary())
        if (c.acts)
            acting << QLatin1StringView(c.name);
    acting.sort();
    EXPECT_EQ(acting, (QStringList{"CV.Start", "CVF.Start", "File.Save", "Motor.Off", "Motor.On",
                                   "PS.Start", "Power", "RDE.Start", "RPMvsi.Start", "SSV.Start",
                                   "SetPotential", "Wait"}));
}

TEST(MacroLanguage, CheckReportsTheFirstBadLine)
{
    QString message;
    EXPECT_EQ(checkMacro({"CVMeasureMode", "' note", "CV.Title", "Bogus"}, &message), 3);
    EXPECT_EQ(message, "3line Syntax error:CV.Title Title");
    EXPECT_EQ(checkMacro({"CVMeasureMode", "CV.Start", ""}), 0);
}

TEST(MacroLanguage, TemplatesByteForByte)
{
    const std::pair<MacroTemplate, const char *> cases[] = {
        {MacroTemplate::CV,
         "CVMeasureMode|    CV.RecordTrack 0|    CV.Title SampleName|    CV.Setting 0|    CV.RPM 0|"
         "    CV.DiskScale 1e-3|    CV.Voltage 0.6 1.25 -0.25|    CV.RetainTime 10|"
         "    CV.Scanrate 20|    CV.Repeat 3|    CV.SamplingRate 5|    CV.Accumlation 200|"
         "    CV.Start|CV.END|"},
        {MacroTemplate::RRDE,
         "RDEMeasureMode|    RDE.RecordTrack 0|    RDE.DiskScale 1e-3|    RDE.RingScale 1e-4|"
         "    RDE.Title SampleName|    RDE.RPM 300|    RDE.Voltage 1 -0.3 1|    RDE.RetainTime 10|"
         "    RDE.Scanrate 5|    RDE.Repeat 1|    RDE.SamplingRate 2|    RDE.Accumlation 500|"
         "    RDE.Start|RDE.END|"},
        {MacroTemplate::PSTime,
         "PotentialStepMode|    PS.RecordTrack 0|    PS.Title SampleName|    PS.DiskScale 1e-3|"
         "    PS.Voltage 1 0.2|    PS.MeasureMode 0|    PS.RetainTime 30|    PS.RPM 0|"
         "    PS.MeasureTime 10|    PS.InitSamplingRate 50|    PS.Accumlation 20|    PS.Start|"
         "PS.END|"},
        {MacroTemplate::PSCoulomb,
         "PotentialStepMode|    PS.RecordTrack 0|    PS.Title SampleName|    PS.DiskScale 1e-3|"
         "    PS.Voltage 1 0.2|    PS.Coulomb 0.1|    PS.RetainTime 30|    PS.MeasureTime 10|"
         "    PS.InitSamplingRate 50|    PS.Accumlation 20|    PS.Start|PS.END|"},
        {MacroTemplate::RPMvsi,
         "RPMvsiMode|    RPMvsi.RecordTrack 0|    RPMvsi.DiskScale 1e-3|"
         "    RPMvsi.Title SampleName|    RPMvsi.mode 2|    RPMvsi.Potential 0.2|"
         "    RPMvsi.RetainTime 10|    RPMvsi.RPM 200 1200 10|    RPMvsi.SamplingRate 1|"
         "    RPMvsi.Accumlation 1000|    RPMvsi.Start|RPMvsi.END|"},
        {MacroTemplate::SSV,
         "SSVMeasureMode|    SSV.RecordTrack 0|    SSV.DiskScale 1e-3|    SSV.RingScale 1e-4|"
         "    SSV.Title SampleName|    SSV.RPM 300|    SSV.Voltage 1 -0.2|"
         "    SSV.Acceleratemode 1|    SSV.CurrentTolerance 1|    SSV.SetSkipMode 1|"
         "    SSV.AppliedCurrent 5|    SSV.VoltStep 0.005|    SSV.StepTime 30|    SSV.Segment 2|"
         "    SSV.SamplingRate 2|    SSV.Accumlation 500|    SSV.SendtoClip 1|    SSV.MinTime 1|"
         "    SSV.RecordNextTrack 1|    SSV.Start|SSV.END|"},
        {MacroTemplate::Mail, "Mail.DisplayName Displayname|Mail.Address Address|"
                              "Mail.Subject Subject|Mail.MsgNote MsgNote|Mail.Send|"},
    };
    for (const auto &[which, lines] : cases) {
        QString expected = QString::fromUtf8(lines);
        expected.replace(QLatin1Char('|'), QStringLiteral("\r\n"));
        EXPECT_EQ(macroTemplateText(which), expected);
        // Every template line is valid macro text.
        EXPECT_EQ(checkMacro(splitMacroLines(expected)), 0);
    }
    EXPECT_EQ(macroTemplateCaptions().size(), 7);
}

TEST(MacroFiles, SaveAppendsTheExtensionAndOneLineEnd)
{
    EXPECT_EQ(macroFileName("/tmp/series"), "/tmp/series.tvm");
    EXPECT_EQ(macroFileName("/tmp/series.tvm"), "/tmp/series.tvm");
    QTemporaryDir dir;
    const QString path = dir.filePath("a.tvm");
    ASSERT_TRUE(saveMacroFile(path, "CVMeasureMode\r\nCV.Start"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("CVMeasureMode\r\nCV.Start\r\n"));
    EXPECT_FALSE(saveMacroFile(dir.filePath("missing/a.tvm"), "x"));
}

TEST(MacroFiles, OpenRebuildsTheTextWithALineEndAfterEveryLine)
{
    const std::pair<const char *, const char *> cases[] = {
        {"lf-endings.tvm", "CVMeasureMode\r\nCV.Start\r\n"},
        {"no-final-end.tvm", "Wait 10\r\n\r\nMotor.Off\r\n"},
        {"empty.tvm", ""},
        {"lone-cr.tvm", "CV.Title a\r\nCV.Title b\r\n"},
        {"bom.tvm", "CVMeasureMode\r\nCV.Start\r\n"},
    };
    for (const auto &[file, text] : cases) {
        QString loaded = QStringLiteral("unchanged");
        ASSERT_TRUE(loadMacroFile(QStringLiteral(TERVO_TEST_DATA "/macro/") + file, loaded))
            << file;
        EXPECT_EQ(loaded, QString::fromUtf8(text)) << file;
    }
    QString kept = QStringLiteral("kept");
    EXPECT_FALSE(loadMacroFile(QStringLiteral(TERVO_TEST_DATA "/macro/absent.tvm"), kept));
    EXPECT_EQ(kept, "kept");
}
