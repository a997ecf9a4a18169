#include "MacroLanguage.h"

#include "core/FileRead.h"
#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tervo {

namespace {

using A = MacroArg;
using O = MacroOp;
using T = MacroTarget;

constexpr MacroArg kLong[] = {A::Long};
constexpr MacroArg kInteger[] = {A::Integer};
constexpr MacroArg kDouble[] = {A::Double};
constexpr MacroArg kDouble2[] = {A::Double, A::Double};
constexpr MacroArg kDouble3[] = {A::Double, A::Double, A::Double};
constexpr MacroArg kText[] = {A::Text};
constexpr MacroArg kNumberText[] = {A::NumberText};
constexpr MacroArg kWords[] = {A::Words};
constexpr MacroArg kPower[] = {A::Integer, A::Byte};

constexpr std::span<const MacroArg> none{};

// The commands in the order of their tables; sorted by name on first use.
constexpr MacroCommand kCommands[] = {
    {"CVMeasureMode", T::CV, O::MeasureMode, "", none},
    {"CV.RecordTrack", T::CV, O::RecordTrack, "CV.RecordTrack TrackNum", kLong},
    {"CV.Title", T::CV, O::Title, "CV.Title Title", kText},
    {"CV.RPM", T::CV, O::Rpm, "CV.RPM RPM", kNumberText},
    {"CV.Setting", T::CV, O::Setting, "CV.Setting SettingNum", kNumberText},
    {"CV.DiskScale", T::CV, O::DiskScale, "CV.DiskScale YScale", kDouble},
    {"CV.Voltage", T::CV, O::Voltage, "CV.Voltage V1st V2nd V3rd", kDouble3},
    {"CV.RetainTime", T::CV, O::RetainTime, "CV.RetainTime InitialTime/s", kLong},
    {"CV.Scanrate", T::CV, O::Scanrate, "CV.Scanrate Scanrate/s", kDouble},
    {"CV.Repeat", T::CV, O::Repeat, "CV.Repeat RepeatNum", kLong},
    {"CV.SamplingRate", T::CV, O::SamplingRate, "CV.SamplingRate Samplingrate/Hz", kDouble},
    {"CV.Accumlation", T::CV, O::Accumlation, "CV.Accumlation Accum.Num.", kLong},
    {"CV.Start", T::CV, O::Start, "", none, true},
    {"CV.END", T::CV, O::End, "", none},

    {"CVFMeasureMode", T::CVF, O::MeasureMode, "", none},
    {"CVF.RecordTrack", T::CVF, O::RecordTrack, "CVF.RecordTrack TrackNum", kLong},
    {"CVF.Title", T::CVF, O::Title, "CVF.Title TrackNum", kText},
    {"CVF.RPM", T::CVF, O::Rpm, "CVF.RPM RPM", kNumberText},
    {"CVF.Setting", T::CVF, O::Setting, "CVF.Setting SettingNum", kNumberText},
    {"CVF.DiskScale", T::CVF, O::DiskScale, "CVF.DiskScale YScale", kDouble},
    {"CVF.Voltage", T::CVF, O::Voltage, "CVF.Voltage V1st V2nd V3rd", kDouble3},
    {"CVF.RetainTime", T::CVF, O::RetainTime, "CVF.RetainTime InitialTime/s", kLong},
    {"CVF.Scanrate", T::CVF, O::Scanrate, "CVF.Scanrate Scanrate/s", kDouble},
    {"CVF.Repeat", T::CVF, O::Repeat, "CVF.Repeat RepeatNum", kLong},
    {"CVF.SamplingRate", T::CVF, O::SamplingRate, "CVF.SamplingRate Samplingrate/Hz", kDouble},
    {"CVF.Accumlation", T::CVF, O::Accumlation, "CVF.Accumlation Accum.Num.", kLong},
    {"CVF.Start", T::CVF, O::Start, "", none, true},
    {"CVF.END", T::CVF, O::End, "", none},

    {"RDEMeasureMode", T::RDE, O::MeasureMode, "", none},
    {"RDE.RecordTrack", T::RDE, O::RecordTrack, "RDE.RecordTrack TrackNum", kLong},
    {"RDE.DiskScale", T::RDE, O::DiskScale, "RDE.DiskScale YScale", kDouble},
    {"RDE.RingScale", T::RDE, O::RingScale, "RDE.RingScale YScale", kDouble},
    {"RDE.Title", T::RDE, O::Title, "RDE.Title TrackNum", kText},
    {"RDE.RPM", T::RDE, O::Rpm, "RDE.RPM RPM", kNumberText},
    {"RDE.Voltage", T::RDE, O::Voltage, "RDE.Voltage V1st V2nd V3rd", kDouble3},
    {"RDE.RetainTime", T::RDE, O::RetainTime, "RDE.RetainTime RetainTime/s", kLong},
    {"RDE.Scanrate", T::RDE, O::Scanrate, "RDE.Scanrate Scanrate/s", kDouble},
    {"RDE.Repeat", T::RDE, O::Repeat, "RDE.Repeat RepeatNum", kLong},
    {"RDE.SamplingRate", T::RDE, O::SamplingRate, "RDE.SamplingRate Samplingrate/Hz", kDouble},
    {"RDE.Accumlation", T::RDE, O::Accumlation, "RDE.Accumlation Accum.Num.", kLong},
    {"RDE.Start", T::RDE, O::Start, "", none, true},
    {"RDE.END", T::RDE, O::End, "", none},

    {"PotentialStepMode", T::PS, O::MeasureMode, "", none},
    {"PS.RecordTrack", T::PS, O::RecordTrack, "PS.RecordTrack TrackNum", kLong},
    {"PS.Title", T::PS, O::Title, "PS.Title TrackNum", kText},
    {"PS.DiskScale", T::PS, O::DiskScale, "PS.DiskScale YScale", kDouble},
    {"PS.Voltage", T::PS, O::Voltage, "PS.Voltage V1st V2nd", kDouble2},
    {"PS.MeasureMode", T::PS, O::MeasureMethod, "PS.Measuremode mode", kInteger},
    {"PS.RPM", T::PS, O::Rpm, "PS.RPM RPM", kNumberText},
    {"PS.RetainTime", T::PS, O::RetainTime, "PS.RetainTime RetainTime/s", kLong},
    {"PS.Coulomb", T::PS, O::Coulomb, "PS.Coulomb CoulombNumber/C", kDouble},
    {"PS.MeasureTime", T::PS, O::MeasureTime, "PS.MeasureTime MeasureTime/s", kLong},
    {"PS.InitSamplingRate", T::PS, O::InitSamplingRate, "PS.InitSamplingRate Samplingrate/Hz",
     kDouble},
    {"PS.Accumlation", T::PS, O::Accumlation, "PS.Accumlation Accum.Num.", kLong},
    {"PS.Start", T::PS, O::Start, "", none, true},
    {"PS.END", T::PS, O::End, "", none},

    {"RPMvsiMode", T::RPMvsi, O::MeasureMode, "", none},
    {"RPMvsi.RecordTrack", T::RPMvsi, O::RecordTrack, "RPMvsi.RecordTrack TrackNum", kLong},
    {"RPMvsi.Title", T::RPMvsi, O::Title, "RPMvsi.Title TrackNum", kText},
    {"RPMvsi.DiskScale", T::RPMvsi, O::DiskScale, "RPMvsi.DiskScale YScale", kDouble},
    {"RPMvsi.mode", T::RPMvsi, O::RateMethod, "RPMvsi.mode mode", kInteger},
    {"RPMvsi.Potential", T::RPMvsi, O::Potential, "RPMvsi.Potential V1st", kDouble},
    {"RPMvsi.RetainTime", T::RPMvsi, O::RetainTime, "RPMvsi.RetainTime RetainTime/s", kLong},
    {"RPMvsi.RPM", T::RPMvsi, O::RateSweep, "RPMvsi.RPM Start End Speed", kDouble3},
    {"RPMvsi.SamplingRate", T::RPMvsi, O::SamplingRate, "RPMvsi.SamplingRate Samplingrate/Hz",
     kDouble},
    {"RPMvsi.Accumlation", T::RPMvsi, O::Accumlation, "RPMvsi.Accumlation Accum.Num.", kLong},
    {"RPMvsi.Start", T::RPMvsi, O::Start, "", none, true},
    {"RPMvsi.END", T::RPMvsi, O::End, "", none},

    {"SSVMeasureMode", T::SSV, O::MeasureMode, "", none},
    {"SSV.RecordTrack", T::SSV, O::RecordTrack, "SSV.RecordTrack TrackNum", kDouble},
    {"SSV.DiskScale", T::SSV, O::DiskScale, "SSV.DiskScale YScale", kDouble},
    {"SSV.RingScale", T::SSV, O::RingScale, "SSV.RingScale YScale", kDouble},
    {"SSV.Title", T::SSV, O::Title, "SSV.Title TrackNum", kText},
    {"SSV.RPM", T::SSV, O::Rpm, "SSV.RPM RPM", kDouble},
    {"SSV.Voltage", T::SSV, O::Voltage, "SSV.Voltage V1st V2nd", kDouble2},
    {"SSV.Acceleratemode", T::SSV, O::Acceleratemode, "SSV.Acceleratemode mode", kDouble},
    {"SSV.CurrentTolerance", T::SSV, O::CurrentTolerance, "SSV.CurrentTolerance i/%", kDouble},
    {"SSV.SetSkipMode", T::SSV, O::SkipMode, "SSV.SetSkipMode mode", kDouble},
    {"SSV.AppliedCurrent", T::SSV, O::AppliedCurrent, "SSV.AppliedCurrent i/%", kDouble},
    {"SSV.VoltStep", T::SSV, O::VoltStep, "SSV.VoltStep Voltstep/V", kDouble},
    {"SSV.StepTime", T::SSV, O::StepTime, "SSV.StepTime StepTime/s", kDouble},
    {"SSV.Segment", T::SSV, O::Segment, "SSV.Segment SegmentNum.", kDouble},
    {"SSV.SamplingRate", T::SSV, O::SamplingRate, "SSV.SamplingRate Samplingrate/Hz", kDouble},
    {"SSV.Accumlation", T::SSV, O::Accumlation, "SSV.Accumlation Accum.Num.", kDouble},
    {"SSV.SendtoClip", T::SSV, O::SendtoClip, "SSV.SendtoClip mode", kDouble},
    {"SSV.MinTime", T::SSV, O::MinTime, "SSV.MinTime mode", kDouble},
    {"SSV.RecordNextTrack", T::SSV, O::RecordNextTrack, "SSV.RecordNextTrack mode", kDouble},
    {"SSV.Start", T::SSV, O::Start, "", none, true},
    {"SSV.END", T::SSV, O::End, "", none},

    {"SetPotential", T::General, O::SetPotential, "SetPotential E/V", kDouble, true},
    {"Sound", T::General, O::Sound, "Sound FileName", kText},
    {"Wait", T::General, O::Wait, "Wait time/ms", kLong, true},
    {"Motor.On", T::General, O::MotorOn, "Motor.On rpm", kLong, true},
    {"Motor.Off", T::General, O::MotorOff, "", none, true},
    {"Power", T::General, O::Power, "Power ch sw", kPower, true},
    {"Mail.DisplayName", T::General, O::MailDisplayName, "Mail.DisplayName Displayname", kWords},
    {"Mail.Address", T::General, O::MailAddress, "Mail.Address Address", kText},
    {"Mail.Subject", T::General, O::MailSubject, "Mail.Subject Subject", kText},
    {"Mail.MsgNote", T::General, O::MailMsgNote, "Mail.MsgNote MsgNote", kText},
    {"Mail.Send", T::General, O::MailSend, "", none},
    // A dry run replaces no results on disk.
    {"File.Save", T::General, O::FileSave, "File.Save Path", kText, true},
};

const std::vector<MacroCommand> &sortedCommands()
{
    static const std::vector<MacroCommand> sorted = [] {
        std::vector<MacroCommand> v(std::begin(kCommands), std::end(kCommands));
        std::sort(v.begin(), v.end(), [](const MacroCommand &a, const MacroCommand &b) {
            return std::string_view(a.name) < std::string_view(b.name);
        });
        return v;
    }();
    return sorted;
}

// The range an integer argument must fit once rounded.
bool fits(MacroArg kind, double v)
{
    switch (kind) {
    case A::Long:
        return v >= std::numeric_limits<std::int32_t>::min() &&
               v <= std::numeric_limits<std::int32_t>::max();
    case A::Integer:
        return v >= std::numeric_limits<std::int16_t>::min() &&
               v <= std::numeric_limits<std::int16_t>::max();
    case A::Byte:
        return v >= 0 && v <= 255;
    default:
        return true;
    }
}

QString lineNumberText(int lineNumber)
{
    return QString::number(lineNumber);
}

} // namespace

std::span<const MacroCommand> macroVocabulary()
{
    return sortedCommands();
}

const MacroCommand *findMacroCommand(QStringView name)
{
    const std::vector<MacroCommand> &v = sortedCommands();
    auto it = std::lower_bound(v.begin(), v.end(), name, [](const MacroCommand &c, QStringView n) {
        return QStringView(n).compare(QLatin1StringView(c.name)) > 0;
    });
    if (it != v.end() && name.compare(QLatin1StringView(it->name)) == 0)
        return &*it;
    return nullptr;
}

namespace {

// withText false only checks: the texts of the arguments are not built.
MacroLine parseLine(QStringView line, int lineNumber, bool withText)
{
    // Only spaces are trimmed: a tab stays part of the command and makes it unknown.
    qsizetype begin = 0, end = line.size();
    while (begin < end && line[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && line[end - 1] == QLatin1Char(' '))
        --end;
    line = line.sliced(begin, end - begin);

    MacroLine r;
    if (line.isEmpty() || line.front() == QLatin1Char('\''))
        return r;

    // Words at every single space; two blanks in a row give an empty word.
    constexpr int kMaxWords = 4;
    std::array<QStringView, kMaxWords> words;
    int count = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype space = line.indexOf(QLatin1Char(' '), from);
        const qsizetype stop = space < 0 ? line.size() : space;
        if (count < kMaxWords)
            words[static_cast<std::size_t>(count)] = line.sliced(from, stop - from);
        ++count;
        if (space < 0 || count >= kMaxWords)
            break;
        from = space + 1;
    }

    const MacroCommand *c = findMacroCommand(words[0]);
    if (!c) {
        r.kind = MacroLine::Error;
        r.error = lineNumberText(lineNumber) + QStringLiteral("line Syntax Error");
        return r;
    }
    const auto signatureError = [&](const char *what) {
        r.kind = MacroLine::Error;
        r.command = c;
        r.error =
            lineNumberText(lineNumber) + QLatin1StringView(what) + QLatin1StringView(c->signature);
        return r;
    };
    if (count - 1 < static_cast<int>(c->args.size()))
        return signatureError("line Syntax error:");

    for (std::size_t i = 0; i < c->args.size(); ++i) {
        const QStringView word = words[i + 1];
        double &number = r.numbers[i];
        const A kind = c->args[i];
        // A number argument must be a finite number: NaN is no number at all, Inf or a decimal
        // beyond the range of a double (1e999) overflows.
        if (kind != A::Text && kind != A::Words) {
            number = parseDecimal(word);
            if (std::isnan(number))
                return signatureError("line Syntax error:");
            if (std::isinf(number))
                return signatureError("line Overflow:");
        }
        switch (kind) {
        case A::Long:
        case A::Integer:
        case A::Byte:
            number = roundHalfEvenDouble(number);
            if (!fits(kind, number))
                return signatureError("line Overflow:");
            break;
        case A::Double:
            break;
        case A::Text:
            if (withText)
                r.text = word.toString();
            break;
        case A::NumberText:
            if (withText)
                r.text = formatGeneral(number);
            break;
        case A::Words:
            // Words 1..n joined by single spaces are the rest of the line, empty words included.
            if (withText)
                r.text = line.sliced(words[0].size() + 1).toString();
            break;
        }
    }
    r.kind = MacroLine::Command;
    r.command = c;
    return r;
}

} // namespace

MacroLine parseMacroLine(QStringView line, int lineNumber)
{
    return parseLine(line, lineNumber, true);
}

QStringList splitMacroLines(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

int checkMacro(const QStringList &lines, QString *message)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        MacroLine l = parseLine(lines[i], n, false);
        if (l.kind == MacroLine::Error) {
            if (message)
                *message = l.error;
            return n;
        }
    }
    return 0;
}

QString macroTemplateText(MacroTemplate which)
{
    static const char *const cv[] = {"CVMeasureMode",
                                     "    CV.RecordTrack 0",
                                     "    CV.Title SampleName",
                                     "    CV.Setting 0",
                                     "    CV.RPM 0",
                                     "    CV.DiskScale 1e-3",
                                     "    CV.Voltage 0.6 1.25 -0.25",
                                     "    CV.RetainTime 10",
                                     "    CV.Scanrate 20",
                                     "    CV.Repeat 3",
                                     "    CV.SamplingRate 5",
                                     "    CV.Accumlation 200",
                                     "    CV.Start",
                                     "CV.END"};
    static const char *const rrde[] = {"RDEMeasureMode",
                                       "    RDE.RecordTrack 0",
                                       "    RDE.DiskScale 1e-3",
                                       "    RDE.RingScale 1e-4",
                                       "    RDE.Title SampleName",
                                       "    RDE.RPM 300",
                                       "    RDE.Voltage 1 -0.3 1",
                                       "    RDE.RetainTime 10",
                                       "    RDE.Scanrate 5",
                                       "    RDE.Repeat 1",
                                       "    RDE.SamplingRate 2",
                                       "    RDE.Accumlation 500",
                                       "    RDE.Start",
                                       "RDE.END"};
    static const char *const psTime[] = {"PotentialStepMode",
                                         "    PS.RecordTrack 0",
                                         "    PS.Title SampleName",
                                         "    PS.DiskScale 1e-3",
                                         "    PS.Voltage 1 0.2",
                                         "    PS.MeasureMode 0",
                                         "    PS.RetainTime 30",
                                         "    PS.RPM 0",
                                         "    PS.MeasureTime 10",
                                         "    PS.InitSamplingRate 50",
                                         "    PS.Accumlation 20",
                                         "    PS.Start",
                                         "PS.END"};
    static const char *const psCoulomb[] = {
        "PotentialStepMode",     "    PS.RecordTrack 0",  "    PS.Title SampleName",
        "    PS.DiskScale 1e-3", "    PS.Voltage 1 0.2",  "    PS.Coulomb 0.1",
        "    PS.RetainTime 30",  "    PS.MeasureTime 10", "    PS.InitSamplingRate 50",
        "    PS.Accumlation 20", "    PS.Start",          "PS.END"};
    static const char *const rpm[] = {"RPMvsiMode",
                                      "    RPMvsi.RecordTrack 0",
                                      "    RPMvsi.DiskScale 1e-3",
                                      "    RPMvsi.Title SampleName",
                                      "    RPMvsi.mode 2",
                                      "    RPMvsi.Potential 0.2",
                                      "    RPMvsi.RetainTime 10",
                                      "    RPMvsi.RPM 200 1200 10",
                                      "    RPMvsi.SamplingRate 1",
                                      "    RPMvsi.Accumlation 1000",
                                      "    RPMvsi.Start",
                                      "RPMvsi.END"};
    static const char *const ssv[] = {"SSVMeasureMode",
                                      "    SSV.RecordTrack 0",
                                      "    SSV.DiskScale 1e-3",
                                      "    SSV.RingScale 1e-4",
                                      "    SSV.Title SampleName",
                                      "    SSV.RPM 300",
                                      "    SSV.Voltage 1 -0.2",
                                      "    SSV.Acceleratemode 1",
                                      "    SSV.CurrentTolerance 1",
                                      "    SSV.SetSkipMode 1",
                                      "    SSV.AppliedCurrent 5",
                                      "    SSV.VoltStep 0.005",
                                      "    SSV.StepTime 30",
                                      "    SSV.Segment 2",
                                      "    SSV.SamplingRate 2",
                                      "    SSV.Accumlation 500",
                                      "    SSV.SendtoClip 1",
                                      "    SSV.MinTime 1",
                                      "    SSV.RecordNextTrack 1",
                                      "    SSV.Start",
                                      "SSV.END"};
    static const char *const mail[] = {"Mail.DisplayName Displayname", "Mail.Address Address",
                                       "Mail.Subject Subject", "Mail.MsgNote MsgNote", "Mail.Send"};
    std::span<const char *const> lines;
    switch (which) {
    case MacroTemplate::CV:
        lines = cv;
        break;
    case MacroTemplate::RRDE:
        lines = rrde;
        break;
    case MacroTemplate::PSTime:
        lines = psTime;
        break;
    case MacroTemplate::PSCoulomb:
        lines = psCoulomb;
        break;
    case MacroTemplate::RPMvsi:
        lines = rpm;
        break;
    case MacroTemplate::SSV:
        lines = ssv;
        break;
    case MacroTemplate::Mail:
        lines = mail;
        break;
    }
    QString text;
    for (const char *l : lines)
        text += QLatin1StringView(l) + QStringLiteral("\r\n");
    return text;
}

QStringList macroTemplateCaptions()
{
    return {QStringLiteral("Cyclic Voltammogram"),
            QStringLiteral("RRDE"),
            QStringLiteral("Potential Step(Stop by Time)"),
            QStringLiteral("Potential Step(Stop by Coulomb Number)"),
            QStringLiteral("RPM vs. i"),
            QStringLiteral("Steady State Voltammogram"),
            QStringLiteral("Mail")};
}

QString macroFileName(const QString &chosen)
{
    return chosen.endsWith(QStringLiteral(".tvm")) ? chosen : chosen + QStringLiteral(".tvm");
}

bool saveMacroFile(const QString &path, const QString &text, QString *error)
{
    QSaveFile f(path);
    const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool loadMacroFile(const QString &path, QString &text, QString *error)
{
    QByteArray all;
    if (const FileReadResult read = readWholeFile(path, all); !read.ok) {
        if (error)
            *error = read.error;
        return false;
    }
    QString result;
    LineReader lines(std::string_view(all.constData(), static_cast<std::size_t>(all.size())));
    for (std::string_view l; lines.next(l);)
        result +=
            QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size())) + QStringLiteral("\r\n");
    text = result;
    return true;
}

} // namespace tervo
