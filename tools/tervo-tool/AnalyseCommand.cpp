// analyse: the reports of the analysis windows, for batch work over many track files.
#include "ToolCommand.h"
#include "analysis/Cottrell.h"
#include "analysis/Coulomb.h"
#include "analysis/KouteckyLevich.h"
#include "analysis/O2Reduction.h"
#include "analysis/Tafel.h"
#include "core/FileRead.h"
#include "core/NumberParse.h"
#include "state/Settings.h"
#include "tracks/TrackFile.h"

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
    "                         (default: as saved in the file)\n"                                   \
    "      --points T:FIRST:LAST  kl, levich: first and last point of track T (repeatable;\n"      \
    "                         default: as saved in the file)\n"                                    \
    "      --solve n|nu|D|C   kl, levich: the quantity solved for (default: KLVariable)\n"         \
    "      --start P, --end P tafel, cottrell, coulomb: first and last point (default: the\n"      \
    "                         whole track)\n"                                                      \
    "      --fit origin|intercept  cottrell: y = a * x or y = a * x + b (default origin)\n"        \
    "      --ne X, --conc X, --area X  cottrell: the track's ne, Conc (mol cm-3), Area (cm2)\n"    \
    "      --method trapezoid|simpson  coulomb (default trapezoid)\n"                              \
    "      --base none|linear|value, --base-value A  coulomb: base line (default none)\n"          \
    "      --set KEY=VALUE    a setting of the window, as typed into its box (KLVuse, KLVrange,\n" \
    "                         KLElectrodeArea, KLne, KLViscosity, KLDm, KLConc, KLMethod,\n"       \
    "                         KLVariable, O2CE, O2VStep, O2Vrange, TaEred, TaArea, ...)\n"         \
    "      --settings-dir DIR take the settings from DIR/Parameters.txt (default: the\n"           \
    "                         program's built-in defaults)\n"

// Messages of the analysis go to stderr, as the window would show them.
class ErrorPrompts final : public Prompts {
public:
    int messageCount = 0;
    void message(const QString &text, const QString & = QString()) override
    {
        ++messageCount;
        writeErr(text);
    }
    bool askYesNo(const QString &, const QString & = QString()) override { return false; }
    std::optional<QString> input(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &) override { return {}; }
};

struct Options {
    QString kind, path;
    int track = 0;
    std::optional<QList<int>> use;
    QList<std::array<int, 3>> points;
    QString solve;
    std::optional<int> start, end;
    QString fit = QStringLiteral("origin");
    std::optional<double> ne, conc, area;
    QString method = QStringLiteral("trapezoid");
    QString base = QStringLiteral("none");
    double baseValue = 0;
    QStringList sets;
    QString settingsDir;
};

bool toInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

bool toDouble(const QString &text, double &value)
{
    const std::string s = text.trimmed().toStdString();
    if (numericPrefixLength(s) != s.size() || s.empty())
        return false;
    value = parseDecimal(std::string_view(s));
    return true;
}

// Parses the arguments; an empty text means success, otherwise it says what is wrong.
QString parse(const QStringList &args, Options &o)
{
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            rest << a;
            continue;
        }
        if (i + 1 >= args.size())
            return QStringLiteral("%1 needs a value.").arg(a);
        const QString v = args[++i];
        double d = 0;
        int n = 0;
        if (a == QLatin1String("--track")) {
            if (!toInt(v, n) || n < 0 || n >= kUserTracks)
                return QStringLiteral("--track must be a track number from 0 to 20.");
            o.track = n;
        } else if (a == QLatin1String("--use")) {
            QList<int> list;
            for (const QString &t : v.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                if (!toInt(t, n) || n < 0 || n >= kUserTracks)
                    return QStringLiteral("--use takes track numbers from 0 to 20.");
                list << n;
            }
            o.use = list;
        } else if (a == QLatin1String("--points")) {
            const QStringList p = v.split(QLatin1Char(':'));
            std::array<int, 3> r{};
            if (p.size() != 3 || !toInt(p[0], r[0]) || !toInt(p[1], r[1]) || !toInt(p[2], r[2]) ||
                r[0] < 0 || r[0] >= kUserTracks)
                return QStringLiteral("--points takes TRACK:FIRST:LAST.");
            o.points << r;
        } else if (a == QLatin1String("--solve")) {
            if (!QStringList{QStringLiteral("n"), QStringLiteral("nu"), QStringLiteral("D"),
                             QStringLiteral("C")}
                     .contains(v))
                return QStringLiteral("--solve takes n, nu, D or C.");
            o.solve = v;
        } else if (a == QLatin1String("--start") || a == QLatin1String("--end")) {
            if (!toInt(v, n))
                return QStringLiteral("%1 takes a point number.").arg(a);
            (a == QLatin1String("--start") ? o.start : o.end) = n;
        } else if (a == QLatin1String("--fit")) {
            if (v != QLatin1String("origin") && v != QLatin1String("intercept"))
                return QStringLiteral("--fit takes origin or intercept.");
            o.fit = v;
        } else if (a == QLatin1String("--ne") || a == QLatin1String("--conc") ||
                   a == QLatin1String("--area") || a == QLatin1String("--base-value")) {
            if (!toDouble(v, d))
                return QStringLiteral("%1 takes a number.").arg(a);
            if (a == QLatin1String("--ne"))
                o.ne = d;
            else if (a == QLatin1String("--conc"))
                o.conc = d;
            else if (a == QLatin1String("--area"))
                o.area = d;
            else
                o.baseValue = d;
        } else if (a == QLatin1String("--method")) {
            if (v != QLatin1String("trapezoid") && v != QLatin1String("simpson"))
                return QStringLiteral("--method takes trapezoid or simpson.");
            o.method = v;
        } else if (a == QLatin1String("--base")) {
            if (v != QLatin1String("none") && v != QLatin1String("linear") &&
                v != QLatin1String("value"))
                return QStringLiteral("--base takes none, linear or value.");
            o.base = v;
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
    o.kind = rest[0];
    o.path = rest[1];
    const QStringList kinds{QStringLiteral("kl"),      QStringLiteral("levich"),
                            QStringLiteral("tafel"),   QStringLiteral("cottrell"),
                            QStringLiteral("coulomb"), QStringLiteral("h2o")};
    if (!kinds.contains(o.kind))
        return QStringLiteral("Unknown analysis \"%1\".").arg(o.kind);
    return {};
}

// The settings file of the folder, or the built-in defaults when there is none; then each
// --set as the window's box stores it.
QString loadSettings(const Options &o, Settings &s)
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

template <typename A> void applyRange(A &analysis, const Options &o)
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
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        writeOut(QStringLiteral(ANALYSE_USAGE));
        return 0;
    }
    Options o;
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
        o.kind != QLatin1String("levich")) {
        writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.path).arg(o.track));
        return 1;
    }
    ErrorPrompts prompts;
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
    } else {
        O2ReductionAnalysis o2(*store, settings, prompts);
        o2.selectTrack(o.track);
        done = o2.Analyse();
        if (!done && prompts.messageCount == 0)
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
