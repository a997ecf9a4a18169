// analyse: the reports of the analysis windows, for batch work over many track files.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "analysis/Cottrell.h"
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/PeakAnalysis.h"
#include "analysis/ScanRateStudy.h"
#include "analysis/Tafel.h"
#include "core/FileRead.h"
#include "core/NumberParse.h"
#include "state/Settings.h"
#include "state/TrackModes.h"
#include "tracks/TrackFile.h"
#include "workstation/HeadlessDesk.h"

#include <QDir>
#include <QSet>
#include <memory>

namespace tervo::tool {

namespace {

#define ANALYSE_USAGE                                                                              \
    "  analyse KIND FILE.tvd [options]\n"                                                          \
    "                         Print the report of an analysis window for FILE.tvd, exactly as\n"   \
    "                         the window shows it (CR LF line ends, TAB between fields).\n"        \
    "                         KIND: kl (Koutecky-Levich), levich, tafel, cottrell, coulomb,\n"     \
    "                         h2o (O2 reduction %H2O). Problems go to stderr, exit 1.\n"           \
    "      --track N          the window's selected track (default 0)\n"                           \
    "      --use LIST         kl, levich: the tracks whose 'Use' box is ticked, e.g. 0,1,2,3\n"    \
    "                         (default: as saved in the file); scan-rate: the tracks studied\n"    \
    "      --points T:FIRST:LAST  kl, levich: first and last point of track T (repeatable;\n"      \
    "                         default: as saved in the file)\n"                                    \
    "      --solve n|nu|D|C   kl, levich: the quantity solved for (default: KLVariable)\n"         \
    "      --solve D|C|area   scan-rate: the quantity solved for (default D)\n"                    \
    "      --start P, --end P tafel, cottrell, coulomb: first and last point (default: the\n"      \
    "                         whole track)\n"                                                      \
    "      --fit origin|intercept  cottrell: y = a * x or y = a * x + b (default origin)\n"        \
    "      --ne X, --conc X, --area X  cottrell, scan-rate: ne, Conc (mol cm-3), Area (cm2)\n"     \
    "                         (default: the track's header)\n"                                     \
    "      --diffusion X      scan-rate: D (cm2 s-1) when C or the area is solved for\n"           \
    "      --irreversible     scan-rate: an irreversible couple, alpha from Ep - Ep/2\n"           \
    "      --method trapezoid|simpson  coulomb (default trapezoid)\n"                              \
    "      --sweep K          peaks: only the K-th sweep there and back (default: every one)\n"    \
    "      --base E1:E2       peaks: the potentials (V) the base line is fitted between\n"         \
    "                         (default: the first 10 % of each sweep)\n"                           \
    "      --base none|linear|value, --base-value A  coulomb: base line (default none)\n"          \
    "      --set KEY=VALUE    a setting of the window, as typed into its box (KLVuse, KLVrange,\n" \
    "                         KLElectrodeArea, KLne, KLViscosity, KLDm, KLConc, KLMethod,\n"       \
    "                         KLVariable, O2CE, O2VStep, O2Vrange, TaEred, TaArea, ...)\n"         \
    "      --settings-dir DIR take the settings from DIR/Parameters.txt (default: the\n"           \
    "                         program's built-in defaults)\n"

struct AnalyseOptions {
    QString kind, path;
    int track = 0;
    std::optional<QList<int>> use;
    QList<std::array<int, 3>> points;
    QString solve;
    std::optional<double> diffusion;
    bool irreversible = false;
    std::optional<int> start, end;
    QString fit = QStringLiteral("origin");
    std::optional<double> ne, conc, area;
    QString method = QStringLiteral("trapezoid");
    QString base = QStringLiteral("none");
    QString baseChoice; // --base as typed, without a colon
    double baseValue = 0;
    int sweep = 0;
    std::optional<BaseWindow> baseWindow;
    QStringList sets;
    QString settingsDir;
};

// Parses the arguments; an empty text means success, otherwise it says what is wrong.
QString parse(const QStringList &args, AnalyseOptions &o)
{
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            rest << a;
            continue;
        }
        if (a == QLatin1String("--irreversible")) {
            o.irreversible = true;
            continue;
        }
        if (i + 1 >= args.size())
            return QStringLiteral("%1 needs a value.").arg(a);
        const QString v = args[++i];
        QString error;
        if (a == QLatin1String("--track")) {
            const std::optional<int> n = wholeOption(a, v, 0, kUserTracks - 1, error);
            if (!n)
                return error;
            o.track = *n;
        } else if (a == QLatin1String("--use")) {
            QList<int> list;
            for (const QString &t : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const std::optional<int> n = wholeOption(a, t, 0, kUserTracks - 1, error);
                if (!n)
                    return error;
                list << *n;
            }
            o.use = list;
        } else if (a == QLatin1String("--points")) {
            const QStringList p = v.split(QLatin1Char(':'));
            if (p.size() != 3)
                return QStringLiteral("--points takes TRACK:FIRST:LAST.");
            const std::optional<int> t = wholeOption(a, p[0], 0, kUserTracks - 1, error);
            const std::optional<int> first = t ? wholeOption(a, p[1], 0, kMaxPoints - 1, error) : t;
            const std::optional<int> last =
                first ? wholeOption(a, p[2], 0, kMaxPoints - 1, error) : first;
            if (!last)
                return error;
            o.points << std::array<int, 3>{*t, *first, *last};
        } else if (a == QLatin1String("--solve")) {
            // Checked once the kind is known.
            o.solve = v;
        } else if (a == QLatin1String("--diffusion")) {
            const std::optional<double> d = numberOption(a, v, above(0), error);
            if (!d)
                return error;
            o.diffusion = *d;
        } else if (a == QLatin1String("--start") || a == QLatin1String("--end")) {
            const std::optional<int> n = wholeOption(a, v, 0, kMaxPoints - 1, error);
            if (!n)
                return error;
            (a == QLatin1String("--start") ? o.start : o.end) = *n;
        } else if (a == QLatin1String("--fit")) {
            static const QStringList fits{QStringLiteral("origin"), QStringLiteral("intercept")};
            const std::optional<int> pick = choiceOption(a, v, fits, error);
            if (!pick)
                return error;
            o.fit = fits[*pick];
        } else if (a == QLatin1String("--ne") || a == QLatin1String("--conc") ||
                   a == QLatin1String("--area")) {
            const std::optional<double> d = numberOption(a, v, above(0), error);
            if (!d)
                return error;
            (a == QLatin1String("--ne")     ? o.ne
             : a == QLatin1String("--conc") ? o.conc
                                            : o.area) = *d;
        } else if (a == QLatin1String("--sweep")) {
            const std::optional<int> n = wholeOption(a, v, 1, kMaxPoints, error);
            if (!n)
                return error;
            o.sweep = *n;
        } else if (a == QLatin1String("--base") && v.contains(QLatin1Char(':'))) {
            const QStringList ends = v.split(QLatin1Char(':'));
            if (ends.size() != 2)
                return QStringLiteral("--base takes E1:E2.");
            const std::optional<double> from = numberOption(a, ends[0], anyNumber(), error);
            const std::optional<double> to =
                from ? numberOption(a, ends[1], anyNumber(), error) : from;
            if (!to)
                return error;
            if (*from == *to)
                return QStringLiteral("--base: the window %1 has no width.").arg(v);
            o.baseWindow = BaseWindow{*from, *to};
        } else if (a == QLatin1String("--base-value")) {
            const std::optional<double> d = numberOption(a, v, anyNumber(), error);
            if (!d)
                return error;
            o.baseValue = *d;
        } else if (a == QLatin1String("--method")) {
            static const QStringList methods{QStringLiteral("trapezoid"),
                                             QStringLiteral("simpson")};
            const std::optional<int> pick = choiceOption(a, v, methods, error);
            if (!pick)
                return error;
            o.method = methods[*pick];
        } else if (a == QLatin1String("--base")) {
            // Checked once the kind is known: for the peaks it is a window.
            o.baseChoice = v;
        } else if (a == QLatin1String("--set")) {
            o.sets << v;
        } else if (a == QLatin1String("--settings-dir")) {
            o.settingsDir = v;
        } else {
            return QStringLiteral("Unknown option %1.").arg(a);
        }
    }
    if (rest.size() != 2)
        return QStringLiteral("analyse needs KIND and FILE.tvd.");
    o.path = rest[1];
    const QStringList kinds{QStringLiteral("kl"),      QStringLiteral("levich"),
                            QStringLiteral("tafel"),   QStringLiteral("cottrell"),
                            QStringLiteral("coulomb"), QStringLiteral("h2o"),
                            QStringLiteral("peaks"),   QStringLiteral("scan-rate")};
    QString error;
    const std::optional<int> kind = choiceOption(QStringLiteral("KIND"), rest[0], kinds, error);
    if (!kind)
        return QStringLiteral("Unknown analysis \"%1\"; KIND is one of %2.")
            .arg(rest[0], kinds.join(QStringLiteral(", ")));
    o.kind = kinds[*kind];
    // --base is the coulomb analysis's base-line choice and the peak analysis's window.
    const bool peaks = o.kind == QLatin1String("peaks");
    if (peaks && !o.baseChoice.isEmpty())
        return QStringLiteral("--base: \"%1\" is not a window E1:E2.").arg(o.baseChoice);
    if (!peaks && o.baseWindow)
        return QStringLiteral("--base: a window E1:E2 is for the peak analysis only.");
    if (!o.baseChoice.isEmpty()) {
        static const QStringList bases{QStringLiteral("none"), QStringLiteral("linear"),
                                       QStringLiteral("value")};
        const std::optional<int> pick =
            choiceOption(QStringLiteral("--base"), o.baseChoice, bases, error);
        if (!pick)
            return error;
        o.base = bases[*pick];
    }
    if (!o.solve.isEmpty()) {
        const QStringList solve =
            o.kind == QLatin1String("scan-rate")
                ? QStringList{QStringLiteral("D"), QStringLiteral("C"), QStringLiteral("area")}
                : QStringList{QStringLiteral("n"), QStringLiteral("nu"), QStringLiteral("D"),
                              QStringLiteral("C")};
        const std::optional<int> pick =
            choiceOption(QStringLiteral("--solve"), o.solve, solve, error);
        if (!pick)
            return error;
        o.solve = solve[*pick];
    }
    return {};
}

// The settings file of the folder, or the built-in defaults when there is none; then each
// --set as the window's box stores it.
QString loadSettings(const AnalyseOptions &o, Settings &s)
{
    QByteArray text;
    if (!o.settingsDir.isEmpty() &&
        readWholeFile(QDir(o.settingsDir).filePath(QStringLiteral("Parameters.txt")), text).ok)
        parseSettingsText(text, s);
    else
        ApplyDefaultSettings(s);
    QSet<QString> keys;
    for (const QByteArray &line : settingsText(s).split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            keys.insert(QString::fromLatin1(line.left(eq)));
    }
    for (const QString &set : o.sets) {
        const qsizetype eq = set.indexOf(QLatin1Char('='));
        const QString key = set.left(eq);
        if (eq <= 0 || !keys.contains(key))
            return QStringLiteral("--set: unknown setting \"%1\".").arg(key);
        // A setting that keeps any text keeps this one; the others take a number.
        Settings probe = s;
        parseSettingsText(key.toUtf8() + "=x\r\n", probe);
        const bool keepsText = settingsText(probe).contains("\n" + key.toUtf8() + "=x\r");
        QString error;
        if (!keepsText &&
            !numberOption(QStringLiteral("--set ") + key, set.mid(eq + 1), anyNumber(), error))
            return error;
        parseSettingsText(set.toUtf8() + "\r\n", s);
    }
    // What the boxes store: absolute values, and an area above 0.
    s.KLVrange = std::abs(s.KLVrange);
    s.KLElectrodeArea = std::abs(s.KLElectrodeArea);
    s.O2VStep = std::abs(s.O2VStep);
    if (!(s.TaArea > 0))
        s.TaArea = 1;
    return {};
}

template <typename A> void applyRange(A &analysis, const AnalyseOptions &o)
{
    analysis.selectTrack(o.track);
    if (o.start) {
        int p = *o.start;
        analysis.setFirst(p);
    }
    if (o.end) {
        int p = *o.end;
        analysis.setLast(p);
    }
}

int runAnalyse(const QStringList &args)
{
    AnalyseOptions o;
    if (const QString problem = parse(args, o); !problem.isEmpty())
        return usageError(problem);
    Settings settings;
    if (const QString problem = loadSettings(o, settings); !problem.isEmpty())
        return usageError(problem);

    auto store = std::make_unique<TrackStore>();
    store->CollectionEfficiency = settings.O2CE;
    const TrackFileReadResult r = loadTrackFile(*store, o.path);
    if (!r.ok()) {
        writeErr(QStringLiteral("%1: %2").arg(o.path, r.message(o.path)));
        return 1;
    }
    if (store->isVacant(o.track) && o.kind != QLatin1String("kl") &&
        o.kind != QLatin1String("levich") && o.kind != QLatin1String("scan-rate")) {
        writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.path).arg(o.track));
        return 1;
    }
    ConsolePrompts prompts;
    auto points = std::make_unique<AnalysisPoints>();
    bool done = false;
    QString report;
    if (o.kind == QLatin1String("kl") || o.kind == QLatin1String("levich")) {
        KouteckyLevichAnalysis kl(*store, settings, *points, prompts);
        kl.InitializeParameters();
        settings.KLMethod = o.kind == QLatin1String("kl") ? KouteckyLevichAnalysis::KouteckyLevich
                                                          : KouteckyLevichAnalysis::Levich;
        if (!o.solve.isEmpty())
            settings.KLVariable = static_cast<std::int16_t>(QStringList{
                QStringLiteral("n"), QStringLiteral("nu"), QStringLiteral("D"), QStringLiteral("C")}
                                                                .indexOf(o.solve));
        kl.computeWindow();
        if (o.use) {
            for (int t = 0; t < kUserTracks; ++t) {
                kl.selectTrack(t);
                kl.setUse(o.use->contains(t));
            }
        }
        for (const auto &p : o.points) {
            kl.selectTrack(p[0]);
            int first = p[1], last = p[2];
            kl.setStart(first);
            kl.setEnd(last);
        }
        kl.selectTrack(o.track);
        done = kl.Calculate(nullptr);
        report = kl.report();
    } else if (o.kind == QLatin1String("tafel")) {
        TafelAnalysis tafel(*store, settings, prompts);
        applyRange(tafel, o);
        done = tafel.Calculate();
        if (!done && !modeFacts((*store)[o.track].Mode).sweep && prompts.messages == 0)
            writeErr(QStringLiteral("%1: track %2 is not a voltammetry track.")
                         .arg(o.path)
                         .arg(o.track));
        report = tafel.report();
    } else if (o.kind == QLatin1String("cottrell")) {
        CottrellAnalysis cottrell(*store, *points, prompts);
        applyRange(cottrell, o);
        TrackHeader &h = (*store)[o.track];
        h.ne = o.ne.value_or(h.ne);
        h.Conc = o.conc.value_or(h.Conc);
        h.Area = o.area.value_or(h.Area);
        cottrell.fitMode = o.fit == QLatin1String("intercept") ? CottrellAnalysis::WithIntercept
                                                               : CottrellAnalysis::ThroughOrigin;
        done = cottrell.Calculate(nullptr);
        if (!done && h.Mode != ModePS)
            writeErr(QStringLiteral("%1: track %2 is not a potential-step track.")
                         .arg(o.path)
                         .arg(o.track));
        report = cottrell.report();
    } else if (o.kind == QLatin1String("coulomb")) {
        CoulombAnalysis coulomb(*store, *points, prompts);
        applyRange(coulomb, o);
        coulomb.method = o.method == QLatin1String("simpson") ? CoulombAnalysis::Simpson
                                                              : CoulombAnalysis::Trapezoid;
        coulomb.baseLine = o.base == QLatin1String("linear")  ? CoulombAnalysis::Linear
                           : o.base == QLatin1String("value") ? CoulombAnalysis::Value
                                                              : CoulombAnalysis::None;
        coulomb.baseValue = o.baseValue;
        done = coulomb.Calculate(nullptr);
        report = coulomb.report();
    } else if (o.kind == QLatin1String("scan-rate")) {
        ScanRateStudy study(*store, prompts);
        for (const int t : o.use.value_or(QList<int>{}))
            study.tracks.push_back(t);
        for (const int t : study.tracks) {
            if (store->isVacant(t)) {
                writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.path).arg(t));
                return 1;
            }
        }
        study.takeHeaderValues();
        study.electrons = o.ne.value_or(study.electrons);
        study.concentration = o.conc.value_or(study.concentration);
        study.area = o.area.value_or(study.area);
        study.diffusion = o.diffusion.value_or(study.diffusion);
        study.irreversible = o.irreversible;
        study.solve = o.solve == QLatin1String("C")      ? ScanRateStudy::Concentration
                      : o.solve == QLatin1String("area") ? ScanRateStudy::Area
                                                         : ScanRateStudy::Diffusion;
        done = study.Calculate();
        report = study.report();
    } else if (o.kind == QLatin1String("peaks")) {
        PeakAnalysis peaks(*store, prompts);
        peaks.selectTrack(o.track);
        int sweep = o.sweep;
        if (sweep > peaks.sweepCount() && peaks.analysable()) {
            writeErr(QStringLiteral("%1: --sweep: track %2 has %3 sweeps there and back.")
                         .arg(o.path)
                         .arg(o.track)
                         .arg(peaks.sweepCount()));
            return 1;
        }
        peaks.selectSweep(sweep);
        peaks.baseWindow = o.baseWindow;
        done = peaks.Calculate();
        report = peaks.report();
    } else {
        O2ReductionAnalysis o2(*store, settings, prompts);
        o2.selectTrack(o.track);
        done = o2.Analyse();
        if (!done && prompts.messages == 0)
            writeErr(
                QStringLiteral("%1: track %2 is not a ring-disk track.").arg(o.path).arg(o.track));
        report = o2.report();
    }
    if (!done)
        return 1;
    writeOut(report);
    return 0;
}

} // namespace

TERVO_TOOL_COMMAND(analyse, ANALYSE_USAGE, runAnalyse);

} // namespace tervo::tool
