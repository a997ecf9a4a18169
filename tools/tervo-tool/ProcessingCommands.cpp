// smooth, fft-filter, calc and special-copy: the processing windows for batch work. Each command
// drives the window's controller, so both take the same path.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "processing/FFTFilter.h"
#include "processing/IRCorrection.h"
#include "processing/Smoothing.h"
#include "processing/SpecialCopy.h"
#include "processing/TrackCalculation.h"
#include "tracks/FinitePoints.h"
#include "tracks/Tables.h"
#include "tracks/TrackFile.h"
#include "workstation/HeadlessDesk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <memory>

namespace tervo::tool {

namespace {

// FILE.tvd followed by --name value options and --flag switches.
struct ProcessingOptions {
    QString file;
    QHash<QString, QString> values;
    QStringList flags;
    QString error;

    bool has(const char *flag) const { return flags.contains(QLatin1String(flag)); }
    QString value(const char *name, const QString &fallback = {}) const
    {
        return values.value(QLatin1String(name), fallback);
    }
    // The option's number, or fallback when it is absent; a malformed one sets error.
    double number(const char *name, double fallback, NumberRange range = anyNumber())
    {
        const QString v = value(name);
        if (v.isNull())
            return fallback;
        QString why;
        const std::optional<double> n = numberOption(dashed(name), v, range, why);
        keep(why);
        return n.value_or(fallback);
    }
    int whole(const char *name, int fallback, int low, int high)
    {
        const QString v = value(name);
        if (v.isNull())
            return fallback;
        QString why;
        const std::optional<int> n = wholeOption(dashed(name), v, low, high, why);
        keep(why);
        return n.value_or(fallback);
    }
    // A track number 0..20, or fallback when absent.
    int track(const char *name, int fallback) { return whole(name, fallback, 0, kUserTracks - 1); }
    // The index of the choice, or fallback when absent.
    int choice(const char *name, const QStringList &names, int fallback)
    {
        const QString v = value(name);
        if (v.isNull())
            return fallback;
        QString why;
        const std::optional<int> i = choiceOption(dashed(name), v, names, why);
        keep(why);
        return i.value_or(fallback);
    }

private:
    static QString dashed(const char *name) { return QStringLiteral("--") + QLatin1String(name); }
    // The first fault is the one reported.
    void keep(const QString &why)
    {
        if (!why.isEmpty() && error.isEmpty())
            error = why;
    }
};

ProcessingOptions parse(const QStringList &args, const QStringList &valueNames,
                        const QStringList &flagNames)
{
    ProcessingOptions o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            if (!o.file.isEmpty())
                o.error = QStringLiteral("Unexpected argument \"%1\".").arg(a);
            o.file = a;
            continue;
        }
        const QString name = a.mid(2);
        if (flagNames.contains(name)) {
            o.flags << name;
        } else if (valueNames.contains(name) && i + 1 < args.size()) {
            o.values.insert(name, args[++i]);
        } else {
            o.error = QStringLiteral("Unknown or incomplete option \"%1\".").arg(a);
        }
    }
    if (o.file.isEmpty() && o.error.isEmpty())
        o.error = QStringLiteral("Which track file?");
    return o;
}

bool loadStore(TrackStore &store, const QString &path)
{
    const TrackFileReadResult r = loadTrackFile(store, path);
    if (r.ok())
        return true;
    if (r.status == TrackFileReadResult::StoppedEarly)
        writeErr(QStringLiteral("%1: line %2: %3").arg(path).arg(r.line).arg(r.reason));
    else
        writeErr(QStringLiteral("%1: %2").arg(path, r.message(path)));
    return false;
}

int save(const TrackStore &store, const ProcessingOptions &o)
{
    const QString out = o.value("out", o.file);
    const FileWriteResult w =
        writeTrackFile(store, out, static_cast<char>(localeDecimalSeparator().unicode()));
    if (!w.ok) {
        writeErr(w.error);
        return 1;
    }
    return 0;
}

// Points left out for not being finite are a note on stderr, not a failure.
void noteSkipped(const ProcessingOptions &o, int skipped)
{
    if (skipped > 0)
        writeErr(QStringLiteral("%1: %2").arg(o.file, skippedPointsText(skipped)));
}

int runSmooth(const QStringList &args)
{
    ProcessingOptions o =
        parse(args,
              {QStringLiteral("track"), QStringLiteral("method"), QStringLiteral("points"),
               QStringLiteral("skip"), QStringLiteral("dest"), QStringLiteral("coefficients"),
               QStringLiteral("out")},
              {QStringLiteral("all"), QStringLiteral("x-axis")});
    const int track = o.track("track", 0);
    const int dest = o.track("dest", -2);
    static const QStringList methods{QStringLiteral("average"), QStringLiteral("savitzky-golay"),
                                     QStringLiteral("spike")};
    const int method = o.choice("method", methods, 1);
    const PointLimits limits = pointLimits(method);
    const int points = o.whole("points", limits.def, limits.min, limits.max);
    if (points % 2 == 0 && o.error.isEmpty())
        o.error = QStringLiteral("--points: %1 is even; the filter takes an odd count of points.")
                      .arg(points);
    const int skip = o.whole("skip", -1, 0, kMaxPoints);
    if (!o.error.isEmpty())
        return usageError(o.error);
    auto store = std::make_unique<TrackStore>();
    if (!loadStore(*store, o.file))
        return 1;
    Settings settings;
    ConsolePrompts prompts;
    SmoothingController c(
        *store, settings, prompts,
        o.value("coefficients", QDir(QCoreApplication::applicationDirPath())
                                    .filePath(QString::fromLatin1(kCoefficientFileName))));
    c.open();
    c.selectTrack(track);
    c.setFilter(method);
    c.setPoints(points);
    c.applyX = o.has("x-axis");
    c.applyAllTracks = o.has("all");
    if (skip >= 0) {
        c.skipAtEdge = true;
        c.setSkipCount(skip);
    }
    if (c.applyAllTracks) {
        if (!c.updateData())
            return 1;
    } else {
        if (store->isVacant(track)) {
            writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.file).arg(track));
            return 1;
        }
        if (!c.calculate())
            return 1;
        if (dest >= 0) {
            c.setDestination(dest);
            if (!c.recordAnotherTrack())
                return 1;
        } else if (!c.updateData()) {
            return 1;
        }
    }
    noteSkipped(o, c.skippedPoints());
    return save(*store, o);
}

int runFFTFilter(const QStringList &args)
{
    ProcessingOptions o =
        parse(args,
              {QStringLiteral("track"), QStringLiteral("xmax"), QStringLiteral("ymax"),
               QStringLiteral("dest"), QStringLiteral("title"), QStringLiteral("out")},
              {QStringLiteral("filter-x")});
    const int track = o.track("track", 0);
    const int dest = o.track("dest", -2);
    Settings settings;
    ApplyDefaultSettings(settings);
    const double xmax = o.number("xmax", settings.FFTFxmax, above(0));
    const double ymax = o.number("ymax", settings.FFTFymax, above(0));
    if (!o.error.isEmpty())
        return usageError(o.error);
    auto store = std::make_unique<TrackStore>();
    if (!loadStore(*store, o.file))
        return 1;
    ConsolePrompts prompts;
    FFTFilterController c(*store, settings, prompts);
    c.open();
    c.setXMaxFrequency(xmax);
    c.setYMaxFrequency(ymax);
    c.setXFilter(o.has("filter-x") ? 1 : 0);
    c.selectTrack(track);
    if (!c.calculate()) {
        if (prompts.messages == 0)
            writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.file).arg(track));
        return 1;
    }
    if (dest >= 0) {
        c.setDestination(dest);
        if (!o.value("title").isNull())
            c.setDestTitle(o.value("title"));
        if (!c.recordAnotherTrack())
            return 1;
    } else if (!c.updateData()) {
        return 1;
    }
    noteSkipped(o, c.spectrum().skipped);
    return save(*store, o);
}

int runCalc(const QStringList &args)
{
    ProcessingOptions o =
        parse(args,
              {QStringLiteral("track-a"), QStringLiteral("track-b"), QStringLiteral("track-c"),
               QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("op"),
               QStringLiteral("xshift"), QStringLiteral("title"), QStringLiteral("out")},
              {});
    const int a = o.track("track-a", 0);
    const int b = o.track("track-b", 0);
    const int cTrack = o.track("track-c", 20);
    const int op = o.choice("op", {QStringLiteral("+"), QStringLiteral("-")}, 0);
    const double factorA = o.number("a", 1);
    const double factorB = o.number("b", 1);
    const double constant = o.number("c", 0);
    const double xshift = o.number("xshift", 0);
    if (!o.error.isEmpty())
        return usageError(o.error);
    auto store = std::make_unique<TrackStore>();
    if (!loadStore(*store, o.file))
        return 1;
    ConsolePrompts prompts;
    TrackCalculationController c(*store, prompts);
    c.open();
    c.setTrackA(a);
    c.setTrackB(b);
    c.setTrackC(cTrack);
    c.setFactorA(factorA);
    c.setFactorB(factorB);
    c.setConstant(constant);
    c.setXShift(xshift);
    c.setOperator(op);
    if (!c.calculate()) {
        if (prompts.messages == 0)
            writeErr(QStringLiteral("Tracks %1 (%2) and %3 (%4) cannot be combined.")
                         .arg(a)
                         .arg(modeName((*store)[a].Mode))
                         .arg(b)
                         .arg(modeName((*store)[b].Mode)));
        return 1;
    }
    if (!o.value("title").isNull())
        c.setTitleC(o.value("title"));
    if (!c.update())
        return 1;
    noteSkipped(o, c.skippedPoints());
    return save(*store, o);
}

int runSpecialCopy(const QStringList &args)
{
    ProcessingOptions o =
        parse(args,
              {QStringLiteral("track"), QStringLiteral("disk-unit"), QStringLiteral("ring-unit"),
               QStringLiteral("conversion"), QStringLiteral("area"), QStringLiteral("weight"),
               QStringLiteral("ce"), QStringLiteral("polarity"), QStringLiteral("cycle"),
               QStringLiteral("degree"), QStringLiteral("distance"), QStringLiteral("order")},
              {QStringLiteral("log"), QStringLiteral("abs"), QStringLiteral("h2o"),
               QStringLiteral("info")});
    const int track = o.track("track", 0);
    const QStringList units{QStringLiteral("A"), QStringLiteral("mA"), QStringLiteral("uA"),
                            QStringLiteral("nA")};
    const int diskUnit = o.choice("disk-unit", units, 0) + 1;
    const int ringUnit = o.choice("ring-unit", units, 0) + 1;
    const int conversion =
        o.choice("conversion",
                 {QStringLiteral("none"), QStringLiteral("area"), QStringLiteral("weight")}, 0);
    const int polarity = o.choice(
        "polarity",
        {QStringLiteral("bipolar"), QStringLiteral("cathodic"), QStringLiteral("anodic")}, 0);
    const double area = o.number("area", -1, atLeast(0));
    const double weight = o.number("weight", -1, atLeast(0));
    const double ce = o.number("ce", -1, atLeast(0));
    const ThinningOptions thinning;
    const double degree = o.number("degree", thinning.degree, between(0, 180));
    const double distance = o.number("distance", thinning.distance, atLeast(0));
    const int order = o.whole("order", thinning.order, 0, 100);
    const int cycle = o.whole("cycle", 0, 1, kMaxPoints);
    if (!o.error.isEmpty())
        return usageError(o.error);
    auto store = std::make_unique<TrackStore>();
    if (!loadStore(*store, o.file))
        return 1;
    store->CurrentTrack = track;
    Settings settings;
    ApplyDefaultSettings(settings);
    TextClipboard clipboard;
    ConsolePrompts prompts;
    SpecialCopyController c(*store, settings, clipboard, prompts);
    c.activate();
    if (area >= 0)
        c.setArea(area);
    if (weight >= 0)
        c.setWeight(weight);
    if (ce >= 0)
        c.setCollectionEfficiency(ce);
    SpecialCopyOptions &s = c.options;
    s.diskUnit = diskUnit;
    s.ringUnit = ringUnit;
    s.conversion = conversion;
    s.polarity = polarity;
    s.logarithm = s.thinning.logarithm = o.has("log");
    s.absolute = o.has("abs");
    s.h2o = o.has("h2o");
    s.information = o.has("info");
    s.thinning.degree = degree;
    s.thinning.distance = distance;
    s.thinning.order = order;
    if (cycle > 0) {
        if (cycle > c.cycles().size())
            return usageError(QStringLiteral("--cycle: %1 is out of range; the track has %2 "
                                             "cycles.")
                                  .arg(cycle)
                                  .arg(c.cycles().size()));
        s.cycle = cycle - 1;
    }
    store->CurrentFileTitle = QFileInfo(o.file).fileName();
    if (!c.go(localeDecimalSeparator()))
        return 1;
    writeOut(clipboard.content);
    return 0;
}

int runIRCorrect(const QStringList &args)
{
    ProcessingOptions o = parse(args,
                                {QStringLiteral("track"), QStringLiteral("ru"),
                                 QStringLiteral("dest"), QStringLiteral("out")},
                                {});
    const int track = o.track("track", 0);
    const int dest = o.track("dest", -1);
    const double ru = o.number("ru", -1, atLeast(0));
    if (o.error.isEmpty() && o.value("ru").isNull())
        o.error = QStringLiteral("--ru: the uncompensated resistance (ohm) is needed.");
    if (o.error.isEmpty() && dest < 0)
        o.error = QStringLiteral("--dest: the track for the result is needed.");
    if (!o.error.isEmpty())
        return usageError(o.error);
    auto store = std::make_unique<TrackStore>();
    if (!loadStore(*store, o.file))
        return 1;
    if (store->isVacant(track)) {
        writeErr(QStringLiteral("%1: track %2 is vacant.").arg(o.file).arg(track));
        return 1;
    }
    QString problem;
    int skipped = 0;
    if (!correctOhmicDrop(*store, track, dest, ru, &problem, &skipped)) {
        writeErr(QStringLiteral("%1: %2").arg(o.file, problem));
        return 1;
    }
    noteSkipped(o, skipped);
    return save(*store, o);
}

} // namespace

TERVO_TOOL_COMMAND(
    smooth,
    "  smooth FILE.tvd [--track N | --all] [--method average|savitzky-golay|spike]\n"
    "         [--points N] [--skip E] [--x-axis] [--dest D] [--coefficients FILE]\n"
    "         [--out OUT.tvd]\n"
    "                         Smooth a track (sweep by sweep for voltammograms) as the\n"
    "                         \"Smoothing\" window does; the result replaces the track, or\n"
    "                         goes into track D, and the file is written to OUT (default\n"
    "                         FILE). Savitzky-Golay with 5 points unless told otherwise.\n",
    runSmooth);
// Names with a hyphen are no identifiers, so these two register without the macro.
const bool fftFilterRegistered = registerCommand(
    {QStringLiteral("fft-filter"),
     QStringLiteral(
         "  fft-filter FILE.tvd [--track N] [--ymax HZ] [--xmax HZ --filter-x]\n"
         "         [--dest D [--title TITLE]] [--out OUT.tvd]\n"
         "                         Low-pass filter a track as the \"FFTFilter\" window does\n"
         "                         (cut-offs default to 25 Hz for x, 2 Hz for the currents);\n"
         "                         the result replaces the track or goes into track D.\n"),
     runFFTFilter});
TERVO_TOOL_COMMAND(
    calc,
    "  calc FILE.tvd --track-a A --track-b B [--track-c C] [--a F] [--b F] [--c F]\n"
    "         [--op +|-] [--xshift S] [--title TITLE] [--out OUT.tvd]\n"
    "                         Track C (default 20) = a*A(x) + c +/- b*B(x - S), sweep by\n"
    "                         sweep, as the \"Calculation\" window does.\n",
    runCalc);
const bool specialCopyRegistered = registerCommand(
    {QStringLiteral("special-copy"),
     QStringLiteral(
         "  special-copy FILE.tvd [--track N] [--disk-unit A|mA|uA|nA] [--ring-unit U]\n"
         "         [--conversion none|area|weight] [--area CM2] [--weight MG] [--log]\n"
         "         [--abs] [--h2o] [--ce N] [--polarity bipolar|cathodic|anodic]\n"
         "         [--cycle K] [--degree D] [--distance L] [--order M] [--info]\n"
         "                         Print the text the \"Special Copy\" window puts on the\n"
         "                         clipboard (thinned points, converted currents).\n"),
     runSpecialCopy});

const bool irCorrectRegistered = registerCommand(
    {QStringLiteral("ir-correct"),
     QStringLiteral(
         "  ir-correct FILE.tvd [--track N] --ru OHM --dest D [--out OUT.tvd]\n"
         "                         Track D = track N with every potential less i*Ru, the\n"
         "                         ohmic drop through the uncompensated resistance Ru (ohm),\n"
         "                         so peak separations read without it (CV, RDE, SSV).\n"),
     runIRCorrect});

} // namespace tervo::tool
