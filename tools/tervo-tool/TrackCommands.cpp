// info, export and check: reading track files.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"
#include "tracks/FinitePoints.h"
#include "tracks/Tables.h"
#include "tracks/TextExport.h"
#include "tracks/TrackFile.h"

#include <algorithm>
#include <memory>

namespace tervo::tool {

namespace {

// Loads the file; reports and returns false when it did not load completely.
bool load(TrackStore &store, const QString &path, bool &anything)
{
    const TrackFileReadResult r = loadTrackFile(store, path);
    anything = r.loaded() || r.status == TrackFileReadResult::StoppedEarly;
    if (r.ok())
        return true;
    if (r.status == TrackFileReadResult::StoppedEarly || r.status == TrackFileReadResult::EndsEarly)
        writeErr(QStringLiteral("%1: line %2: %3").arg(path).arg(r.line).arg(r.reason));
    else
        writeErr(QStringLiteral("%1: %2").arg(path, r.message(path)));
    return false;
}

int runCheck(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("check takes one FILE.tvd."));
    auto store = std::make_unique<TrackStore>();
    bool anything = false;
    if (!load(*store, args[0], anything))
        return 1;
    // NaN and Inf load as they were written; the analyses skip them, so they are only a warning.
    for (int t = 0; t < kUserTracks; ++t) {
        if (store->isVacant(t))
            continue;
        const TrackHeader &h = (*store)[t];
        int skipped = 0;
        finitePoints(*store, t, 0, std::min(h.pnum, kMaxPoints) - 1, lastDataColumn(h), &skipped);
        if (skipped > 0)
            writeErr(QStringLiteral("%1: warning: track %2 holds %3 point(s) that are not finite "
                                    "numbers.")
                         .arg(args[0])
                         .arg(t)
                         .arg(skipped));
    }
    return 0;
}

int runInfo(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("info takes one FILE.tvd."));
    auto store = std::make_unique<TrackStore>();
    bool anything = false;
    const bool complete = load(*store, args[0], anything);
    if (!anything)
        return 1;
    for (int t = 0; t < kUserTracks; ++t) {
        const TrackHeader &h = (*store)[t];
        if (store->isVacant(t))
            continue;
        writeOut(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\n")
                     .arg(t)
                     .arg(modeName(h.Mode), tabField(h.Title), formatGeneral(h.RPM),
                          formatGeneral(h.Scanrate), tabField(h.MeasTime))
                     .arg(h.pnum));
    }
    return complete ? 0 : 1;
}

int runExport(const QStringList &args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("export takes FILE.tvd and TRACK."));
    const QString &path = args[0];
    QString error;
    const std::optional<int> parsed =
        wholeOption(QStringLiteral("TRACK"), args[1], 0, kUserTracks - 1, error);
    if (!parsed)
        return usageError(error);
    const int track = *parsed;
    auto store = std::make_unique<TrackStore>();
    bool anything = false;
    const bool complete = load(*store, path, anything);
    if (!anything)
        return 1;
    if (store->isVacant(track)) {
        writeErr(QStringLiteral("%1: track %2 is vacant.").arg(path).arg(track));
        return 1;
    }
    writeOut(copyAllText(*store, track, localeDecimalSeparator()));
    return complete ? 0 : 1;
}

} // namespace

TERVO_TOOL_COMMAND(
    check,
    "  check FILE.tvd         Exit 0 when the file loads completely; otherwise print "
    "the line\n"
    "                         where reading stopped and why, and exit 1.\n",
    runCheck);
TERVO_TOOL_COMMAND(export,
                   "  export FILE.tvd TRACK  Print the track as \"Copy All as Text Data\" puts it "
                   "on the\n"
                   "                         clipboard: header block, an empty line, then the "
                   "data table\n"
                   "                         (currents in A, CR LF line ends, TAB between "
                   "fields).\n",
                   runExport);
TERVO_TOOL_COMMAND(info,
                   "  info FILE.tvd          List the occupied tracks, one per line, "
                   "TAB-separated:\n"
                   "                         track, mode, title, RPM, scan rate (mV/s), "
                   "measurement time,\n"
                   "                         point count.\n",
                   runInfo);

} // namespace tervo::tool
