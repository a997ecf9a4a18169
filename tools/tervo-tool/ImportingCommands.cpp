// search and import: tracks taken out of other track files, as the Search Track and Import Track
// windows do it.
#include "ToolCommand.h"
#include "ToolOptions.h"
#include "core/NumberFormat.h"
#include "importing/TrackSearch.h"
#include "tracks/TrackFile.h"

#include <QFileInfo>
#include <memory>

namespace tervo::tool {

namespace {

int runSearchCommand(const QStringList &args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("search needs a FOLDER."));
    SearchFields fields;
    QString folder;
    bool absolute = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--words") && hasValue) {
            fields.keywordsOn = true;
            fields.keywords = args.at(++i);
        } else if (a == QLatin1String("--mode") && hasValue) {
            QString error;
            const std::optional<int> mode = choiceOption(a, args.at(++i), searchModeNames(), error);
            if (!mode)
                return usageError(error);
            fields.modeOn = true;
            fields.modeIndex = *mode;
        } else if (a == QLatin1String("--rpm") && hasValue) {
            fields.rpmOn = true;
            fields.rpm = args.at(++i);
        } else if (a == QLatin1String("--scanrate") && hasValue) {
            fields.scanrateOn = true;
            fields.scanrate = args.at(++i);
        } else if (a == QLatin1String("--absolute")) {
            absolute = true;
        } else if (!a.startsWith(QLatin1String("--")) && folder.isEmpty()) {
            folder = a;
        } else {
            return usageError(QStringLiteral("Unexpected argument %1").arg(a));
        }
    }
    if (!QFileInfo(folder).isDir()) {
        writeErr(QStringLiteral("%1 is not a folder.").arg(folder));
        return 1;
    }
    SearchCriteria criteria;
    const QString refusal = buildCriteria(fields, criteria);
    if (!refusal.isEmpty()) {
        writeErr(refusal);
        return 2;
    }
    const SearchSummary summary =
        runSearch(searchFileList(folder), criteria, [absolute](const SearchHit &hit) {
            QStringList cells = hitCells(hit);
            // The window shows the end of the path; a script needs all of it.
            cells[0] = absolute ? QFileInfo(hit.path).absoluteFilePath() : hit.path;
            for (QString &c : cells)
                c = tabField(c);
            writeOut(cells.join(QLatin1Char('\t')) + QLatin1Char('\n'));
        });
    if (summary.unreadable > 0)
        writeErr(unreadableText(summary.unreadable));
    return 0;
}

int runImportCommand(const QStringList &args)
{
    if (args.size() != 4)
        return usageError(QStringLiteral("import takes SRC.tvd TRACK DEST.tvd SLOT."));
    const QString &source = args[0];
    const QString &destination = args[2];
    QString error;
    const std::optional<int> track =
        wholeOption(QStringLiteral("TRACK"), args[1], 0, kUserTracks - 1, error);
    const std::optional<int> slot =
        track ? wholeOption(QStringLiteral("SLOT"), args[3], 0, kUserTracks - 1, error)
              : std::nullopt;
    if (!slot)
        return usageError(error);
    auto store = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        store->ClearTrack(t);
    if (QFileInfo::exists(destination)) {
        // Writing back a file that was read only in part would lose the rest of it.
        const TrackFileReadResult r = loadTrackFile(*store, destination);
        if (!r.ok()) {
            writeErr(QStringLiteral("%1: %2 Nothing was imported.")
                         .arg(destination, r.message(destination)));
            return 1;
        }
    }
    const ImportStatus status = importTrack(source, *track, *store, *slot);
    if (status != ImportStatus::Ok) {
        writeErr(status == ImportStatus::Vacant
                     ? QStringLiteral("%1: track %2 is vacant. Nothing was imported.")
                           .arg(source)
                           .arg(*track)
                     : importMessage(status, source));
        return 1;
    }
    const FileWriteResult w =
        writeTrackFile(*store, destination, static_cast<char>(localeDecimalSeparator().unicode()));
    if (!w.ok) {
        writeErr(w.error);
        return 1;
    }
    return 0;
}

} // namespace

TERVO_TOOL_COMMAND(
    search,
    "  search FOLDER [--words \"W1 W2\"] [--mode NAME] [--rpm N] [--scanrate N]\n"
    "         [--absolute]\n"
    "                         List the tracks of the track files in FOLDER that match, as the\n"
    "                         Search Track window does: one TAB-separated row per hit (path,\n"
    "                         track, title, mode, RPM, scan rate), at most 200, in\n"
    "                         file order. Words are ANDed and ignore letter case; RPM and scan\n"
    "                         rate must be equal. Files that could not be read are counted on\n"
    "                         stderr. The path is FOLDER/NAME as FOLDER was given, or\n"
    "                         absolute with --absolute.\n",
    runSearchCommand);
TERVO_TOOL_COMMAND(
    import,
    "  import SRC.tvd TRACK DEST.tvd SLOT\n"
    "                         Copy track TRACK of SRC.tvd into slot SLOT of DEST.tvd (created\n"
    "                         when missing), replacing what was there. DEST.tvd is replaced\n"
    "                         only once completely written.\n",
    runImportCommand);

} // namespace tervo::tool
