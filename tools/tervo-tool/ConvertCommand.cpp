// convert: exports of other instruments into tracks of a track file.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "core/NumberFormat.h"
#include "importing/foreign/ForeignFile.h"
#include "tracks/Tables.h"
#include "tracks/TrackFile.h"

#include <QFileInfo>
#include <memory>

namespace tervo::tool {

namespace {

using foreign::ForeignFile;

struct ConvertOptions {
    QStringList files;
    QString out;
    int track = 0;
    int mode = -1;
    double rpm = -1;
    QString title;
    bool hasTitle = false;
    bool flip = false;
    bool firstPoints = false;
    int xColumn = -1, yColumn = -1; // 0-based
    QString xUnit, yUnit;
};

// Parses the arguments; an empty text when they are sound, else why not.
QString parse(const QStringList &args, ConvertOptions &o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString &into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString v, error;
        if (a == QLatin1String("--out")) {
            if (!value(o.out))
                return QStringLiteral("--out needs a file name.");
        } else if (a == QLatin1String("--track")) {
            if (!value(v))
                return QStringLiteral("--track needs a track number from 0 to 20.");
            const std::optional<int> t = wholeOption(a, v, 0, kUserTracks - 1, error);
            if (!t)
                return error;
            o.track = *t;
        } else if (a == QLatin1String("--mode")) {
            if (!value(v))
                return QStringLiteral("--mode needs CV, RDE or PS.");
            static const int modes[] = {ModeCV, ModeRDE, ModePS};
            const std::optional<int> m = choiceOption(
                a, v, {QStringLiteral("CV"), QStringLiteral("RDE"), QStringLiteral("PS")}, error);
            if (!m)
                return error;
            o.mode = modes[*m];
        } else if (a == QLatin1String("--rpm")) {
            if (!value(v))
                return QStringLiteral("--rpm needs a rotation rate from 0 to 100000.");
            const std::optional<double> r = numberOption(a, v, between(0, 100000), error);
            if (!r)
                return error;
            o.rpm = *r;
        } else if (a == QLatin1String("--title")) {
            if (!value(o.title))
                return QStringLiteral("--title needs a text.");
            o.hasTitle = true;
        } else if (a == QLatin1String("--flip-current")) {
            o.flip = true;
        } else if (a == QLatin1String("--first-points")) {
            o.firstPoints = true;
        } else if (a == QLatin1String("--columns")) {
            const QStringList xy = value(v) ? v.split(QLatin1Char(',')) : QStringList();
            if (xy.size() != 2)
                return QStringLiteral("--columns needs two column numbers such as 1,3.");
            const std::optional<int> x = wholeOption(a, xy[0], 1, 10000, error);
            const std::optional<int> y = x ? wholeOption(a, xy[1], 1, 10000, error) : x;
            if (!y)
                return error;
            o.xColumn = *x - 1;
            o.yColumn = *y - 1;
        } else if (a == QLatin1String("--units")) {
            const QStringList xy = value(v) ? v.split(QLatin1Char(',')) : QStringList();
            if (xy.size() != 2 || !foreign::xUnitNames().contains(xy[0]) ||
                !foreign::yUnitNames().contains(xy[1]))
                return QStringLiteral("--units needs an x unit (%1) and a y unit (%2), such as "
                                      "V,mA.")
                    .arg(foreign::xUnitNames().join(QLatin1Char(' ')),
                         foreign::yUnitNames().join(QLatin1Char(' ')));
            o.xUnit = xy[0];
            o.yUnit = xy[1];
        } else if (a.startsWith(QLatin1String("--"))) {
            return QStringLiteral("Unknown option %1.").arg(a);
        } else {
            o.files << a;
        }
    }
    if (o.files.isEmpty() || o.out.isEmpty())
        return QStringLiteral("convert needs at least one FILE and --out OUT.tvd.");
    if (o.track + o.files.size() > kUserTracks)
        return QStringLiteral("%1 files from track %2 do not fit in tracks 0 to 20.")
            .arg(o.files.size())
            .arg(o.track);
    return QString();
}

void applyOptions(const ConvertOptions &o, ForeignFile &f)
{
    if (o.rpm >= 0) {
        f.rpm = o.rpm;
        if (f.mode == ModeCV && o.rpm > 0)
            f.mode = ModeRDE;
    }
    if (o.mode >= 0)
        foreign::setMode(f, o.mode);
    if (o.hasTitle)
        f.title = o.title;
    if (o.flip)
        f.flipCurrent = !f.flipCurrent;
    if (o.firstPoints)
        f.thinning = foreign::Thinning::First;
    if (o.xColumn >= 0) {
        f.x = o.xColumn;
        f.y = o.yColumn;
        const int n = static_cast<int>(f.columns.size());
        if (f.x < n && f.y < n) {
            f.xUnit = f.columns[static_cast<std::size_t>(f.x)].unit;
            f.yUnit = f.columns[static_cast<std::size_t>(f.y)].unit;
        }
    }
    if (!o.xUnit.isEmpty()) {
        f.xUnit = o.xUnit;
        f.yUnit = o.yUnit;
    }
}

int runConvert(const QStringList &args)
{
    ConvertOptions o;
    if (const QString why = parse(args, o); !why.isEmpty())
        return usageError(why);

    // Every file is read and checked before anything is written.
    std::vector<ForeignFile> files;
    for (const QString &path : o.files) {
        const foreign::ReadResult r = foreign::readForeignFile(path);
        if (!r.ok()) {
            writeErr(r.error.message() + QStringLiteral(" Nothing was written."));
            return 1;
        }
        ForeignFile f = *r.file;
        applyOptions(o, f);
        if (const std::optional<foreign::ReadError> e = foreign::checkChoices(f)) {
            writeErr(e->message() + QStringLiteral(" Nothing was written."));
            return 1;
        }
        files.push_back(std::move(f));
    }

    auto store = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        store->ClearTrack(t);
    if (QFileInfo::exists(o.out)) {
        // The tracks already in OUT stay; a file that does not load whole is not rewritten.
        const TrackFileReadResult r = loadTrackFile(*store, o.out);
        if (!r.ok()) {
            writeErr(r.message(o.out) + QStringLiteral(" Nothing was written."));
            return 1;
        }
    }
    QStringList lines;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ForeignFile &f = files[i];
        const int track = o.track + static_cast<int>(i);
        const int points = foreign::writeTrack(*store, track, f);
        lines << QStringLiteral("%1\t%2\t%3\t%4 points\ttrack %5\n")
                     .arg(tabField(QFileInfo(f.path).fileName()), foreign::formatName(f.format),
                          tabField(f.technique))
                     .arg(points)
                     .arg(track);
        if (const QString note = foreign::thinningNote(f); !note.isEmpty())
            writeErr(QFileInfo(f.path).fileName() + QStringLiteral(": ") + note);
        if (f.flipCurrent)
            writeErr(QFileInfo(f.path).fileName() + QStringLiteral(": current sign flipped"));
    }
    const FileWriteResult w =
        writeTrackFile(*store, o.out, static_cast<char>(localeDecimalSeparator().unicode()));
    if (!w.ok) {
        writeErr(w.error);
        return 1;
    }
    for (const QString &l : lines)
        writeOut(l);
    return 0;
}

} // namespace

TERVO_TOOL_COMMAND(
    convert,
    "  convert FILE... --out OUT.tvd [--track N] [--mode CV|RDE|PS] [--rpm N]\n"
    "          [--title TEXT] [--flip-current] [--first-points] [--columns X,Y]\n"
    "          [--units XU,YU]\n"
    "                         Write exports of other instruments (EC-Lab .mpt, Gamry .DTA,\n"
    "                         CH Instruments .txt, CSV/TSV) into tracks N, N+1, ... of OUT;\n"
    "                         the other tracks of an existing OUT stay. One line per file:\n"
    "                         file, format, technique, points, track. --flip-current turns\n"
    "                         the sign the import chose; longer files than a track keep one\n"
    "                         row in k unless --first-points. --columns counts from 1.\n",
    runConvert);

} // namespace tervo::tool
