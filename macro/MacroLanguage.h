#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <cstdint>
#include <span>

namespace tervo {

// Every command of the macro language.
enum class MacroOp {
    // Cyclic voltammetry (CV and the second window CVF share the operations).
    MeasureMode,
    RecordTrack,
    Title,
    Rpm,
    Setting,
    DiskScale,
    RingScale,
    Voltage,
    RetainTime,
    Scanrate,
    Repeat,
    SamplingRate,
    Accumlation,
    Start,
    End,
    // Potential step.
    MeasureMethod,
    Coulomb,
    MeasureTime,
    InitSamplingRate,
    // Rotation-rate sweep.
    RateMethod,
    Potential,
    RateSweep,
    // Steady-state voltammetry.
    Acceleratemode,
    CurrentTolerance,
    SkipMode,
    AppliedCurrent,
    VoltStep,
    StepTime,
    Segment,
    SendtoClip,
    MinTime,
    RecordNextTrack,
    // Instrument and general.
    SetPotential,
    Sound,
    Wait,
    MotorOn,
    MotorOff,
    Power,
    MailDisplayName,
    MailAddress,
    MailSubject,
    MailMsgNote,
    MailSend,
    FileSave,
};

// The window a command addresses.
enum class MacroTarget { CV, CVF, RDE, PS, RPMvsi, SSV, General };

// How an argument word is read.
enum class MacroArg {
    Long,    // 32-bit integer, halves to even
    Integer, // 16-bit integer
    Byte,    // 0..255
    Double,
    Text,       // word 1 as written
    NumberText, // the text of the word's number ("0300" gives "300")
    Words,      // words 1..n joined by single spaces
};

struct MacroCommand {
    const char *name;
    MacroTarget target;
    MacroOp op;
    // The text after "line Syntax error:"; empty for commands without arguments.
    const char *signature;
    std::span<const MacroArg> args;
    // Skipped in debug mode.
    bool acts = false;
};

// One line after parsing: skipped (empty or comment), a command with its arguments, or an error
// with the message box text.
struct MacroLine {
    enum Kind { Skip, Command, Error };
    Kind kind = Skip;
    const MacroCommand *command = nullptr;
    std::array<double, 3> numbers{}; // integer arguments already rounded
    QString text;
    QString error;
};

// The whole vocabulary, sorted by name.
std::span<const MacroCommand> macroVocabulary();
const MacroCommand *findMacroCommand(QStringView name);

// Parses one line; lineNumber is 1-based and only used in the error texts.
MacroLine parseMacroLine(QStringView line, int lineNumber);

// The editor text split at CR LF into the run's lines.
QStringList splitMacroLines(const QString &text);

// The lines up to the first error; the error's 1-based line number, or 0 when there is none.
// Nothing is run: this is what a run would report first.
int checkMacro(const QStringList &lines, QString *message = nullptr);

// The editor's template blocks, every line ending in CR LF.
enum class MacroTemplate { CV, RRDE, PSTime, PSCoulomb, RPMvsi, SSV, Mail };
QString macroTemplateText(MacroTemplate which);
// The Template menu's captions, in the order of MacroTemplate.
QStringList macroTemplateCaptions();

// Macro files: saving appends ".tvm" when missing and one CR LF after the text; opening rebuilds
// the text with CR LF after every line. Both return false on a file error.
QString macroFileName(const QString &chosen);
bool saveMacroFile(const QString &path, const QString &text, QString *error = nullptr);
bool loadMacroFile(const QString &path, QString &text, QString *error = nullptr);

} // namespace tervo
